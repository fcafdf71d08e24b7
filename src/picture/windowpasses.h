#pragma once

// The window's passes over the picture surface, a row at a time through the row functions that the converter
// runs over decoded rows.

#include "core/colour.h"
#include "core/limits.h"
#include "core/progress.h"
#include "core/refusal.h"
#include "imaging/pixeltable.h"

class PictureSurface;

// Turns every pixel of the surface into `whitecolor` or `blackcolor`, in place, rows top to bottom, and
// reports the progress after each row. The file the picture came from is not touched.
void convertToBlackAndWhite(PictureSurface &surface, Colour whitecolor, Colour blackcolor, const StatusSink &status);

// Reads every pixel of the surface, rows top to bottom and columns left to right. A pixel is black only when
// its colour equals `blackcolor` exactly (&H000001 is not black). Reports the progress after each row. The
// table's bytes are reserved from the budget of `limits` first: an empty table, with the reason in `why`, when
// they do not fit.
PixelTable readPixelTable(const PictureSurface &surface, Colour blackcolor, const StatusSink &status,
                          const Limits &limits, Refusal *why = nullptr);
