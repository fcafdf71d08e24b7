#pragma once

#include <QString>
#include <QStringView>

// What lifts a refusal, where something does: the edges (the converter, the window) name it in their own words.
enum class Remedy {
    None,
    MorePixels,   // a larger pixel limit
    MoreMemory,   // a larger memory budget
    Pad,          // padding rows to whole bytes
    MissingBlank, // blank cells for characters a font lacks
    IndexUnicode, // a table of Unicode code points instead of GB2312 codes
    FontsOwnSize, // a bitmap font at its own size
};

// Why something was refused, as every layer below the two programs returns it: whether the input itself is at
// fault or it passes a limit or a rule of the output, the facts (in English: which thing, what it asks, what is
// allowed), and what would lift it, which only the edges put into words. Empty when nothing was refused.
struct Refusal {
    enum class Kind { None, Invalid, OverLimit, Unfit };

    Kind kind = Kind::None;
    QString detail;
    Remedy remedy = Remedy::None;

    Refusal() = default;
    // The input is damaged, cut short, unreadable or not what it should be: `detail` says how.
    Refusal(const QString &detail) : kind(detail.isEmpty() ? Kind::None : Kind::Invalid), detail(detail) {}
    Refusal(const char *) = delete;
    static Refusal overLimit(const QString &detail, Remedy remedy) { return {Kind::OverLimit, detail, remedy}; }
    static Refusal unfit(const QString &detail, Remedy remedy) { return {Kind::Unfit, detail, remedy}; }

    bool isEmpty() const { return kind == Kind::None; }
    void clear() { *this = Refusal(); }

private:
    Refusal(Kind kind, const QString &detail, Remedy remedy) : kind(kind), detail(detail), remedy(remedy) {}
};
