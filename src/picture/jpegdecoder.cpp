// JPEG through libjpeg-turbo, a scan line at a time, with the library's default (accurate) DCT and upsampling,
// as Qt's reader decodes it.
//
// What is refused: a file whose data ends before its last row (the decoder runs out of entropy-coded data). A
// file that lacks only its end marker after the last row, or has stray bytes between segments, is read as
// viewers read it.

#include "picture/decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the call into
// the library. The jumps cross only libjpeg's C frames and calls made with trivially destructible locals.
struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    bool dataEnded = false;   // the file ran out and the decoder was handed an end marker instead
    bool rowsMissing = false; // after which it still wanted data for the picture
    char message[JMSG_LENGTH_MAX] = {};
};

struct Source {
    jpeg_source_mgr manager;
    ByteSource *bytes;
    std::int64_t position;
    Errors *errors;
    JOCTET buffer[64 * 1024];
};

void errorExit(j_common_ptr info)
{
    auto *errors = reinterpret_cast<Errors *>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void emitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // trace messages
    auto *errors = reinterpret_cast<Errors *>(info->err);
    ++info->err->num_warnings;
    if (info->err->msg_code == JWRN_HIT_MARKER && errors->dataEnded)
        errors->rowsMissing = true;
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    std::int64_t n = source->bytes->readAt(source->position, reinterpret_cast<char *>(source->buffer),
                                           std::int64_t(sizeof source->buffer));
    if (n < 0) {
        std::snprintf(source->errors->message, sizeof source->errors->message, "%s",
                      source->bytes->errorString().toLocal8Bit().constData());
        std::longjmp(source->errors->jump, 1);
    }
    if (n == 0) { // the end of the file: an end marker, as libjpeg's own sources do
        source->errors->dataEnded = true;
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        n = 2;
    } else {
        source->position += n;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = std::size_t(n);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    auto *source = reinterpret_cast<Source *>(info->src);
    if (count <= 0)
        return;
    if (std::size_t(count) <= source->manager.bytes_in_buffer) {
        source->manager.next_input_byte += count;
        source->manager.bytes_in_buffer -= std::size_t(count);
        return;
    }
    source->position += count - std::int64_t(source->manager.bytes_in_buffer);
    source->manager.bytes_in_buffer = 0;
    if (source->position > source->bytes->size()) {
        source->position = source->bytes->size();
        fillInput(info);
    }
}

class JpegDecoder : public PictureDecoder {
public:
    JpegDecoder() = default;
    ~JpegDecoder() override
    {
        if (created_)
            jpeg_destroy_decompress(&info_);
    }
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    const char *format() const override { return "jpeg"; }
    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, QString *errorString);

protected:
    bool decodeRow(int y, QRgb *row) override;

private:
    QString failure() const
    {
        if (errors_.dataEnded)
            return QStringLiteral("the file is cut short");
        return QStringLiteral("cannot decode the JPEG picture: %1").arg(QString::fromLocal8Bit(errors_.message));
    }
    // Reads the header; with the size within `limits`, starts decompressing (which reads a progressive file
    // whole). 0 on a libjpeg error, -1 when the size is refused, 1 when started.
    int start(const PictureLimits &limits, QString *refusal);

    std::unique_ptr<ByteSource> bytes_;
    jpeg_decompress_struct info_{};
    Errors errors_;
    Source source_{};
    bool created_ = false;
    bool cmyk_ = false;
    std::vector<JSAMPLE> cmykRow_;
};

bool JpegDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, QString *errorString)
{
    bytes_ = std::move(source);
    info_.err = jpeg_std_error(&errors_.manager);
    errors_.manager.error_exit = errorExit;
    errors_.manager.emit_message = emitMessage;
    jpeg_create_decompress(&info_);
    created_ = true;
    source_.manager.init_source = initSource;
    source_.manager.fill_input_buffer = fillInput;
    source_.manager.skip_input_data = skipInput;
    source_.manager.resync_to_restart = jpeg_resync_to_restart;
    source_.manager.term_source = termSource;
    source_.bytes = bytes_.get();
    source_.errors = &errors_;
    info_.src = &source_.manager;
    QString refusal;
    const int started = start(limits, &refusal);
    if (started <= 0) {
        *errorString = started < 0 ? refusal : failure();
        return false;
    }
    if (errors_.rowsMissing) { // a progressive file is read whole before its first row
        *errorString = failure();
        return false;
    }
    width_ = info_.output_width;
    height_ = info_.output_height;
    if (cmyk_)
        cmykRow_.resize(std::size_t(width_) * 4);
    return true;
}

int JpegDecoder::start(const PictureLimits &limits, QString *refusal)
{
    if (setjmp(errors_.jump))
        return 0;
    jpeg_read_header(&info_, TRUE);
    if (!fitsLimits(info_.image_width, info_.image_height, limits, refusal))
        return -1;
    cmyk_ = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    info_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_BGRA; // BGRA in memory is a QRgb
    jpeg_start_decompress(&info_);
    return 1;
}

bool JpegDecoder::decodeRow(int, QRgb *row)
{
    JSAMPROW line = cmyk_ ? cmykRow_.data() : reinterpret_cast<JSAMPROW>(row);
    if (setjmp(errors_.jump))
        return fail(failure());
    if (jpeg_read_scanlines(&info_, &line, 1) != 1)
        return fail(failure());
    if (errors_.rowsMissing)
        return fail(failure());
    if (cmyk_) { // Adobe's inverted CMYK, as Qt converts it
        const JSAMPLE *in = cmykRow_.data();
        for (std::int64_t x = 0; x < width_; ++x, in += 4) {
            const int k = in[3];
            row[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
        }
    }
    return true;
}

} // namespace

std::unique_ptr<PictureDecoder> openJpeg(std::unique_ptr<ByteSource> source, const PictureLimits &limits,
                                         QString *errorString)
{
    return openWith<JpegDecoder>(std::move(source), limits, errorString);
}
