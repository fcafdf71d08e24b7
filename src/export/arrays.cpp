#include "arrays.h"

#include "export/encoders.h"

QList<PlannedArray> planArrays(const QString &name, const QString &macro, const Geometry &geometry,
                               const FrameLayout &layout, bool oneAfterAnother, const QList<FrameTable> &tables)
{
    const QString count = macro + layout.countName;
    PlannedArray data;
    data.name = name;
    data.isData = true;
    data.oneAfterAnother = oneAfterAnother;
    if (oneAfterAnother) { // their sizes, and where each starts, in the offsets' table
        data.size = QString::number(geometry.dataBytes);
        data.sizeInHeader = macro + QStringLiteral("SIZE");
    } else if (layout.table) {
        data.rows = geometry.frames;
        data.size = QStringLiteral("%1][%2").arg(geometry.frames).arg(geometry.frameBytes);
        data.sizeInHeader = count + QStringLiteral("][") + macro + QStringLiteral("BYTES");
    } else {
        data.size = QString::number(geometry.dataBytes);
        data.sizeInHeader = macro + QStringLiteral("BYTES");
    }
    QList<PlannedArray> arrays{data};
    for (const FrameTable &table : tables) {
        const TableLayout t = layoutOf(table);
        PlannedArray array;
        array.name = name + t.suffix;
        array.elementBytes = t.bytes;
        array.size = QString::number(table.values.size());
        array.sizeInHeader = table.kind == FrameValues::String    ? array.size
                             : table.kind == FrameValues::Boxes   ? count + QStringLiteral(" * 5")
                             : table.kind == FrameValues::Offsets ? count + QStringLiteral(" + 1")
                                                                  : count;
        if (table.kind == FrameValues::Mask) { // a frame's mask a row, as the data's frames are
            const bool rows = geometry.frames > 1;
            array.rows = rows ? geometry.frames : 0;
            array.size = rows ? QStringLiteral("%1][%2").arg(geometry.frames).arg(geometry.maskBytes)
                              : QString::number(geometry.maskBytes);
            array.sizeInHeader =
                (rows ? count + QStringLiteral("][") : QString()) + macro + QStringLiteral("MASK_BYTES");
        }
        array.values = table;
        arrays.append(array);
    }
    return arrays;
}
