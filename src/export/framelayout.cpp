#include "framelayout.h"

#include <algorithm>

FrameLayout layoutOf(FrameKind kind, int count)
{
    FrameLayout layout;
    layout.table = kind != FrameKind::Picture && kind != FrameKind::Text;
    layout.countName = kind == FrameKind::Glyphs ? QStringLiteral("COUNT") : QStringLiteral("FRAMES");
    layout.sheetColumns = kind == FrameKind::Glyphs ? 16 : std::max(count, 1);
    layout.previewsSheet = kind != FrameKind::Animation && kind != FrameKind::Tiles;
    return layout;
}

TableLayout layoutOf(const FrameTable &table)
{
    TableLayout layout;
    switch (table.kind) {
    case FrameValues::Gb2312Codes:
    case FrameValues::UnicodeCodes:
        layout = {QStringLiteral("_codes"), 2};
        break;
    case FrameValues::Widths:
        layout = {QStringLiteral("_widths"), 1};
        break;
    case FrameValues::Delays: // in milliseconds
        layout = {QStringLiteral("_delays"), 2};
        break;
    case FrameValues::Offsets: // where each packed frame starts, and the end
        layout = {QStringLiteral("_offsets"), 2};
        break;
    case FrameValues::Boxes: // a glyph's ink box in its cell, and its advance
        layout = {QStringLiteral("_boxes"), 1};
        break;
    case FrameValues::String: // a line's glyphs' indices, and the end mark
        layout = {QStringLiteral("_s%1").arg(table.index), 1};
        break;
    case FrameValues::Mask: // a bit a pixel where it is opaque, a frame's bytes a row of the table
        layout = {QStringLiteral("_mask"), 1};
        break;
    }
    const std::uint32_t largest =
        table.values.isEmpty() ? 0 : *std::max_element(table.values.begin(), table.values.end());
    const int needed = largest > 0xFFFF ? 4 : largest > 0xFF ? 2 : 1;
    layout.bytes = std::max({layout.bytes, needed, table.minBytes});
    return layout;
}
