#include "inspector.h"

#include "core/rounding.h"

#include <QtGlobal>

#include <limits>

namespace {

bool fitsInt16(double value)
{
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}

// A position is usable when it and the marker's left edge at its byte boundary fit in 16 bits.
bool usable(double x, double y)
{
    return fitsInt16(x) && fitsInt16(y) && fitsInt16(8 * roundHalfEven(x / 8.0));
}

} // namespace

void Shape::blink()
{
    if (Visible)
        BackColor = BackColor == blackColour ? whiteColour : blackColour;
}

int inspectorKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Left:
        return KeyLeft;
    case Qt::Key_Up:
        return KeyUp;
    case Qt::Key_Right:
        return KeyRight;
    case Qt::Key_Down:
        return KeyDown;
    default:
        return KeyOther;
    }
}

std::int16_t byteColumn(std::int16_t posx)
{
    return std::int16_t(roundHalfEven(posx / 8.0));
}

std::int64_t byteOffset(double width, std::int16_t posy, std::int16_t c)
{
    return std::int64_t(roundHalfEven(width / 8.0 * posy + c));
}

QString offsetHex(std::int64_t offset)
{
    if (offset < 0 && offset >= std::numeric_limits<std::int32_t>::min())
        return QString::number(quint32(std::int32_t(offset)), 16).toUpper();
    return QString::number(offset, 16).toUpper();
}

QString readoutText(std::int16_t posx, std::int16_t posy, double width)
{
    const std::int16_t c = byteColumn(posx);
    return QStringLiteral("X,Y:") + QString::number(posx) + u',' + QString::number(posy) +
           QStringLiteral(" 写入位置:") + QString::number(c) + u',' + QString::number(posy) +
           QStringLiteral("  首字节RAM地址：&H") + offsetHex(byteOffset(width, posy, c));
}

std::optional<Selection> stepSelection(Selection current, int keyCode)
{
    double x = current.posx;
    double y = current.posy;
    switch (keyCode) {
    case KeyLeft:
        --x;
        break;
    case KeyUp:
        --y;
        break;
    case KeyRight:
        ++x;
        break;
    case KeyDown:
        ++y;
        break;
    default:
        return current;
    }
    if (!usable(x, y))
        return std::nullopt;
    return Selection{std::int16_t(x), std::int16_t(y)};
}

std::optional<Selection> clickSelection(float x, float y)
{
    const double px = roundHalfEven(x);
    const double py = roundHalfEven(y);
    if (!usable(px, py))
        return std::nullopt;
    return Selection{std::int16_t(px), std::int16_t(py)};
}
