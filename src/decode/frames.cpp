#include "frames.h"

namespace {

// The single picture's decoder, lent to the road for the one frame.
class Lent : public PictureDecoder {
public:
    explicit Lent(PictureDecoder &decoder) : decoder_(decoder)
    {
        width_ = decoder.width();
        height_ = decoder.height();
    }
    bool mayBeTransparent() const override { return decoder_.mayBeTransparent(); }

protected:
    bool decodeRow(int, QRgb *row) override { return decoder_.readRow(row) || fail(decoder_.refusal()); }

private:
    PictureDecoder &decoder_;
};

} // namespace

bool SinglePicture::prepare(int, QSize atLeast, Refusal *why)
{
    if (decoder_.prepare(atLeast))
        return true;
    *why = decoder_.refusal();
    return false;
}

std::unique_ptr<PictureDecoder> SinglePicture::open(int i, Refusal *why)
{
    if (i != 0 || opened_) {
        *why = Refusal::Rule::OutOfOrder;
        return nullptr;
    }
    opened_ = true;
    return std::make_unique<Lent>(decoder_);
}
