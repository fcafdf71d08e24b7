#include "displays.h"

namespace {

constexpr PackOptions packing(Layout layout, BitOrder order, Ink ink)
{
    return {layout, order, ByteOrder::BigEndian, false, ink};
}

// OLEDs light a pixel for a 1 bit; LCDs darken it.
constexpr PackOptions litPages = packing(Layout::Vertical, BitOrder::LsbFirst, Ink::Lit);
constexpr PackOptions darkPages = packing(Layout::Vertical, BitOrder::LsbFirst, Ink::Dark);
// Rows: a TFT shows the colour of its pixel's value, the larger the brighter; an OLED lights its grey.
constexpr PackOptions litRows = packing(Layout::Horizontal, BitOrder::MsbFirst, Ink::Lit);
constexpr PixelFormat mono = PixelFormat::Mono, rgb565 = PixelFormat::Rgb565;

} // namespace

const QList<DisplayController> &displays()
{
    static const QList<DisplayController> table{
        {"ssd1306", 128, 64, mono, litPages, false,
         "page addressing: each byte a column of 8 pixels of a page, D0 on top"},
        {"sh1106", 132, 64, mono, litPages, false, "8 pages of 132 columns, a byte a column segment, D0 on top"},
        {"ssd1309", 128, 64, mono, litPages, false,
         "page addressing: each byte a column of 8 pixels of a page, D0 on top"},
        {"st7565", 132, 65, mono, darkPages, false, "display data RAM in pages of 8 rows, a byte a column, D0 on top"},
        {"uc1701", 132, 65, mono, darkPages, false, "pages of 8 rows, a byte a column, D0 the page's top row"},
        {"ks0108", 128, 64, mono, darkPages, false,
         "pages of 8 rows across all 128 columns, a byte a column, DB0 on top; a page's first 64 bytes go to the "
         "left controller, the rest to the right"},
        {"pcd8544", 84, 48, mono, darkPages, false,
         "vertical addressing: a byte a column of 8 rows of a bank, D0 on top"},
        {"st7920", 128, 64, mono, packing(Layout::Horizontal, BitOrder::MsbFirst, Ink::Dark), false,
         "graphic RAM of 16-bit words across a row, the leftmost pixel in the highest bit"},
        {"ssd1322", 256, 64, PixelFormat::Gray4, litRows, false,
         "4 bits a pixel, two pixels a byte, the left pixel in D7 to D4"},
        {"st7735", 128, 160, rgb565, litRows, true, "16-bit RGB 5-6-5, the high byte first"},
        {"st7789", 240, 320, rgb565, litRows, true, "16-bit RGB 5-6-5, the high byte first"},
        {"ili9341", 240, 320, rgb565, litRows, true, "16-bit RGB 5-6-5, the high byte first"},
    };
    return table;
}

const DisplayController *displayNamed(const QString &name)
{
    for (const DisplayController &display : displays())
        if (name.compare(QLatin1String(display.name), Qt::CaseInsensitive) == 0)
            return &display;
    return nullptr;
}

QString displayTable()
{
    QString text = QStringLiteral("display  screen     pixel   layout      bit order  byte order  ink\n");
    for (const DisplayController &d : displays()) {
        const PackOptions &p = d.pack;
        text += QStringLiteral("%1%2%3%4%5%6%7\n")
                    .arg(QString::fromLatin1(d.name), -9)
                    .arg(QStringLiteral("%1 x %2").arg(d.width).arg(d.height), -11)
                    .arg(QString::fromLatin1(traitsOf(d.pixel).name), -8)
                    .arg(p.layout == Layout::Vertical ? QStringLiteral("vertical") : QStringLiteral("horizontal"), -12)
                    .arg(p.bitOrder == BitOrder::MsbFirst ? QStringLiteral("msb") : QStringLiteral("lsb"), -11)
                    .arg(p.byteOrder == ByteOrder::BigEndian ? QStringLiteral("big") : QStringLiteral("little"), -12)
                    .arg(p.ink == Ink::Lit ? QStringLiteral("lit") : QStringLiteral("dark"));
    }
    return text;
}
