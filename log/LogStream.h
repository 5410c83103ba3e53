// A log parsed while it arrives: the pieces one thread hands in are parsed in
// order on a pool's thread, so that the parse keeps pace with the client.
#pragma once

#include "HugePages.h"
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

    // The bytes waiting for the copy beyond which the stream is Full(); it is
    // drained again below two thirds of them. The copy is slower than the
    // parse, and holds the pieces the parse has read; what waits for the parse
    // alone is read on every core once the log has ended.
    static constexpr std::size_t CopyFullAbove = 64 << 20;

    // pool runs the parse, and copy, when given, on a thread of its own; it and
    // filesParsed (raised as files are read) outlive the stream's work.
    // drained, when given, is called on the pool's thread when the stream has
    // been found Full() and is drained again.
    static std::shared_ptr<TLogStream> Make(QThreadPool& pool, std::atomic<int>* filesParsed,
                                            TCopy copy = {}, std::function<void()> drained = {});

    // The bytes of the log wait for the parse in rooms of this size, on huge
    // pages: first writes to fresh small pages took most of the client's run.
    static constexpr std::size_t RoomBytes = 4 << 20;

    // The next bytes of the log; never waits for the parse.
    void Add(const QByteArray& bytes);
    // The bytes added so far.
    std::size_t Size() const { return Added; }
    // More bytes wait for the copy than it may hold: the one who adds had better
    // wait for drained, so that the log does not pile up in memory.
    bool Full();
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
    // Bytes of the log in a room shared with the bytes around them.
    struct TPiece {
        std::shared_ptr<const THugeText> Room;
        std::string_view Bytes;
    };

    // The bytes waiting for one of the stream's readers, and whether a run of
    // it is on the pool.
    struct TLane {
        std::deque<TPiece> Queue;
        std::size_t Bytes = 0; // in Queue, and in the piece being taken
        bool Running = false;
    };

    // Hands a room whose pieces have all been read back to its stream.
    struct TRecycle {
        std::weak_ptr<TLogStream> Stream;
        void operator()(THugeText* room) const;
    };

    // The rooms whose pieces have all been read that are kept for the pieces
    // to come while the log streams in: fresh memory is slow to write the
    // first time.
    static constexpr std::size_t MaxSpareRooms = 2;

    TLogStream(QThreadPool& pool, std::atomic<int>* filesParsed, TCopy copy,
               std::function<void()> drained)
        : Pool(pool), Reader(filesParsed), Copy(std::move(copy)), Drained(std::move(drained)) {}
    // The bytes kept in the room being filled, or in a new one.
    TPiece Keep(const QByteArray& bytes);
    // A room of at least bytes, a spare one where there is one.
    std::shared_ptr<THugeText> NewRoom(std::size_t bytes);
    // Keeps a room whose pieces have all been read as a spare, or frees it.
    void Recycle(THugeText room);
    // Frees the spare rooms and keeps no more.
    void DropSpares();
    void Queue(TLane& lane, const TPiece& piece);
    // Whether the stream was found full and is drained now; clears the mark.
    // Called with Lock held.
    bool NowDrained();
    // Takes no more bytes and drops those waiting. Called with Lock held.
    void Stop();
    void Run(TLane& lane);
    void Take(TLane& lane, std::string_view bytes);

    QThreadPool& Pool;
    TLogReader Reader; // used by one thread at a time: Run's, then Finish's
    TCopy Copy;        // likewise; guarded by Lock while a copy may run
    const std::function<void()> Drained;
    std::shared_ptr<THugeText> Room; // being filled; used by the one who adds
    std::mutex SpareLock;            // guards what follows; taken after Lock, never before
    TSpareRooms Spares{MaxSpareRooms};
    bool KeepSpares = true; // until the log has ended or the stream stopped
    std::atomic<std::size_t> Added{0};
    std::atomic<bool> Failed{false};
    std::mutex Lock; // guards what follows
    std::condition_variable Idle;
    TLane Parsing, Copying;
    bool Closing = false; // Finish has been called
    bool Stopped = false; // abandoned, or out of memory
    bool FoundFull = false;
};

} // namespace quillon
