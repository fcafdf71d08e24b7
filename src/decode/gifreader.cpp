#include "gifreader.h"

GifReader::~GifReader()
{
    if (gif_)
        DGifCloseFile(gif_, nullptr);
}

bool GifReader::open(QString *error)
{
    int code = 0;
    gif_ = DGifOpen(this, &GifReader::input, &code);
    return gif_ || fail(code, error);
}

bool GifReader::nextFrame(GifControl *control, QString *error)
{
    *control = {};
    while (true) {
        GifRecordType record;
        if (DGifGetRecordType(gif_, &record) != GIF_OK)
            return fail(gif_->Error, error);
        if (record == TERMINATE_RECORD_TYPE)
            return false;
        if (record == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif_) == GIF_OK || fail(gif_->Error, error);
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetExtension(gif_, &code, &block) != GIF_OK)
            return fail(gif_->Error, error);
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
            control->disposal = (block[1] >> 2) & 7;
            control->delay = 10 * (block[2] | block[3] << 8);
            control->transparent = (block[1] & 1) ? block[4] : -1;
        }
        while (block)
            if (DGifGetExtensionNext(gif_, &block) != GIF_OK)
                return fail(gif_->Error, error);
    }
}

bool GifReader::skipImage(QString *error)
{
    int size = 0;
    GifByteType *block = nullptr;
    if (DGifGetCode(gif_, &size, &block) != GIF_OK)
        return fail(gif_->Error, error);
    while (block)
        if (DGifGetCodeNext(gif_, &block) != GIF_OK)
            return fail(gif_->Error, error);
    return true;
}

bool GifReader::line(GifPixelType *line, int width, QString *error)
{
    return DGifGetLine(gif_, line, width) == GIF_OK || fail(gif_->Error, error);
}

int GifReader::input(GifFileType *gif, GifByteType *data, int count)
{
    auto *reader = static_cast<GifReader *>(gif->UserData);
    const std::int64_t n = reader->bytes_.read(reinterpret_cast<char *>(data), count);
    if (n < count)
        reader->ranOut_ = true;
    return n < 0 ? 0 : int(n);
}

bool GifReader::fail(int code, QString *error) const
{
    if (bytes_.failed())
        *error = source_.errorString();
    else if (ranOut_ || code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON)
        *error = QStringLiteral("the file is cut short");
    else
        *error = QStringLiteral("the GIF file is damaged (%1)")
                     .arg(QString::fromLatin1(GifErrorString(code) ? GifErrorString(code) : "unknown error"));
    return false;
}
