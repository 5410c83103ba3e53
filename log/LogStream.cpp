#include "LogStream.h"

#include <new>

namespace quillon {

std::shared_ptr<TLogStream> TLogStream::Make(QThreadPool& pool, std::atomic<int>* filesParsed) {
    return std::shared_ptr<TLogStream>(new TLogStream(pool, filesParsed));
}

void TLogStream::Add(QByteArray bytes) {
    Added += static_cast<std::size_t>(bytes.size());
    const std::lock_guard lock(Lock);
    if (Stopped || bytes.isEmpty())
        return;
    Queue.push_back(std::move(bytes));
    if (!Running) {
        Running = true;
        Pool.start([self = shared_from_this()] { self->Run(); });
    }
}

void TLogStream::Run() {
    for (;;) {
        QByteArray bytes;
        {
            const std::lock_guard lock(Lock);
            if (Queue.empty() || Closing || Stopped) {
                Running = false;
                Idle.notify_all();
                return;
            }
            bytes = std::move(Queue.front());
            Queue.pop_front();
        }
        Parse(bytes);
    }
}

void TLogStream::Parse(const QByteArray& bytes) {
    try {
        Reader.Add(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::bad_alloc&) {
        Failed = true;
        const std::lock_guard lock(Lock);
        Stopped = true;
        Queue.clear();
    }
}

std::unique_ptr<TRCSFileTable> TLogStream::Finish() {
    std::deque<QByteArray> rest;
    {
        std::unique_lock lock(Lock);
        Closing = true;
        Idle.wait(lock, [this] { return !Running; });
        rest.swap(Queue);
    }
    for (QByteArray& bytes : rest) {
        Parse(std::exchange(bytes, QByteArray()));
        if (Failed)
            break;
    }
    if (Failed)
        throw std::bad_alloc();
    return Reader.Finish();
}

void TLogStream::Abandon() {
    const std::lock_guard lock(Lock);
    Stopped = true;
    Queue.clear();
}

} // namespace quillon
