#pragma once

#include "core/refusal.h"

#include <QString>

// The window's own words for a refusal's facts, a line to go below its message: what kind of fault, and the
// numbers or the library's words where the refusal has them. Empty for no refusal.
QString refusalText(const Refusal &refusal);
