#pragma once

#include <QSize>

class GlyphSource;
class Report;
struct Job;
struct Options;
struct RoadOptions;
struct RoadResult;

// The warnings, and with --verbose the sizes, of a conversion that succeeded: glyphs cut at their cells' edges
// (`glyphs`, where a font was drawn), a picture larger than the display's screen, data past the 8051's 64 KiB
// of code or of a bank.
void reportDone(const Options &options, const Job &job, const RoadOptions &road, const RoadResult &result,
                const GlyphSource *glyphs, Report &report);

// Where --fit or --fill took the display's screen as their size: each tile of --tile brought to the whole
// screen, or a picture whose aspect (`source`, before any turn) lies the other way from a screen the controller
// can scan turned, which the size turned would fill.
void reportScreenFit(const Options &options, const QString &picture, QSize source, Report &report);
