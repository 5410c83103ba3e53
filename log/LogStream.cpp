#include "LogStream.h"

#include "HugePages.h"

#include <future>
#include <new>
#include <string_view>
#include <vector>

namespace quillon {

namespace {
constexpr std::size_t ReturnMemoryEvery = 32 << 20; // bytes of the log parsed
} // namespace

std::shared_ptr<TLogStream> TLogStream::Make(QThreadPool& pool, std::atomic<int>* filesParsed,
                                             TCopy copy, std::function<void()> drained) {
    return std::shared_ptr<TLogStream>(
        new TLogStream(pool, filesParsed, std::move(copy), std::move(drained)));
}

void TLogStream::Add(QByteArray bytes) {
    Added += static_cast<std::size_t>(bytes.size());
    const std::lock_guard lock(Lock);
    if (Stopped || bytes.isEmpty())
        return;
    if (Copy)
        Queue(Copying, bytes);
    Queue(Parsing, bytes);
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

void TLogStream::Queue(TLane& lane, const QByteArray& bytes) {
    lane.Queue.push_back(bytes);
    lane.Bytes += static_cast<std::size_t>(bytes.size());
    if (!lane.Running) {
        lane.Running = true;
        Pool.start([self = shared_from_this(), &lane] { self->Run(lane); });
    }
}

void TLogStream::Run(TLane& lane) {
    TCopy dropped; // goes after the lock is let go
    std::size_t taken = 0;
    for (bool last = false; !last;) {
        QByteArray bytes;
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
                bytes = std::move(lane.Queue.front());
                lane.Queue.pop_front();
            }
        }
        if (drained && Drained)
            Drained();
        if (!last) {
            taken = static_cast<std::size_t>(bytes.size());
            Take(lane, bytes);
        }
    }
}

void TLogStream::Take(TLane& lane, const QByteArray& bytes) {
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (&lane == &Copying)
        return Copy(text);
    try {
        Reader.Add(text);
    } catch (const std::bad_alloc&) {
        Failed = true;
        const std::lock_guard lock(Lock);
        Stop();
    }
}

std::unique_ptr<TRCSFileTable> TLogStream::Finish() {
    std::deque<QByteArray> parse, copy;
    {
        std::unique_lock lock(Lock);
        Closing = true;
        Idle.wait(lock, [this] { return !Parsing.Running && !Copying.Running; });
        parse.swap(Parsing.Queue);
        copy.swap(Copying.Queue);
    }
    if (Failed)
        throw std::bad_alloc();
    // The copy takes the rest beside the parse; a piece is freed once both
    // have had it.
    auto copied = std::async(std::launch::async, [this, &copy] {
        for (QByteArray& bytes : copy)
            Take(Copying, std::exchange(bytes, QByteArray()));
        Copy = nullptr; // it has had the whole log
    });
    // What the parse has not taken yet is read in parts side by side. Its
    // pieces are small blocks of the heap, which keeps their room when they
    // are freed: it is given back every 32 MB, so that the rest and the
    // growing table do not add up.
    std::vector<std::string_view> rest;
    std::size_t restBytes = 0;
    for (const QByteArray& bytes : parse) {
        rest.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        restBytes += rest.back().size();
    }
    std::atomic<std::size_t> released{0};
    auto table = Reader.Finish(rest, ParseParts(restBytes), [&](std::size_t piece) {
        const auto bytes = static_cast<std::size_t>(parse[piece].size());
        parse[piece] = QByteArray();
        const std::size_t before = released.fetch_add(bytes);
        if ((before + bytes) / ReturnMemoryEvery != before / ReturnMemoryEvery)
            ReturnFreeMemory();
    });
    copied.get();
    return table;
}

void TLogStream::Stop() {
    Stopped = true;
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
