// bench_commits [REVISIONS...]: measures the rebuilding of commits from a file
// table on synthetic logs of the given sizes (by default 1 million revisions).
//
// For each size it reports the CPU time of TCommits beside the time of the
// history order it starts from: cold, the first run, which pays for every page
// of new memory (on virtual machines a first touch of a page can cost more than
// the work on it), and warm, the best of further runs after the allocator has
// been told to keep freed memory; the goal is checked on the warm time. Then and the heap the
// commits keep per revision and per commit, against the goals: at most 150 ms for the
// 1-million-revision log and at most 8 bytes per revision plus 48 per commit.
// The synthetic log gives its later revisions commit ids and leaves the
// earlier ones without, so both ways of grouping take part.
#include "Commits.h"
#include "ParseLog.h"
#include "SyntheticLog.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <limits>
#include <vector>

using namespace quillon;

namespace {

constexpr std::size_t DefaultSize = 1'000'000;
constexpr int Runs = 5;
constexpr double GoalSeconds = 0.150;
constexpr std::size_t GoalSize = 1'000'000; // the size the time goal is set for
constexpr double GoalBytesPerRevision = 8;
constexpr double GoalBytesPerCommit = 48;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename TWork> double Time(TWork work) {
    const double start = CpuSeconds();
    work();
    return CpuSeconds() - start;
}

template <typename TWork> double Best(TWork work) {
    double best = 1e9;
    for (int run = 0; run < Runs; ++run) {
        const double start = CpuSeconds();
        work();
        best = std::min(best, CpuSeconds() - start);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!bench::ParseSizes(argc, argv, sizes, {DefaultSize})) {
        std::fprintf(stderr, "usage: %s [REVISIONS...]\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (const std::size_t size : sizes) {
        const auto table = ParseLog(bench::MakeSyntheticLog(size));
        std::size_t withId = 0;
        for (const auto& revision : table->Revisions())
            withId += HasCommitId(revision) ? 1 : 0;
        std::vector<const TRevisionInfo*> history;
        TCommits commits;
        const double coldOrderSeconds = Time([&] { history = HistoryOrder(*table); });
        const double coldSeconds = Time([&] { commits = TCommits(*table, history); });
        // From here on freed memory stays with the allocator.
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
        const double orderSeconds = Best([&] { history = HistoryOrder(*table); });
        const double seconds = Best([&] { commits = TCommits(*table, history); });
        const double revisions = static_cast<double>(table->RevisionCount());
        const double count = static_cast<double>(commits.Commits().size());
        const double bytes = static_cast<double>(commits.Bytes());
        const double goalBytes = GoalBytesPerRevision * revisions + GoalBytesPerCommit * count;
        std::printf("%zu revisions (%zu with a commit id), %zu commits\n", table->RevisionCount(),
                    withId, commits.Commits().size());
        std::printf("  grouping: cold %.1f ms, warm %.1f ms; history order: cold %.1f ms, warm "
                    "%.1f ms; ratio grouping/order: cold %.2f, warm %.2f\n",
                    coldSeconds * 1e3, seconds * 1e3, coldOrderSeconds * 1e3, orderSeconds * 1e3,
                    coldSeconds / coldOrderSeconds, seconds / orderSeconds);
        std::printf(
            "  kept: %.0f bytes = %.2f per revision + %.0f per commit; goal %.0f (%.2f "
            "of it)\n",
            bytes,
            static_cast<double>(commits.Bytes() - commits.Commits().size() * sizeof(TCommit)) /
                revisions,
            static_cast<double>(sizeof(TCommit)), goalBytes, bytes / goalBytes);
        if (bytes > goalBytes) {
            std::printf("  FAIL: more memory than the goal\n");
            ok = false;
        }
        if (size == GoalSize) {
            std::printf("  time goal %.0f ms (warm): %s\n", GoalSeconds * 1e3,
                        seconds <= GoalSeconds ? "met" : "MISSED");
            ok = ok && seconds <= GoalSeconds;
        }
    }
    return ok ? 0 : 1;
}
