#include "encoders.h"

#include "export/framelayout.h"

#include "export/intelhex.h"
#include "imaging/pack.h"

#include <csetjmp>
#include <vector>

#include <png.h>

namespace {

// A51, C51 or sdas text: the header lines, a module, a label or an array around the data where there is a name,
// and each unit's bytes on lines of 16 entries. Named, A51 is a relocatable module of the Keil assembler (NAME,
// PUBLIC, a CODE segment, END) and sdas one of SDCC's assembler (.module, .globl, the CONST area), each array
// public under its C name (sdas: with the _ C puts before it).
class CodeEncoder : public Encoder {
public:
    CodeEncoder(const EncodeOptions &options, const Geometry &geometry)
        : options_(options), format_(codeFormatOf(options.format)), geometry_(geometry)
    {
    }
    void begin(QByteArray &out) override
    {
        const EncodedText header =
            encodeText(codeHeader(format_, options_.picfile, geometry_.width, geometry_.height, options_.stamp,
                                  options_.notes, options_.font, options_.glyphTable ? &*options_.glyphTable : nullptr),
                       options_.encoding);
        lossless_ = header.lossless;
        out.append(header.bytes);
        if (options_.name.isEmpty())
            return;
        if (format_ != CodeFormat::C51)
            return module(out);
        const PlannedArray &data = options_.arrays.first();
        out.append(cIncludes(options_.dialect).toLatin1());
        out.append(cArray(options_.dialect, data.elementBytes, data.name, data.size, options_.attribute).toLatin1() +
                   " = {\r\n");
    }
    void frameStart(const QString &label, QByteArray &out) override
    {
        if (!label.isEmpty())
            comment(label, out);
        if (array() && options_.arrays.first().rows)
            out.append("{\r\n");
    }
    void frameEnd(QByteArray &out) override
    {
        if (array() && options_.arrays.first().rows)
            out.append("},\r\n");
    }
    void bytes(const std::uint8_t *data, int count, QByteArray &out) override
    {
        appendCodeRow(format_, data, count, out);
    }
    void setValues(qsizetype array, const FrameTable &values) override { options_.arrays[array].values = values; }
    bool end(QByteArray &out, const std::function<bool()> &handOn) override
    {
        if (array())
            out.append("};\r\n");
        if (options_.name.isEmpty())
            return true;
        for (const PlannedArray &array : options_.arrays.mid(1)) {
            const FrameTable &table = array.values;
            if (table.kind == FrameValues::String) // the line the indices spell, as a comment
                comment(shortened(table.comment), out);
            if (format_ != CodeFormat::C51) {
                out.append(label(array.name.toLatin1()));
                if (!appendTableRows(table, array.elementBytes, out, handOn))
                    return false;
                continue;
            }
            out.append(
                cArray(options_.dialect, array.elementBytes, array.name, array.size, options_.attribute).toLatin1() +
                " = {\r\n");
            if (!appendTableRows(table, array.elementBytes, out, handOn))
                return false;
            out.append("};\r\n");
        }
        if (format_ == CodeFormat::A51)
            out.append("END\r\n");
        return true;
    }

private:
    bool array() const { return format_ == CodeFormat::C51 && !options_.name.isEmpty(); }
    // The label of an array: "logo:" in A51, "_logo::" (global) in sdas.
    QByteArray label(const QByteArray &name) const
    {
        return format_ == CodeFormat::Sdas ? '_' + name + "::\r\n" : name + ":\r\n";
    }
    // The module's head: its name, the arrays it makes public, the segment they lie in, the first label.
    void module(QByteArray &out) const
    {
        QList<QByteArray> names;
        for (const PlannedArray &array : options_.arrays)
            names.append(array.name.toLatin1());
        if (format_ == CodeFormat::A51) {
            const QByteArray segment = "?CO?" + options_.name.toUpper().toLatin1();
            out.append("NAME    " + options_.name.toUpper().toLatin1() + "\r\n");
            for (const QByteArray &name : names)
                out.append("PUBLIC  " + name + "\r\n");
            out.append(segment + " SEGMENT CODE\r\nRSEG    " + segment + "\r\n");
        } else {
            out.append("\t.module " + options_.name.toLatin1() + "\r\n");
            for (const QByteArray &name : names)
                out.append("\t.globl _" + name + "\r\n");
            // The areas SDCC's own modules name, in their order, before CONST: the linker places areas in the
            // order it first meets them, so the module may come first on the link line, and CONST still lies after
            // the reset vector (HOME) and the code, as it does in SDCC's own output.
            for (const char *area :
                 {"REG_BANK_0\t(REL,OVR,DATA)", "DSEG    (DATA)", "SSEG", "ISEG    (DATA)", "BSEG    (BIT)",
                  "PSEG    (PAG,XDATA)", "XSEG    (XDATA)", "XISEG   (XDATA)", "HOME    (CODE)", "GSINIT0 (CODE)",
                  "GSINIT1 (CODE)", "GSINIT2 (CODE)", "GSINIT3 (CODE)", "GSINIT4 (CODE)", "GSINIT5 (CODE)",
                  "GSINIT  (CODE)", "GSFINAL (CODE)", "CSEG    (CODE)"})
                out.append(QByteArray("\t.area ") + area + "\r\n");
            out.append("\t.area CONST   (CODE)\r\n");
        }
        out.append(label(names.first()));
    }
    // A line of comment, made inert.
    void comment(const QString &text, QByteArray &out)
    {
        const QString line = format_ != CodeFormat::C51
                                 ? QStringLiteral("; ") + textInComment(format_, text)
                                 : QStringLiteral("/* ") + textInComment(format_, text) + QStringLiteral(" */");
        const EncodedText encoded = encodeText(line + QStringLiteral("\r\n"), options_.encoding);
        lossless_ = lossless_ && encoded.lossless;
        out.append(encoded.bytes);
    }
    // A line of text as a comment: its first commentedCharacters, and how long it is where it is longer.
    static QString shortened(const QString &text)
    {
        constexpr qsizetype commentedCharacters = 1000;
        if (text.size() <= commentedCharacters)
            return text;
        return text.left(commentedCharacters) + QStringLiteral(" ... (%1 characters)").arg(text.size());
    }
    // A table's values, 16 a line: A51 "DB 008H" or "DW 0C4E3H" (a word's high byte first, as A51 and the classic
    // compilers store it), C51 "0x08, " or "0xC4E3, ", sdas ".db 0x08" or ".db 0xE3, 0xC4" (the low byte first, as
    // SDCC stores a word). Handed on every so many lines; false when that fails.
    bool appendTableRows(const FrameTable &table, int bytes, QByteArray &out, const std::function<bool()> &handOn) const
    {
        const int digits = 2 * bytes;
        const qsizetype count = table.values.size();
        for (qsizetype first = 0; first < count; first += 16) {
            const qsizetype last = std::min<qsizetype>(first + 16, count);
            if (format_ == CodeFormat::Sdas) {
                std::uint8_t little[16 * 4];
                int n = 0;
                for (qsizetype i = first; i < last; ++i)
                    for (int k = 0; k < bytes; ++k)
                        little[n++] = std::uint8_t(table.values[i] >> (8 * k));
                appendCodeRow(format_, little, n, out);
            } else {
                for (qsizetype i = first; i < last; ++i) {
                    const QByteArray hex =
                        QByteArray::number(table.values[i], 16).toUpper().rightJustified(digits, '0');
                    if (format_ == CodeFormat::A51) {
                        if (i == first)
                            out.append(bytes == 1 ? "DB   " : bytes == 2 ? "DW   " : "DD   ");
                        out.append('0' + hex + 'H');
                        out.append(i + 1 == last ? "\r\n" : ", ");
                    } else {
                        out.append("0x" + hex + ", ");
                        if (i + 1 == last)
                            out.append("\r\n");
                    }
                }
            }
            if (first % (16 * 1024) == 0 && !handOn())
                return false;
        }
        return handOn();
    }

private:
    EncodeOptions options_;
    CodeFormat format_;
    Geometry geometry_;
};

// The bytes alone.
class RawEncoder : public Encoder {
public:
    void bytes(const std::uint8_t *data, int count, QByteArray &out) override
    {
        out.append(reinterpret_cast<const char *>(data), count);
    }
};

class IntelHexEncoder : public Encoder {
public:
    explicit IntelHexEncoder(std::uint32_t address) : writer_(address) {}
    void bytes(const std::uint8_t *data, int count, QByteArray &out) override { writer_.append(data, count, out); }
    bool end(QByteArray &out, const std::function<bool()> &) override
    {
        writer_.finish(out);
        return true;
    }

private:
    IntelHexWriter writer_;
};

// netpbm P4: the mono picture as packed (padding included), a 1 bit black, each row padded to a whole byte.
class PbmEncoder : public Encoder {
public:
    explicit PbmEncoder(const Geometry &geometry)
        : geometry_(geometry), row_(std::size_t(geometry.packedWidth + 7) / 8 * 8, 0), packed_(row_.size() / 8)
    {
    }
    bool takesLevels() const override { return true; }
    void begin(QByteArray &out) override
    {
        out.append(QByteArrayLiteral("P4\n") + QByteArray::number(geometry_.packedWidth) + ' ' +
                   QByteArray::number(geometry_.packedHeight) + '\n');
    }
    void levels(const std::uint8_t *row, QByteArray &out) override
    {
        std::copy(row, row + geometry_.packedWidth, row_.begin());
        packRow(row_.data(), int(row_.size()), packed_.data());
        out.append(reinterpret_cast<const char *>(packed_.data()), qsizetype(packed_.size()));
    }

private:
    Geometry geometry_;
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> packed_;
};

// PNG through libpng, 8 bits a sample: grey for mono and grey formats, RGB for colour, each level widened back to
// 0..255 by the exact ratio.
class PngEncoder : public Encoder {
public:
    PngEncoder(PixelFormat pixel, const Geometry &geometry)
        : traits_(traitsOf(pixel)), width_(geometry.packedWidth), height_(geometry.packedHeight),
          samples_(std::size_t(width_) * std::size_t(traits_.channels))
    {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &PngEncoder::error, &PngEncoder::warning);
        info_ = png_ ? png_create_info_struct(png_) : nullptr;
        if (!png_ || !info_)
            throw std::bad_alloc();
        // libpng's own limit on the sides (a million pixels) guards its readers; the limits have passed this
        // picture, which may be wider.
        png_set_user_limits(png_, 0x7FFFFFFF, 0x7FFFFFFF);
        png_set_write_fn(png_, this, &PngEncoder::write, nullptr);
    }
    ~PngEncoder() override { png_destroy_write_struct(&png_, &info_); }
    PngEncoder(const PngEncoder &) = delete;
    PngEncoder &operator=(const PngEncoder &) = delete;

    bool takesLevels() const override { return true; }
    void begin(QByteArray &out) override
    {
        out_ = &out;
        if (setjmp(png_jmpbuf(png_)))
            return;
        png_set_IHDR(png_, info_, png_uint_32(width_), png_uint_32(height_), 8,
                     traits_.colour() ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png_, info_);
    }
    void levels(const std::uint8_t *row, QByteArray &out) override
    {
        out_ = &out;
        const bool mono = traits_.mono();
        for (std::size_t i = 0; i < samples_.size(); ++i)
            samples_[i] = mono ? png_byte(row[i] ? 0 : 255)
                               : png_byte(widenLevel(row[i], traits_.max[i % std::size_t(traits_.channels)]));
        if (!refusal_.isEmpty() || setjmp(png_jmpbuf(png_)))
            return;
        png_write_row(png_, samples_.data());
    }
    bool end(QByteArray &out, const std::function<bool()> &) override
    {
        out_ = &out;
        if (!refusal_.isEmpty() || setjmp(png_jmpbuf(png_)))
            return false;
        png_write_end(png_, nullptr);
        return true;
    }

private:
    // libpng's error, kept in its words; the call into it then returns at once.
    static void error(png_structp png, png_const_charp message)
    {
        auto *encoder = static_cast<PngEncoder *>(png_get_error_ptr(png));
        if (encoder->refusal_.isEmpty())
            encoder->refusal_ = Refusal(Refusal::Rule::EncodeFailed).saying(QString::fromLatin1(message)).in("PNG");
        png_longjmp(png, 1);
    }
    static void warning(png_structp, png_const_charp) {}
    static void write(png_structp png, png_bytep data, size_t count)
    {
        static_cast<PngEncoder *>(png_get_io_ptr(png))
            ->out_->append(reinterpret_cast<const char *>(data), qsizetype(count));
    }

    PixelFormatTraits traits_;
    int width_;
    int height_;
    std::vector<png_byte> samples_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    QByteArray *out_ = nullptr;
};

} // namespace

void Encoder::bytes(const std::uint8_t *, int, QByteArray &) {}

void Encoder::levels(const std::uint8_t *, QByteArray &) {}

const QList<OutputFormatFacts> &outputFormats()
{
    static const QList<OutputFormatFacts> facts{
        {OutputFormat::A51, "a51", ".a51", false},   {OutputFormat::C51, "c51", ".c", false},
        {OutputFormat::Hex, "hex", ".bin", true},    {OutputFormat::IntelHex, "ihex", ".hex", false},
        {OutputFormat::Pbm, "pbm", ".pbm", true},    {OutputFormat::Png, "png", ".png", true},
        {OutputFormat::Sdas, "sdas", ".asm", false},
    };
    return facts;
}

const char *nameOf(OutputFormat format)
{
    return outputFormats()[int(format)].name;
}

const char *extensionOf(OutputFormat format)
{
    return outputFormats()[int(format)].extension;
}

CodeFormat codeFormatOf(OutputFormat format)
{
    return format == OutputFormat::C51    ? CodeFormat::C51
           : format == OutputFormat::Sdas ? CodeFormat::Sdas
                                          : CodeFormat::A51;
}

bool isCodeText(OutputFormat format)
{
    return format == OutputFormat::A51 || format == OutputFormat::C51 || format == OutputFormat::Sdas;
}

std::unique_ptr<Encoder> makeEncoder(const EncodeOptions &options, PixelFormat pixel, const Geometry &geometry)
{
    switch (options.format) {
    case OutputFormat::A51:
    case OutputFormat::C51:
    case OutputFormat::Sdas:
        return std::make_unique<CodeEncoder>(options, geometry);
    case OutputFormat::Hex:
        return std::make_unique<RawEncoder>();
    case OutputFormat::IntelHex:
        return std::make_unique<IntelHexEncoder>(options.address);
    case OutputFormat::Pbm:
        return std::make_unique<PbmEncoder>(geometry);
    case OutputFormat::Png:
        break;
    }
    return std::make_unique<PngEncoder>(pixel, geometry);
}
