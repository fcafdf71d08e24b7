#pragma once

#include "core/progress.h"
#include "core/colour.h"

// The conversion of a row of pixels, in place: each becomes `white` or `black` by the colour rule. With R the red
// byte, G' = (c And &HFF00) / 255 and B' = (c And &HFF0000) / 65535, each rounded half to even: white when
// R + G' + B' > 549 or G' > 244 (a green byte of 244 or more), black otherwise.
void convertRow(QRgb *pixels, int width, QRgb white, QRgb black);
