// A log parsed while it arrives: the pieces one thread hands in are parsed in
// order on a pool's thread, so that the parse keeps pace with the client.
#pragma once

#include "ParseLog.h"

#include <QByteArray>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace quillon {

class TLogStream : public std::enable_shared_from_this<TLogStream> {
public:
    // pool runs the parse; it and filesParsed (raised as files are read)
    // outlive the stream's work.
    static std::shared_ptr<TLogStream> Make(QThreadPool& pool, std::atomic<int>* filesParsed);

    // The next bytes of the log; never waits for the parse.
    void Add(QByteArray bytes);
    // The bytes added so far.
    std::size_t Size() const { return Added; }
    // Memory ran out in the parse: the stream takes nothing more.
    bool OutOfMemory() const { return Failed; }
    // The log has ended: parses what is left on the calling thread, which
    // must not be the one that adds, and hands the table over. Throws
    // std::bad_alloc when memory ran out.
    std::unique_ptr<TRCSFileTable> Finish();
    // Drops the bytes not yet parsed and parses no more.
    void Abandon();

private:
    TLogStream(QThreadPool& pool, std::atomic<int>* filesParsed)
        : Pool(pool), Reader(filesParsed) {}
    void Run();
    void Parse(const QByteArray& bytes);

    QThreadPool& Pool;
    TLogReader Reader; // used by one thread at a time: Run's, then Finish's
    std::atomic<std::size_t> Added{0};
    std::atomic<bool> Failed{false};
    std::mutex Lock; // guards what follows
    std::condition_variable Idle;
    std::deque<QByteArray> Queue;
    bool Running = false; // a Run is on the pool
    bool Closing = false; // Finish has been called
    bool Stopped = false; // abandoned, or out of memory
};

} // namespace quillon
