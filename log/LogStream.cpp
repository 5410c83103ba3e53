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
                                             TCopy copy) {
    return std::shared_ptr<TLogStream>(new TLogStream(pool, filesParsed, std::move(copy)));
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

void TLogStream::Queue(TLane& lane, const QByteArray& bytes) {
    lane.Queue.push_back(bytes);
    if (!lane.Running) {
        lane.Running = true;
        Pool.start([self = shared_from_this(), &lane] { self->Run(lane); });
    }
}

void TLogStream::Run(TLane& lane) {
    TCopy dropped; // goes after the lock is let go
    for (;;) {
        QByteArray bytes;
        {
            const std::lock_guard lock(Lock);
            if (lane.Queue.empty() || Closing || Stopped) {
                lane.Running = false;
                if (Stopped && &lane == &Copying)
                    dropped = std::move(Copy);
                Idle.notify_all();
                return;
            }
            bytes = std::move(lane.Queue.front());
            lane.Queue.pop_front();
        }
        Take(lane, bytes);
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
        Stopped = true;
        Parsing.Queue.clear();
        Copying.Queue.clear();
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

void TLogStream::Abandon() {
    TCopy dropped; // goes after the lock is let go
    const std::lock_guard lock(Lock);
    Stopped = true;
    Parsing.Queue.clear();
    Copying.Queue.clear();
    if (!Copying.Running)
        dropped = std::move(Copy);
}

} // namespace quillon
