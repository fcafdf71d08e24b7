#pragma once

#include "core/refusal.h"

#include <QString>

// What a refusal is about, in the converter's words: "the picture", "frame 3", "the text file menu.txt".
QString words(const Subject &subject);
