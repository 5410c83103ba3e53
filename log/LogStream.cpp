#include "LogStream.h"

#include "HugePages.h"

#include <future>
#include <new>
#include <string_view>
#include <vector>

namespace quillon {

std::shared_ptr<TLogStream> TLogStream::Make(QThreadPool& pool, std::atomic<int>* filesParsed,
                                             TCopy copy, std::function<void()> drained) {
    return std::shared_ptr<TLogStream>(
        new TLogStream(pool, filesParsed, std::move(copy), std::move(drained)));
}

void TLogStream::Add(const QByteArray& bytes) {
    Added += static_cast<std::size_t>(bytes.size());
    if (bytes.isEmpty())
        return;
    const TPiece piece = Keep(bytes);
    const std::lock_guard lock(Lock);
    if (Stopped)
        return;
    if (Copy)
        Queue(Copying, piece);
    Queue(Parsing, piece);
}

TLogStream::TPiece TLogStream::Keep(const QByteArray& bytes) {
    const auto size = static_cast<std::size_t>(bytes.size());
    if (!Room || Room->capacity() - Room->size() < size)
        Room = NewRoom(size);
    const char* const at = Room->data() + Room->size();
    Room->append(std::string_view(bytes.constData(), size));
    return {Room, std::string_view(at, size)};
}

bool TLogStream::Full() {
    const std::lock_guard lock(Lock);
    if (Copying.Bytes > CopyFullAbove)
        FoundFull = true;
    return FoundFull;
}

bool TLogStream::NowDrained() {
    if (!FoundFull || Copying.Bytes >= CopyFullAbove / 3 * 2)
        return false;
    FoundFull = false;
    return true;
}

std::shared_ptr<THugeText> TLogStream::NewRoom(std::size_t bytes) {
    auto spare = [&] {
        const std::lock_guard lock(SpareLock);
        return std::make_unique<THugeText>(Spares.Take(std::max(RoomBytes, bytes)));
    }();
    std::unique_ptr<THugeText, TRecycle> room(spare.release(), TRecycle{weak_from_this()});
    return room;
}

void TLogStream::TRecycle::operator()(THugeText* room) const {
    const std::unique_ptr<THugeText> freed(room);
    if (const auto stream = Stream.lock())
        stream->Recycle(std::move(*freed));
}

void TLogStream::Recycle(THugeText room) {
    const std::lock_guard lock(SpareLock);
    if (KeepSpares)
        Spares.Keep(std::move(room));
}

void TLogStream::DropSpares() {
    const std::lock_guard lock(SpareLock);
    KeepSpares = false;
    Spares.clear();
}

void TLogStream::Queue(TLane& lane, const TPiece& piece) {
    lane.Queue.push_back(piece);
    lane.Bytes += piece.Bytes.size();
    if (!lane.Running) {
        lane.Running = true;
        Pool.start([self = shared_from_this(), &lane] { self->Run(lane); });
    }
}

void TLogStream::Run(TLane& lane) {
    TCopy dropped; // goes after the lock is let go
    std::size_t taken = 0;
    for (bool last = false; !last;) {
        TPiece piece;
        bool drained = false;
        {
            const std::lock_guard lock(Lock);
            lane.Bytes -= std::min(lane.Bytes, std::exchange(taken, 0));
            drained = NowDrained();
            last = lane.Queue.empty() || Closing || Stopped;
            if (last) {
                lane.Running = false;
                if (Stopped && &lane == &Copying)
                    dropped = std::move(Copy);
                Idle.notify_all();
            } else {
                piece = std::move(lane.Queue.front());
                lane.Queue.pop_front();
            }
        }
        if (drained && Drained)
            Drained();
        if (!last) {
            taken = piece.Bytes.size();
            Take(lane, piece.Bytes);
        }
    }
}

void TLogStream::Take(TLane& lane, std::string_view bytes) {
    if (&lane == &Copying)
        return Copy(bytes);
    try {
        Reader.Add(bytes);
    } catch (const std::bad_alloc&) {
        Failed = true;
        const std::lock_guard lock(Lock);
        Stop();
    }
}

std::unique_ptr<TRCSFileTable> TLogStream::Finish() {
    std::deque<TPiece> parse, copy;
    {
        std::unique_lock lock(Lock);
        Closing = true;
        Idle.wait(lock, [this] { return !Parsing.Running && !Copying.Running; });
        parse.swap(Parsing.Queue);
        copy.swap(Copying.Queue);
    }
    // No more bytes come: the rooms go as soon as their pieces are read.
    DropSpares();
    Room.reset();
    if (Failed)
        throw std::bad_alloc();
    // The copy takes the rest beside the parse; a room is freed once both
    // have had all of its pieces.
    auto copied = std::async(std::launch::async, [this, &copy] {
        for (TPiece& piece : copy)
            Take(Copying, std::exchange(piece, TPiece()).Bytes);
        Copy = nullptr; // it has had the whole log
    });
    // What the parse has not taken yet is read in parts side by side.
    std::vector<std::string_view> rest;
    std::size_t restBytes = 0;
    for (const TPiece& piece : parse) {
        rest.push_back(piece.Bytes);
        restBytes += piece.Bytes.size();
    }
    auto table = Reader.Finish(rest, ParseParts(restBytes),
                               [&](std::size_t piece) { parse[piece] = TPiece(); });
    copied.get();
    return table;
}

void TLogStream::Stop() {
    Stopped = true;
    DropSpares();
    FoundFull = false;
    for (TLane* lane : {&Parsing, &Copying}) {
        lane->Queue.clear();
        lane->Bytes = 0;
    }
}

void TLogStream::Abandon() {
    TCopy dropped; // goes after the lock is let go
    const std::lock_guard lock(Lock);
    Stop();
    if (!Copying.Running)
        dropped = std::move(Copy);
}

} // namespace quillon
