// JPEG through libjpeg-turbo, a scan line at a time, with the library's default (accurate) DCT and upsampling.
//
// What is read: a file whose scan data reaches its last row. One that lacks only its end marker after a
// complete last scan, or has stray bytes between segments, is read as viewers read it. What is refused: a file
// whose scan data stops before the picture is complete, however it is coded (libjpeg would fill the rest with
// grey); a progressive or other multi-scan file, and an arithmetic-coded one, that does not reach its end marker
// (a missing scan cannot be told from a complete file otherwise, and the data goes into firmware); a file
// without a scan; more than maxScans scans (each costs a pass over the whole picture).

#include "decode/decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>
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
    bool rowsMissing = false; // the entropy decoder met a marker while it still wanted data for the picture
    bool tooManyScans = false;
    bool readFailed = false; // the source could not be read: it says why
    char message[JMSG_LENGTH_MAX] = {};
};

// Far above any real file: an encoder's progressive script has about ten scans.
constexpr int maxScans = 256;

// What a multi-scan file may cost: every scan is a pass over the whole picture, so the scans times the pixels
// bound the time it takes (about a second for each 2^30 of them, however little data each scan holds).
constexpr std::int64_t maxScanPixels = std::int64_t(1) << 32;

// The scans of a JPEG file, counted from its markers without decoding anything (stopping past maxScans).
int countScans(ByteSource &bytes)
{
    ByteReader in(bytes);
    int scans = 0;
    for (int b = in.byte(); b >= 0 && scans <= maxScans; b = in.byte()) {
        if (b != 0xFF) // scan data, or stray bytes between segments
            continue;
        int marker = in.byte();
        while (marker == 0xFF)
            marker = in.byte();
        if (marker < 0 || marker == 0xD9) // the end of the file, or of the picture
            break;
        // A stuffed zero or a restart inside scan data, the start of the picture, or a marker without a length.
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;
        const int high = in.byte(), low = in.byte();
        if (low < 0)
            break;
        scans += marker == 0xDA;
        in.seek(in.position() + (high << 8 | low) - 2);
    }
    return scans;
}

struct Progress {
    jpeg_progress_mgr manager;
    Errors *errors;
};

// Called by libjpeg as it works through the file: stops it when the scans pass maxScans.
void monitorProgress(j_common_ptr info)
{
    const auto *decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number <= maxScans)
        return;
    Errors *errors = reinterpret_cast<Progress *>(info->progress)->errors;
    errors->tooManyScans = true;
    std::longjmp(errors->jump, 1);
}

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
    if (info->err->msg_code == JWRN_HIT_MARKER)
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
        source->errors->readFailed = true;
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

    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);

protected:
    bool decodeRow(int y, QRgb *row) override;

private:
    // Why libjpeg stopped: too many scans, the data cut short, or the library's own words.
    Refusal failure() const
    {
        if (errors_.readFailed)
            return bytes_->refusal();
        if (errors_.tooManyScans)
            return Refusal::of(Refusal::Rule::Scans, {}, maxScans + 1, maxScans).in("JPEG");
        if (errors_.dataEnded || cutShort())
            return Refusal(Refusal::Rule::CutShort).in("JPEG");
        return Refusal(Refusal::Rule::Damaged).saying(QString::fromLocal8Bit(errors_.message)).in("JPEG");
    }
    // Whether the scan data ended before the picture was complete, as far as the file's coding can tell.
    bool cutShort() const { return errors_.rowsMissing || (errors_.dataEnded && (multiScan_ || info_.arith_code)); }
    // Reads the header; with the sizes within `limits`, starts decompressing (which reads a multi-scan file
    // whole). False, with the reason, when the sizes are refused or libjpeg stops.
    bool readHeader(const PictureLimits &limits, Refusal *why);
    // Starts decompressing at the smallest DCT scale at which the picture is at least `atLeast` (which reads a
    // multi-scan file whole); false, with the reason, when libjpeg stops or the data is cut short.
    bool start(QSize atLeast) override;
    // The coefficients libjpeg holds for a multi-scan file: every block of every component, in whole iMCUs.
    std::int64_t coefficientBytes() const;

    std::unique_ptr<ByteSource> bytes_;
    jpeg_decompress_struct info_{};
    Errors errors_;
    Source source_{};
    Progress progress_{};
    bool created_ = false;
    bool multiScan_ = false;
    bool cmyk_ = false;
    std::vector<JSAMPLE> cmykRow_;
    Reservation held_; // the coefficients of a multi-scan picture
};

bool JpegDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
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
    progress_.manager.progress_monitor = monitorProgress;
    progress_.errors = &errors_;
    info_.progress = &progress_.manager;
    if (!readHeader(limits, why))
        return false;
    width_ = info_.image_width;
    height_ = info_.image_height;
    return true;
}

bool JpegDecoder::start(QSize atLeast)
{
    // DCT scaling: a picture decoded at num / 8 of its size costs little more than its entropy decoding.
    for (int num = 1; num < 8 && atLeast.isValid(); ++num) {
        const auto scaled = [num](std::int64_t side) { return (side * num + 7) / 8; };
        if (scaled(info_.image_width) >= atLeast.width() && scaled(info_.image_height) >= atLeast.height()) {
            info_.scale_num = unsigned(num);
            info_.scale_denom = 8;
            break;
        }
    }
    if (setjmp(errors_.jump))
        return fail(failure());
    jpeg_start_decompress(&info_);
    if (cutShort()) // a multi-scan file is read whole before its first row
        return fail(failure());
    width_ = info_.output_width;
    height_ = info_.output_height;
    if (cmyk_)
        cmykRow_.resize(std::size_t(width_) * 4);
    return true;
}

bool JpegDecoder::readHeader(const PictureLimits &limits, Refusal *why)
{
    if (setjmp(errors_.jump)) {
        *why = failure();
        return false;
    }
    jpeg_read_header(&info_, TRUE);
    if (!admit(limits, info_.image_width, info_.image_height, why))
        return false;
    multiScan_ = jpeg_has_multiple_scans(&info_);
    // The work of a multi-scan file, judged from its markers before any of it is decoded.
    if (multiScan_) {
        const std::int64_t scans = countScans(*bytes_);
        const std::int64_t pixels = std::int64_t(info_.image_width) * info_.image_height;
        if (scans > maxScans) {
            *why = Refusal::of(Refusal::Rule::Scans, {}, scans, maxScans).in("JPEG");
            return false;
        }
        if (scans * pixels > maxScanPixels) {
            *why = Refusal::ofSize(Refusal::Rule::ScanPixels, {}, info_.image_width, info_.image_height, maxScanPixels)
                       .in("JPEG");
            why->value = scans;
            return false;
        }
    }
    if (multiScan_ && !limits.sizes.reserve(coefficientBytes(), Subject::Thing::MultiScanJpeg, &held_, why))
        return false;
    // What libjpeg may take besides its coefficients: its row buffers, a few MiB. Past it libjpeg would want a
    // temporary file, which it has not, and stops.
    info_.mem->max_memory_to_use =
        long(std::min<std::int64_t>(held_.bytes() + (std::int64_t(64) << 20), std::numeric_limits<long>::max()));
    cmyk_ = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    info_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_BGRA; // BGRA in memory is a QRgb
    return true;
}

std::int64_t JpegDecoder::coefficientBytes() const
{
    std::int64_t bytes = 0;
    for (int c = 0; c < info_.num_components; ++c) {
        const jpeg_component_info &component = info_.comp_info[c];
        const auto roundUp = [](std::int64_t n, std::int64_t m) { return (n + m - 1) / m * m; };
        bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) * std::int64_t(sizeof(JBLOCK));
    }
    return bytes;
}

bool JpegDecoder::decodeRow(int, QRgb *row)
{
    JSAMPROW line = cmyk_ ? cmykRow_.data() : reinterpret_cast<JSAMPROW>(row);
    if (setjmp(errors_.jump))
        return fail(failure());
    if (jpeg_read_scanlines(&info_, &line, 1) != 1)
        return fail(failure());
    if (cutShort())
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

std::unique_ptr<PictureDecoder> openJpeg(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    return openWith<JpegDecoder>(std::move(source), limits, why);
}
