// bench_parse [REVISIONS...]: measures the log parser on synthetic logs of the
// given sizes (by default 10 thousand, 200 thousand and 1 million revisions).
//
// For each size it reports the time of ParseLog + the check + AuthorList
// against a bare pass that only splits the same bytes into lines (the floor),
// the heap the file table keeps per revision beyond copied comment text, and
// the peak resident size. Every size runs in a child process of its own, which
// reads the log from a file of the exact size, so that the peak is the log
// buffer plus the table and nothing the generator or another size left behind.
//
// Two times are given: cold, the first parse in the fresh process, which pays
// for every page of new memory the table takes (as the program does when it
// opens a folder), and warm, the best of further runs after the allocator has
// been told to keep freed memory, which is the parser's own work. On virtual
// machines a first touch of a page can cost far more than the parse of its
// bytes, so the cost of one such page fault is measured and printed as well.
#include "Authors.h"
#include "CheckLog.h"
#include "ParseLog.h"
#include "SyntheticLog.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;

namespace {

constexpr std::array<std::size_t, 3> DefaultSizes = {10'000, 200'000, 1'000'000};
constexpr unsigned Seed = 1;
constexpr int WarmRuns = 4; // the first one refills the allocator
constexpr int FloorRuns = 5;
constexpr std::int32_t LinesLimit = 5; // the default few-changes threshold
constexpr double ParseGoalRatio = 2.0;
constexpr double BytesPerRevisionGoal = 128;
constexpr double BytesPerMB = 1e6;
constexpr double BytesPerKiB = 1024; // the unit of ru_maxrss
constexpr std::size_t PageProbeBytes = 16 << 20;
constexpr std::size_t PageSize = 4096;

// What a child reports back to the parent through a pipe.
struct TResult {
    std::size_t Revisions = 0;
    std::size_t Files = 0;
    std::size_t LogBytes = 0;
    double ColdSeconds = 0;  // the first run
    long ColdPageFaults = 0; // page faults of the first run
    double WarmSeconds = 0;  // best run
    double FloorSeconds = 0; // best run
    std::int64_t HeapGrowth = 0;
    std::size_t CopiedCommentBytes = 0;
    std::size_t CopiedComments = 0;
    long PeakRssKiB = 0;
    bool Ok = false;
    char Error[200] = {};
};

// The process's CPU time (user and system), so that other load on the machine
// does not count; the runs are single-threaded.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsSince(double start) {
    return CpuSeconds() - start;
}

// Bytes the allocator has handed out: the main arena plus mmapped blocks.
std::int64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

rusage Usage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

// The time of a first touch of one page of fresh memory, in seconds.
double PageFaultSeconds() {
    void* memory =
        mmap(nullptr, PageProbeBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return 0;
    auto* bytes = static_cast<volatile char*>(memory);
    const auto start = CpuSeconds();
    for (std::size_t i = 0; i < PageProbeBytes; i += PageSize)
        bytes[i] = 1;
    const double seconds = SecondsSince(start);
    munmap(memory, PageProbeBytes);
    return seconds / static_cast<double>(PageProbeBytes / PageSize);
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        text.resize(static_cast<std::size_t>(size));
        ok = std::fread(text.data(), 1, text.size(), file) == text.size();
    }
    std::fclose(file);
    return ok;
}

bool WriteLogFile(const std::string& path, std::size_t revisions) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = true;
    bench::WriteSyntheticLog(revisions, Seed, [&](std::string_view piece) {
        ok = ok && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
    });
    return std::fclose(file) == 0 && ok;
}

// The floor: finds every line of the text and nothing else. Returns a value
// that depends on every line, so that the pass cannot be left out.
std::size_t SplitLines(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    std::size_t lines = 0;
    std::size_t bytes = 0;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = nl ? nl : end;
        bytes += static_cast<std::size_t>(lineEnd - p);
        ++lines;
        p = nl ? nl + 1 : end;
    }
    return lines + bytes;
}

bool Inside(std::string_view text, const char* begin, std::size_t size) {
    return text.data() >= begin && text.data() + text.size() <= begin + size;
}

void Fail(TResult& result, const char* message) {
    std::snprintf(result.Error, sizeof result.Error, "%s", message);
}

// Runs in the child: one size. The cold run and the memory figures come first,
// while the process holds nothing but the log; then the warm runs.
TResult Measure(const std::string& path, std::size_t revisions) {
    TResult result;
    result.Revisions = revisions;
    {
        std::string log;
        if (!ReadWholeFile(path, log)) {
            Fail(result, "cannot read the log file");
            return result;
        }
        result.LogBytes = log.size();
        const char* const logBegin = log.data();
        const std::int64_t heapBefore = HeapInUse();
        const long faultsBefore = Usage().ru_minflt;
        const auto parseStart = CpuSeconds();
        auto table = ParseLog(std::move(log));
        const double parseSeconds = SecondsSince(parseStart);
        const long parseFaults = Usage().ru_minflt - faultsBefore;
        result.HeapGrowth = HeapInUse() - heapBefore;
        if (table->RevisionCount() != revisions || table->BadDates() != 0) {
            Fail(result, "the table does not hold the revisions of the log");
            return result;
        }
        if (table->FileCount() == 0 ||
            !Inside(table->Files()[0].RCSPath, logBegin, result.LogBytes)) {
            Fail(result, "the table did not take the log buffer over");
            return result;
        }
        result.Files = table->FileCount();
        for (const auto& file : table->Files())
            for (const auto& revision : file.Revisions)
                if (!revision.Comment.empty() &&
                    !Inside(revision.Comment, logBegin, result.LogBytes)) {
                    result.CopiedCommentBytes += revision.Comment.size();
                    ++result.CopiedComments;
                }
        const long checkFaultsBefore = Usage().ru_minflt;
        const auto checkStart = CpuSeconds();
        ClearEmptyMessages(*table);
        const auto counters = CountFiles(*table, LinesLimit);
        const auto authors = AuthorList(*table);
        result.ColdSeconds = parseSeconds + SecondsSince(checkStart);
        result.ColdPageFaults = parseFaults + Usage().ru_minflt - checkFaultsBefore;
        if (authors.empty()) {
            Fail(result, "no authors found");
            return result;
        }
        result.PeakRssKiB = Usage().ru_maxrss;
    }

    // From here on freed memory stays with the allocator, so that the runs
    // after the first one reuse pages the process already has.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
    std::string master;
    if (!ReadWholeFile(path, master)) {
        Fail(result, "cannot read the log file");
        return result;
    }
    result.WarmSeconds = std::numeric_limits<double>::infinity();
    std::size_t seen = 0;
    for (int run = 0; run < WarmRuns; ++run) {
        std::string copy = master;
        const auto start = CpuSeconds();
        auto table = ParseLog(std::move(copy));
        ClearEmptyMessages(*table);
        const auto counters = CountFiles(*table, LinesLimit);
        const auto authors = AuthorList(*table);
        result.WarmSeconds = std::min(result.WarmSeconds, SecondsSince(start));
        seen += table->RevisionCount() + authors.size();
    }
    result.FloorSeconds = std::numeric_limits<double>::infinity();
    std::size_t split = 0;
    for (int run = 0; run < FloorRuns; ++run) {
        const auto start = CpuSeconds();
        split += SplitLines(master);
        result.FloorSeconds = std::min(result.FloorSeconds, SecondsSince(start));
    }
    result.Ok = seen > 0 && split > 0;
    if (!result.Ok)
        Fail(result, "a timed pass produced nothing");
    return result;
}

// Generates the log of one size into a temporary file and measures it in a
// child process.
TResult RunSize(std::size_t revisions) {
    TResult result;
    result.Revisions = revisions;
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/quillon-bench-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) {
        Fail(result, "cannot create a temporary file");
        return result;
    }
    close(fd);
    int channel[2];
    if (!WriteLogFile(path, revisions)) {
        Fail(result, "cannot write the log file");
    } else if (pipe(channel) != 0) {
        Fail(result, "cannot create a pipe");
    } else {
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            const TResult measured = Measure(path, revisions);
            const bool written = write(channel[1], &measured, sizeof measured) ==
                                 static_cast<ssize_t>(sizeof measured);
            _exit(written ? 0 : 1);
        }
        close(channel[1]);
        if (child < 0) {
            Fail(result, "cannot start a child process");
        } else {
            TResult measured;
            const bool readOk = read(channel[0], &measured, sizeof measured) ==
                                static_cast<ssize_t>(sizeof measured);
            int status = 0;
            waitpid(child, &status, 0);
            if (readOk && WIFEXITED(status) && WEXITSTATUS(status) == 0)
                result = measured;
            else
                Fail(result, "the child process failed");
        }
        close(channel[0]);
    }
    unlink(path.c_str());
    return result;
}

double BytesPerRevision(const TResult& r) {
    return static_cast<double>(r.HeapGrowth - static_cast<std::int64_t>(r.CopiedCommentBytes)) /
           static_cast<double>(r.Revisions);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!bench::ParseSizes(argc, argv, sizes, {DefaultSizes.begin(), DefaultSizes.end()})) {
        std::fputs("usage: bench_parse [REVISIONS...]\n", stderr);
        return 2;
    }
    std::printf("Log parser: ParseLog + the check + AuthorList on synthetic logs (seed %u).\n"
                "cold: the first run in a fresh process; warm: best of %d further runs;\n"
                "floor: a bare line split of the same bytes, best of %d. Ratio: warm / floor.\n"
                "Times are CPU time (user + system) of the measuring process.\n"
                "A first touch of a fresh 4 KiB page costs %.2f us on this machine.\n\n",
                Seed, WarmRuns, FloorRuns, PageFaultSeconds() * 1e6);
    std::printf("%9s %7s %7s %8s %7s %8s %6s %7s %7s %6s %6s %8s\n", "revisions", "files", "log MB",
                "cold ms", "faults", "warm ms", "MB/s", "Mrev/s", "floor", "ratio", "B/rev",
                "peak MB");
    std::printf("%9s %7s %7s %8s %7s %8s %6s %7s %7s %6s %6s %8s\n", "", "", "", "", "", "", "", "",
                "MB/s", "", "", "");
    std::fflush(stdout);
    double worstRatio = 0;
    double worstColdRatio = 0;
    double worstBytes = 0;
    bool failed = false;
    for (const std::size_t size : sizes) {
        const TResult r = RunSize(size);
        if (!r.Ok) {
            std::printf("%9zu  failed: %s\n", size, r.Error);
            failed = true;
            continue;
        }
        const double mb = static_cast<double>(r.LogBytes) / BytesPerMB;
        const double ratio = r.WarmSeconds / r.FloorSeconds;
        const double bytes = BytesPerRevision(r);
        worstRatio = std::max(worstRatio, ratio);
        worstColdRatio = std::max(worstColdRatio, r.ColdSeconds / r.FloorSeconds);
        worstBytes = std::max(worstBytes, bytes);
        std::printf("%9zu %7zu %7.1f %8.1f %7ld %8.1f %6.0f %7.2f %7.0f %5.2fx %6.1f %8.1f\n",
                    r.Revisions, r.Files, mb, r.ColdSeconds * 1e3, r.ColdPageFaults,
                    r.WarmSeconds * 1e3, mb / r.WarmSeconds,
                    static_cast<double>(r.Revisions) / r.WarmSeconds / 1e6, mb / r.FloorSeconds,
                    ratio, bytes, static_cast<double>(r.PeakRssKiB) * BytesPerKiB / BytesPerMB);
        if (r.CopiedComments > 0)
            std::printf("%9s (%zu comments, %zu bytes, copied out of the log; not in B/rev)\n", "",
                        r.CopiedComments, r.CopiedCommentBytes);
        std::fflush(stdout);
    }
    std::printf(
        "\nB/rev: heap growth across ParseLog (mallinfo2: arena bytes in use plus mmapped\n"
        "blocks), less the text of comments the table copied out of the log, per revision.\n"
        "The log buffer is allocated before and taken over by the table, so it is not in\n"
        "it; what is: the revision store (%zu bytes per revision), the file store (%zu\n"
        "bytes per file) and allocator overhead. Peak MB: the child's peak resident size\n"
        "after the first parse, i.e. the log buffer plus the table plus the program.\n\n",
        sizeof(TRevisionInfo), sizeof(TRCSFile));
    if (!failed) {
        std::printf("Goal: parse + counters within %.1fx of the floor: %s (worst %.2fx warm, "
                    "%.2fx cold)\n",
                    ParseGoalRatio, worstRatio <= ParseGoalRatio ? "met" : "NOT met", worstRatio,
                    worstColdRatio);
        std::printf("Goal: at most %.0f bytes per revision beyond comment text: %s (worst %.1f)\n",
                    BytesPerRevisionGoal, worstBytes <= BytesPerRevisionGoal ? "met" : "NOT met",
                    worstBytes);
    }
    return failed ? 1 : 0;
}
