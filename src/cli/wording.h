#pragma once

#include "core/refusal.h"
#include "export/preview.h"

#include <QString>
#include <QStringList>

// The one table of the converter's words for what the layers below hand up as facts: English, whatever the
// locale.

// A refusal from below in the converter's words: its facts, and the option that lifts it, where one does.
QString worded(const Refusal &refusal);

// What a preview leaves out, a line a fact, in the order the preview meets them.
QStringList worded(const PreviewNote &note);
