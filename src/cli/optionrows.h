#pragma once

// The option table's rows, a file a concern (what is written; the picture, its size, pixels and packing; the
// characters; frames; files, limits and information), and what their rows are made with.

#include "cli/optiontable.h"

namespace OptionRows {

// An option's name, as the rows spell it.
inline QString s(const char *name)
{
    return QString::fromLatin1(name);
}
// A switch that sets a flag of Options.
Apply setFlag(bool Options::*flag);
// An option that takes any text but none.
Apply setText(QString Options::*text);

extern const QList<Entry> output;     // what is written
extern const QList<Entry> picture;    // the picture: its pixels, size, tone and packing, and the preview
extern const QList<Entry> characters; // fonts and text
extern const QList<Entry> frames;     // frames and tiles, and their packing
extern const QList<Entry> rest;       // files, limits and information

} // namespace OptionRows
