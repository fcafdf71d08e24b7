#pragma once

#include "core/colour.h"
#include "core/refusal.h"

#include <QString>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

class TurnedRows;

// The decode and turn stages on a thread of their own: rows are read ahead into a few blocks while the caller
// works on the rows before them, so on a machine of two cores decoding overlaps the rest of the road. The rows
// come in order, as TurnedRows gives them; memory stays at a few blocks of rows. A picture of one block is read
// on the caller's thread, before the first row is asked for.
class ReadAhead {
public:
    explicit ReadAhead(TurnedRows &rows);
    ~ReadAhead(); // stops the thread, whatever it was reading
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // The next row (width() pixels), the caller's to change until the next call; null, with the reason, when the
    // picture cannot be read. What the thread threw (running out of memory) is thrown here.
    QRgb *next();
    const Refusal &refusal() const { return error_; }

private:
    static constexpr int blockCount = 4;
    struct Block {
        std::vector<QRgb> pixels;
        int rows = 0;        // rows read into it
        bool failed = false; // reading stopped after `rows` rows
        bool full = false;   // the reader is done with it; the caller's until it moves on
    };

    void read();

    TurnedRows &source_;
    int width_;
    int height_;
    int blockRows_;
    Block blocks_[blockCount];
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    std::exception_ptr thrown_;
    Refusal error_;
    int block_ = 0; // the caller's block
    int rowInBlock_ = 0;
    int rowsTaken_ = 0;
    std::thread thread_;
};
