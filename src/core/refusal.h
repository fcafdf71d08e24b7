#pragma once

#include <QString>

#include <cstdint>

// Why something was refused, as every layer below the two programs returns it: the rule broken, which thing
// broke it, the value it asks and the limit allowed. Only the edges (the converter, the window) put a refusal
// into words, and name what would lift it. Empty when nothing was refused.
struct Refusal {
    enum class Kind { None, Invalid, OverLimit, Unfit };
    enum class Rule {
        None,      // nothing refused
        Damaged,   // the input is damaged, cut short, unreadable or not what it should be: `detail` says how
        Side,      // `subject` is `width` x `height` pixels, a side past `limit`
        Pixels,    // `subject` is `width` x `height` pixels, more than `limit`
        Decoded,   // `subject` are `value` pixels to decode, more than `limit`
        Read,      // `subject`, read as a stream, is longer than `limit` bytes
        Held,      // holding `subject` takes `value` bytes (0: not known) beside `held` held, more than `limit`
        Multiple,  // `subject` is `value` pixels wide, not a multiple of `limit`
        Strike,    // the bitmap font `subject` has glyphs of `value` pixels, not the `limit` asked
        NoGlyph,   // the font `subject` has no glyph for the character `detail`
        NoCode,    // the character `subject` has no GB2312 code
        NoCell,    // the character `subject` of a string has no GB2312 code, so the grid has no cell for it
        CodeWidth, // the character `subject`'s code, `value`, passes the table's largest, `limit`
    };

    Rule rule = Rule::None;
    QString subject;
    std::int64_t value = 0;
    std::int64_t limit = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t held = 0;
    QString detail;

    Refusal() = default;
    // The input is at fault: `detail` says how, in the words of the layer that found it.
    Refusal(const QString &detail) : rule(detail.isEmpty() ? Rule::None : Rule::Damaged), detail(detail) {}
    Refusal(const char *) = delete;
    static Refusal of(Rule rule, const QString &subject, std::int64_t value, std::int64_t limit)
    {
        Refusal r;
        r.rule = rule;
        r.subject = subject;
        r.value = value;
        r.limit = limit;
        return r;
    }
    static Refusal ofSize(Rule rule, const QString &subject, std::int64_t width, std::int64_t height,
                          std::int64_t limit)
    {
        Refusal r = of(rule, subject, width * height, limit);
        r.width = width;
        r.height = height;
        return r;
    }

    Kind kind() const
    {
        switch (rule) {
        case Rule::None:
            return Kind::None;
        case Rule::Damaged:
            return Kind::Invalid;
        case Rule::Side:
        case Rule::Pixels:
        case Rule::Decoded:
        case Rule::Read:
        case Rule::Held:
            return Kind::OverLimit;
        case Rule::Multiple:
        case Rule::Strike:
        case Rule::NoGlyph:
        case Rule::NoCode:
        case Rule::NoCell:
        case Rule::CodeWidth:
            break;
        }
        return Kind::Unfit;
    }
    bool isEmpty() const { return rule == Rule::None; }
    void clear() { *this = Refusal(); }
};
