// A log parsed while it arrives: the pieces one thread hands in are parsed in
// order on a pool's thread, so that the parse keeps pace with the client.
#pragma once

#include "ParseLog.h"

#include <QByteArray>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>

namespace quillon {

class TLogStream : public std::enable_shared_from_this<TLogStream> {
public:
    // Takes the bytes of the log in order, beside the parse.
    using TCopy = std::function<void(std::string_view)>;

    // pool runs the parse, and copy, when given, on a thread of its own; it and
    // filesParsed (raised as files are read) outlive the stream's work.
    static std::shared_ptr<TLogStream> Make(QThreadPool& pool, std::atomic<int>* filesParsed,
                                            TCopy copy = {});

    // The next bytes of the log; never waits for the parse.
    void Add(QByteArray bytes);
    // The bytes added so far.
    std::size_t Size() const { return Added; }
    // Memory ran out in the parse: the stream takes nothing more.
    bool OutOfMemory() const { return Failed; }
    // The log has ended: parses and copies what is left on the calling
    // thread, which must not be the one that adds, and hands the table over.
    // Throws std::bad_alloc when memory ran out.
    std::unique_ptr<TRCSFileTable> Finish();
    // Drops the bytes not yet parsed or copied and takes no more; copy goes
    // once it has taken its last bytes, as it does at the end of Finish.
    void Abandon();

private:
    // The bytes waiting for one of the stream's readers, and whether a run of
    // it is on the pool.
    struct TLane {
        std::deque<QByteArray> Queue;
        bool Running = false;
    };

    TLogStream(QThreadPool& pool, std::atomic<int>* filesParsed, TCopy copy)
        : Pool(pool), Reader(filesParsed), Copy(std::move(copy)) {}
    void Queue(TLane& lane, const QByteArray& bytes);
    void Run(TLane& lane);
    void Take(TLane& lane, const QByteArray& bytes);

    QThreadPool& Pool;
    TLogReader Reader; // used by one thread at a time: Run's, then Finish's
    TCopy Copy;        // likewise; guarded by Lock while a copy may run
    std::atomic<std::size_t> Added{0};
    std::atomic<bool> Failed{false};
    std::mutex Lock; // guards what follows
    std::condition_variable Idle;
    TLane Parsing, Copying;
    bool Closing = false; // Finish has been called
    bool Stopped = false; // abandoned, or out of memory
};

} // namespace quillon
