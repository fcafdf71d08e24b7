#include "readahead.h"

#include "imaging/turn.h"

#include <algorithm>

ReadAhead::ReadAhead(TurnedRows &rows)
    : source_(rows), width_(rows.width()), height_(rows.height()),
      // Blocks of about 256 KiB: a block being read and one being worked on fit a core's cache together.
      blockRows_(std::clamp(int((std::int64_t(256) << 10) / (std::int64_t(std::max(width_, 1)) * 4)), 1, 64))
{
    for (Block &block : blocks_)
        block.pixels.resize(std::size_t(blockRows_) * std::size_t(width_));
    // A picture of one block (a glyph, a small frame) is read at once: a thread would cost more than it saves.
    if (height_ <= blockRows_)
        read();
    else
        thread_ = std::thread(&ReadAhead::read, this);
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ReadAhead::read()
{
    try {
        for (int first = 0, b = 0; first < height_; first += blockRows_, b = (b + 1) % blockCount) {
            Block &block = blocks_[b];
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return stopping_ || !block.full; });
                if (stopping_)
                    return;
            }
            const int rows = std::min(blockRows_, height_ - first);
            int read = 0;
            bool failed = false;
            for (; read < rows; ++read)
                if (!source_.next(block.pixels.data() + std::size_t(read) * std::size_t(width_))) {
                    failed = true;
                    break;
                }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                block.rows = read;
                block.failed = failed;
                block.full = true;
                if (failed)
                    error_ = source_.refusal();
            }
            changed_.notify_all();
            if (failed)
                return;
        }
    } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex_);
        thrown_ = std::current_exception();
        for (Block &block : blocks_)
            block.full = block.failed = true;
        changed_.notify_all();
    }
}

QRgb *ReadAhead::next()
{
    if (rowsTaken_ >= height_)
        return nullptr;
    Block *block = &blocks_[block_];
    if (rowInBlock_ == blockRows_) { // the caller is done with this block: it goes back to the reader
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            block->full = false;
        }
        changed_.notify_all();
        block_ = (block_ + 1) % blockCount;
        block = &blocks_[block_];
        rowInBlock_ = 0;
    }
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return block->full; });
        if (thrown_)
            std::rethrow_exception(thrown_);
        if (rowInBlock_ >= block->rows && block->failed)
            return nullptr;
    }
    ++rowsTaken_;
    return block->pixels.data() + std::size_t(rowInBlock_++) * std::size_t(width_);
}
