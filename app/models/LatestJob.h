// Work for the GUI thread done on a worker: only the result of the latest job
// reaches the owner, on the owner's thread, and none once the owner is gone.
#pragma once

#include "WorkerPool.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>

namespace quillon {

class TLatestJob {
public:
    explicit TLatestJob(QObject* owner) : State(std::make_shared<TState>()) {
        State->Owner = owner;
    }
    ~TLatestJob() {
        Cancel();
        const std::lock_guard lock(State->Lock);
        State->Owner = nullptr;
    }
    TLatestJob(const TLatestJob&) = delete;
    TLatestJob& operator=(const TLatestJob&) = delete;

    // Runs work(cancelled) on a worker of the global pool, then done(result)
    // on the owner's thread, unless Cancel or a newer Start came first. work
    // may return early once cancelled turns true.
    template <typename TWork, typename TDone> void Start(TWork work, TDone done) {
        Cancel();
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        Current = cancelled;
        WorkerPool().start([state = State, cancelled, work, done] {
            auto result = std::make_shared<decltype(work(*cancelled))>(work(*cancelled));
            const std::lock_guard lock(state->Lock);
            if (*cancelled || !state->Owner)
                return;
            QMetaObject::invokeMethod(state->Owner, [cancelled, result, done] {
                if (!*cancelled)
                    done(std::move(*result));
            });
        });
    }
    // Called on the owner's thread.
    void Cancel() {
        if (Current)
            Current->store(true);
        Current.reset();
    }

private:
    struct TState {
        std::mutex Lock;
        QObject* Owner = nullptr;
    };
    std::shared_ptr<TState> State;
    std::shared_ptr<std::atomic<bool>> Current;
};

} // namespace quillon
