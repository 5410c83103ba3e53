// bench_tags [REVISIONS...]: the cost of tags and branches on synthetic logs of
// the given sizes (by default 1 million revisions).
//
// For each size a child process reads the log from a file and loads it as the
// program does (ParseLog, which lists every name once, and the summary). It
// reports how many of the log's lines are tag lines and how many tags a
// revision has, the peak resident size of the load and how much the names add
// to it (the room the file table keeps for each block and for the list), and
// what listing every name costs: the parse of the log against the parse of the
// same bytes with every "symbolic names:" header made unknown, so that its
// lines are skipped (best of a few runs each, in the same process). Exits with
// 1 when the peak grows by more than 5 % or the list takes more than 200 ms.
#include "AuthorIndex.h"
#include "CheckLog.h"
#include "ParseLog.h"
#include "SyntheticLog.h"
#include "Tags.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

using namespace quillon;

namespace {

constexpr std::size_t DefaultRevisions = 1'000'000;
constexpr unsigned Seed = 1;
constexpr int Runs = 3;
constexpr double PeakGrowthGoal = 0.05;
constexpr double ListGoalMs = 200;
constexpr double BytesPerKiB = 1024; // the unit of ru_maxrss
constexpr double BytesPerMB = 1e6;

struct TResult {
    std::size_t Revisions = 0;
    std::size_t Lines = 0;
    std::size_t TagLines = 0;
    std::size_t Names = 0;
    double LoadPeakMB = 0;
    double NamesMB = 0; // the files' SymbolBlock fields and the list
    double ParseMs = 0; // best run
    double BlindMs = 0; // best run on the log without name blocks
    bool Ok = false;
};

template <typename TAction> double TimeMs(TAction action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double PeakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * BytesPerKiB / BytesPerMB;
}

// The log with every "symbolic names:" header made unknown, at the same size.
std::string WithoutNameBlocks(std::string log) {
    constexpr std::string_view Header = "\nsymbolic names:";
    for (auto pos = log.find(Header); pos != std::string::npos; pos = log.find(Header, pos + 1))
        log[pos + 1] = 'S';
    return log;
}

std::string ReadLog(const std::string& path) {
    std::string log;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            log.append(buffer, n);
        std::fclose(file);
    }
    return log;
}

TResult Measure(const std::string& path, std::size_t revisions) {
    TResult result;
    result.Revisions = revisions;
    std::string log = ReadLog(path);
    result.Lines = static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
    {
        // The load as the program makes it, in the fresh process.
        auto table = ParseLog(std::move(log));
        ClearEmptyMessages(*table);
        const auto counters = CountFiles(*table, 5);
        const auto order = HistoryOrder(*table);
        const TAuthorIndex authors(*table);
        result.LoadPeakMB = PeakMB();
        result.NamesMB = static_cast<double>(table->FileCount() * sizeof(TText) +
                                             table->Names().capacity() * sizeof(TNameEntry)) /
                         BytesPerMB;
        for (const TRCSFile& file : table->Files())
            ForEachNameLine(file, [&](TText, TText) {
                ++result.TagLines;
                return true;
            });
        result.Names = table->Names().size();
        result.Ok = table->RevisionCount() == revisions && result.Names > 0 && !counters.empty() &&
                    order.size() == revisions;
    }
    log = ReadLog(path);
    const std::string blind = WithoutNameBlocks(log);
    result.ParseMs = result.BlindMs = std::numeric_limits<double>::infinity();
    for (int run = 0; run < Runs; ++run) {
        std::string copy = log;
        result.ParseMs = std::min(result.ParseMs, TimeMs([&] { ParseLog(std::move(copy)); }));
        copy = blind;
        result.BlindMs = std::min(
            result.BlindMs,
            TimeMs([&] { result.Ok = result.Ok && ParseLog(std::move(copy))->Names().empty(); }));
    }
    return result;
}

TResult RunSize(std::size_t revisions) {
    TResult result;
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillon-tags-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return result;
    std::FILE* file = fdopen(fd, "wb");
    bench::WriteSyntheticLog(revisions, Seed, [&](std::string_view piece) {
        std::fwrite(piece.data(), 1, piece.size(), file);
    });
    std::fclose(file);
    int channel[2];
    if (pipe(channel) == 0) {
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            const TResult measured = Measure(path, revisions);
            const bool written = write(channel[1], &measured, sizeof measured) ==
                                 static_cast<ssize_t>(sizeof measured);
            _exit(written ? 0 : 1);
        }
        close(channel[1]);
        if (child > 0 && read(channel[0], &result, sizeof result) != sizeof result)
            result.Ok = false;
        int status = 0;
        if (child > 0)
            waitpid(child, &status, 0);
        close(channel[0]);
    }
    unlink(path.c_str());
    return result;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!bench::ParseSizes(argc, argv, sizes, {DefaultRevisions})) {
        std::fputs("usage: bench_tags [REVISIONS...]\n", stderr);
        return 2;
    }
    bool met = true;
    for (const std::size_t size : sizes) {
        const TResult r = RunSize(size);
        if (!r.Ok) {
            std::printf("%zu revisions: failed\n", size);
            met = false;
            continue;
        }
        const double growth = r.NamesMB / r.LoadPeakMB;
        const double listMs = std::max(0.0, r.ParseMs - r.BlindMs);
        std::printf("%zu revisions: %zu tag lines of %zu lines (%.0f %%), %.1f tags per revision, "
                    "%zu names\n",
                    r.Revisions, r.TagLines, r.Lines,
                    100.0 * static_cast<double>(r.TagLines) / static_cast<double>(r.Lines),
                    static_cast<double>(r.TagLines) / static_cast<double>(r.Revisions), r.Names);
        std::printf("  load peak %.1f MB; the names keep %.2f MB: %.2f %% of it (goal at most "
                    "%.0f %%)\n",
                    r.LoadPeakMB, r.NamesMB, 100 * growth, 100 * PeakGrowthGoal);
        std::printf("  parse %.1f ms, without the name blocks %.1f ms: listing every name costs "
                    "%.1f ms (goal at most %.0f ms), %.3f x the parse\n",
                    r.ParseMs, r.BlindMs, listMs, ListGoalMs, listMs / r.ParseMs);
        met = met && growth <= PeakGrowthGoal && listMs <= ListGoalMs;
    }
    std::printf("Goals: %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
