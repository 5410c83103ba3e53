#include "SyntheticLog.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_set>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quillon::bench {

namespace {

using TSeconds = std::int64_t; // seconds since 1970-01-01 00:00

constexpr std::string_view RepositoryRoot = "/cvsroot/quarry/";
constexpr std::string_view RevisionRule = "----------------------------"; // 28 hyphens
constexpr std::string_view FileEndRule =
    "============================================================================="; // 77
constexpr std::string_view EmptyLogMessage = "*** empty log message ***";
constexpr std::size_t FlushSize = 256 * 1024;
constexpr TSeconds SecondsPerDay = 86400;

constexpr double MeanRevisionsPerFile = 12;
constexpr std::size_t MaxRevisionsPerFile = 400;
constexpr double HeavyFileShare = 0.01; // files with 50 to 400 revisions
constexpr std::size_t HeavyFileMinRevisions = 50;
constexpr std::size_t FilesPerFolder = 12;
constexpr std::size_t MinFolders = 8;
constexpr int ModuleTags = 240; // tags of the whole module over the years
constexpr double BranchedFileShare = 0.2;
constexpr std::size_t MaxBranchRevisions = 4;
constexpr double DeadFileShare = 0.05;
constexpr double BinaryDataShare = 0.3; // of the files under data/
constexpr int CommitIdsSinceYear = 2006;

constexpr double EmptyMessageShare = 0.07;
constexpr double Utf8MessageShare = 0.03;
constexpr double Latin1MessageShare = 0.02;
constexpr double MultiLineMessageShare = 0.35;
constexpr double BugReferenceShare = 0.25;
constexpr int MaxBulletLines = 5;
constexpr int FirstBugNumber = 100;
constexpr int BugNumbers = 9000;

constexpr double UnchangedCountShare = 0.15;
constexpr double LargeChangeShare = 0.02;
constexpr double MeanChangedLines = 15;
constexpr int MaxLargeChange = 2000;

constexpr std::array<std::string_view, 40> Authors = {
    "carol",   "dave",    "anna",    "bob",     "mhartman", "jsmith",    "erin",   "frank",
    "grace",   "heidi",   "ivan",    "judy",    "mallory",  "niaj",      "olivia", "peggy",
    "rupert",  "sybil",   "trent",   "victor",  "walter",   "xavier",    "yvonne", "zoe",
    "kpetrov", "lnguyen", "amuller", "bdupont", "cgarcia",  "dkowalski", "eross",  "fwong",
    "gsilva",  "hkim",    "ijensen", "jlopez",  "kbrown",   "lchen",     "build",  "release"};

// Top folders, repeated by weight.
constexpr std::array<std::string_view, 10> TopFolders = {
    "src", "src", "src", "src", "include", "tests", "docs", "tools", "data", "build"};

constexpr std::array<std::string_view, 36> FolderWords = {
    "core",     "net",    "http",  "ui",     "widgets", "util",      "db",     "storage", "io",
    "render",   "audio",  "video", "parser", "config",  "plugins",   "win32",  "posix",   "crypto",
    "compress", "cache",  "index", "search", "report",  "print",     "import", "export",  "sync",
    "server",   "client", "admin", "common", "legacy",  "scripting", "i18n",   "shaders", "fonts"};

constexpr std::array<std::string_view, 48> NameWords = {
    "Buffer",  "Stream",  "Socket",  "Request", "Response", "Session", "Window", "Dialog",
    "Table",   "Index",   "Cache",   "Parser",  "Lexer",    "Token",   "Reader", "Writer",
    "Config",  "Options", "Manager", "Service", "Thread",   "Timer",   "Queue",  "Pool",
    "Channel", "Filter",  "Codec",   "Image",   "Font",     "Layout",  "Model",  "View",
    "Record",  "Schema",  "Query",   "Cursor",  "Logger",   "Path",    "Url",    "String",
    "Hash",    "Map",     "Event",   "Handler", "Plugin",   "Report",  "Job",    "Account"};

constexpr std::array<std::string_view, 15> Verbs = {
    "Fix",      "Add",      "Remove", "Refactor", "Clean up", "Update", "Rename", "Simplify",
    "Speed up", "Document", "Merge",  "Revert",   "Port",     "Handle", "Check"};

constexpr std::array<std::string_view, 20> Objects = {"the null pointer in the reader",
                                                      "the crash when the list is empty",
                                                      "the memory leak on shutdown",
                                                      "support for long file names",
                                                      "unused includes",
                                                      "the build on 64-bit systems",
                                                      "compiler warnings",
                                                      "error handling in the socket layer",
                                                      "copyright headers",
                                                      "the cache size limit",
                                                      "time-zone handling",
                                                      "the off-by-one error in the index",
                                                      "locking around the job queue",
                                                      "the import dialog layout",
                                                      "file names with blanks",
                                                      "slow start-up with many plugins",
                                                      "the fallback for missing fonts",
                                                      "the retry loop of the sync client",
                                                      "the release notes",
                                                      "the test for empty input"};

constexpr std::array<std::string_view, 6> Utf8Messages = {
    "\xC3\x9C"
    "bersetzung f\xC3\xBC"
    "r die Men\xC3\xBC"
    "s aktualisiert",
    "Corrig\xC3\xA9 l'affichage des caract\xC3\xA8res accentu\xC3\xA9s",
    "\xD0\x98\xD1\x81\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xB0 "
    "\xD0\xBE\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0 \xD0\xBF\xD1\x80\xD0\xB8 "
    "\xD1\x81\xD0\xBE\xD1\x85\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB8",
    "\xE4\xBF\xAE\xE6\xAD\xA3\xEF\xBC\x9A\xE5\x90\xAF\xE5\x8A\xA8\xE6\x97\xB6\xE5\xB4\xA9"
    "\xE6\xBA\x83\xE7\x9A\x84\xE9\x97\xAE\xE9\xA2\x98",
    "A\xC3\xB1"
    "adida la opci\xC3\xB3"
    "n de exportaci\xC3\xB3"
    "n",
    "Fix the \xE2\x80\x9C"
    "Save as\xE2\x80\xA6\xE2\x80\x9D dialog \xE2\x80\x94 see bug #812"};

constexpr std::array<std::string_view, 4> Latin1Messages = {"Korrektur f\xFC"
                                                            "r gro\xDF"
                                                            "e Dateien",
                                                            "R\xE9vision de l'aide en ligne",
                                                            "Ajout de la fen\xEAtre \xE0 propos",
                                                            "Stra\xDF"
                                                            "ennamen mit \xC4, \xD6 und \xDC"};

constexpr TSeconds DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr TSeconds FirstCommitTime = DaysFromCivil(SyntheticLogFirstYear, 1, 1) * SecondsPerDay;
constexpr TSeconds EndTime =
    DaysFromCivil(SyntheticLogFirstYear + SyntheticLogYears, 1, 1) * SecondsPerDay;
constexpr TSeconds CommitIdsSince = DaysFromCivil(CommitIdsSinceYear, 1, 1) * SecondsPerDay;

// SplitMix64: small, fast and the same on every platform.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : State(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1.
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    // A number in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Unit() < p; }
    // Mostly the first entries: the square of a uniform number favours low indices.
    std::size_t Skewed(std::size_t n) {
        const double u = Unit();
        return static_cast<std::size_t>(u * u * static_cast<double>(n));
    }
    TSeconds Between(TSeconds from, TSeconds to) {
        return from + static_cast<TSeconds>(Below(static_cast<std::size_t>(to - from)));
    }
    template <class T, std::size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[Below(N)];
    }

private:
    std::uint64_t State;
};

struct TTag {
    std::string Name;
    TSeconds Time;
    bool IsBranch;
};

struct TRevision {
    std::string Number;
    TSeconds Time = 0;
};

void AppendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void AppendPadded(std::string& out, int value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    out.append(digits, width);
}

// "YYYY-MM-DD HH:NN:SS" of a time.
void AppendTime(std::string& out, TSeconds time) {
    const std::int64_t z = time / SecondsPerDay + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const auto year = static_cast<int>(yoe + era * 400 + (month <= 2));
    const auto secondOfDay = static_cast<int>(time % SecondsPerDay);
    AppendPadded(out, year, 4);
    out += '-';
    AppendPadded(out, static_cast<int>(month), 2);
    out += '-';
    AppendPadded(out, static_cast<int>(day), 2);
    out += ' ';
    AppendPadded(out, secondOfDay / 3600, 2);
    out += ':';
    AppendPadded(out, secondOfDay / 60 % 60, 2);
    out += ':';
    AppendPadded(out, secondOfDay % 60, 2);
}

std::string Lowered(std::string_view text) {
    std::string lower(text);
    for (auto& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

class TGenerator {
public:
    TGenerator(std::size_t revisions, unsigned seed, const TLogSink& sink)
        : Random(seed), Revisions(revisions), Sink(sink) {}

    void Run() {
        MakeFolders();
        MakeModuleTags();
        std::size_t written = 0;
        while (written < Revisions) {
            const std::size_t count = std::min(RevisionsOfNextFile(), Revisions - written);
            WriteFile(count);
            written += count;
            if (Out.size() >= FlushSize)
                Flush();
        }
        Flush();
    }

private:
    void Flush() {
        if (!Out.empty())
            Sink(Out);
        Out.clear();
    }

    void MakeFolders() {
        const std::size_t count =
            std::max(MinFolders, static_cast<std::size_t>(static_cast<double>(Revisions) /
                                                          (MeanRevisionsPerFile * FilesPerFolder)));
        std::unordered_set<std::string> seen;
        while (Folders.size() < count) {
            std::string folder(Random.Pick(TopFolders));
            const std::size_t depth = 1 + Random.Below(3);
            for (std::size_t i = 0; i < depth; ++i) {
                folder += '/';
                folder += Random.Pick(FolderWords);
            }
            if (seen.insert(folder).second)
                Folders.push_back(std::move(folder));
            else if (seen.size() > count * 4)
                break; // the word lists are exhausted for this depth mix
        }
    }

    // Release, build, branch and marker tags, oldest first.
    void MakeModuleTags() {
        std::vector<TSeconds> times;
        for (int i = 0; i < ModuleTags; ++i)
            times.push_back(Random.Between(FirstCommitTime, EndTime));
        std::sort(times.begin(), times.end());
        int major = 1, minor = 0, patch = 0, build = 1000, marker = 1;
        for (const TSeconds time : times) {
            const double kind = Random.Unit();
            std::string name;
            bool isBranch = false;
            if (kind < 0.5) {
                name = "BUILD_";
                AppendNumber(name, build += 1 + static_cast<int>(Random.Below(20)));
            } else if (kind < 0.8) {
                if (Random.Chance(0.15)) {
                    ++major;
                    minor = patch = 0;
                } else if (Random.Chance(0.4)) {
                    ++minor;
                    patch = 0;
                } else {
                    ++patch;
                }
                name = "REL_";
                AppendNumber(name, major);
                name += '_';
                AppendNumber(name, minor);
                name += '_';
                AppendNumber(name, patch);
            } else if (kind < 0.9) {
                isBranch = true;
                name = "BR_REL_";
                AppendNumber(name, major);
                name += '_';
                AppendNumber(name, minor);
                name += "_FIXES_";
                AppendNumber(name, marker++);
            } else {
                std::string word(Random.Pick(FolderWords));
                for (auto& c : word)
                    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
                name = "BEFORE_" + word + "_CLEANUP_";
                AppendNumber(name, marker++);
            }
            ModuleTagList.push_back({std::move(name), time, isBranch});
        }
    }

    std::size_t RevisionsOfNextFile() {
        if (Random.Chance(HeavyFileShare))
            return HeavyFileMinRevisions +
                   Random.Below(MaxRevisionsPerFile - HeavyFileMinRevisions + 1);
        const double drawn = -std::log(1 - Random.Unit()) * (MeanRevisionsPerFile - 1);
        return std::min(MaxRevisionsPerFile, 1 + static_cast<std::size_t>(drawn));
    }

    // A working path not used before, e.g. src/net/http/SocketReader.cpp.
    std::string NewWorkingFile(bool& binary) {
        const std::string& folder = Folders[Random.Skewed(Folders.size())];
        const std::string_view top = std::string_view(folder).substr(0, folder.find('/'));
        const std::string_view first = Random.Pick(NameWords);
        const std::string_view second = Random.Pick(NameWords);
        std::string name;
        binary = false;
        if (top == "src" || top == "include") {
            name = std::string(first) + std::string(second);
            name += top == "include" ? ".h" : (Random.Chance(0.5) ? ".cpp" : ".h");
        } else if (top == "tests") {
            name = "test_" + Lowered(first) + "_" + Lowered(second) + ".cpp";
        } else if (top == "docs") {
            name = Lowered(first) + "-" + Lowered(second) + (Random.Chance(0.5) ? ".txt" : ".html");
        } else if (top == "tools") {
            name = Lowered(first) + "_" + Lowered(second) + (Random.Chance(0.5) ? ".py" : ".sh");
        } else if (top == "data") {
            binary = Random.Chance(BinaryDataShare);
            name = Lowered(first) + "_" + Lowered(second) + (binary ? ".png" : ".xml");
        } else {
            name = Lowered(first) + (Random.Chance(0.5) ? ".mk" : ".cmake");
        }
        std::string path = folder + "/" + name;
        if (!UsedPaths.insert(path).second) {
            const auto dot = path.rfind('.');
            std::string numbered;
            for (int n = 2;; ++n) {
                numbered = path.substr(0, dot) + std::to_string(n) + path.substr(dot);
                if (UsedPaths.insert(numbered).second)
                    break;
            }
            path = std::move(numbered);
        }
        return path;
    }

    // Numbers of changed lines: often a handful, sometimes none, rarely many.
    int ChangedLines() {
        if (Random.Chance(UnchangedCountShare))
            return 0;
        if (Random.Chance(LargeChangeShare))
            return 1 + static_cast<int>(Random.Below(MaxLargeChange));
        return 1 + static_cast<int>(-std::log(1 - Random.Unit()) * MeanChangedLines);
    }

    std::string_view Author() { return Authors[Random.Skewed(Authors.size())]; }

    void WriteMessage() {
        const double kind = Random.Unit();
        if (kind < EmptyMessageShare) {
            Out += EmptyLogMessage;
        } else if (kind < EmptyMessageShare + Utf8MessageShare) {
            Out += Random.Pick(Utf8Messages);
        } else if (kind < EmptyMessageShare + Utf8MessageShare + Latin1MessageShare) {
            Out += Random.Pick(Latin1Messages);
        } else {
            Out += Random.Pick(Verbs);
            Out += ' ';
            Out += Random.Pick(Objects);
            if (Random.Chance(BugReferenceShare)) {
                Out += " (bug #";
                AppendNumber(Out, FirstBugNumber + static_cast<int>(Random.Below(BugNumbers)));
                Out += ')';
            }
            if (Random.Chance(MultiLineMessageShare)) {
                Out += "\n";
                const int bullets = 1 + static_cast<int>(Random.Below(MaxBulletLines));
                for (int i = 0; i < bullets; ++i) {
                    Out += "\n- ";
                    Out += Random.Pick(Verbs);
                    Out += ' ';
                    Out += Random.Pick(Objects);
                }
            }
        }
        Out += '\n';
    }

    void WriteRevision(const TRevision& revision, bool first, bool dead,
                       std::string_view branches) {
        Out += RevisionRule;
        Out += "\nrevision ";
        Out += revision.Number;
        Out += "\ndate: ";
        AppendTime(Out, revision.Time);
        Out += " +0000;  author: ";
        Out += Author();
        Out += dead ? ";  state: dead;" : ";  state: Exp;";
        if (!first) {
            Out += "  lines: +";
            AppendNumber(Out, dead ? 0 : ChangedLines());
            Out += " -";
            AppendNumber(Out, dead ? 0 : ChangedLines());
            Out += ';';
        }
        if (revision.Time >= CommitIdsSince) {
            static constexpr char Hex[] = "0123456789ABCDEF";
            Out += "  commitid: 100";
            const std::uint64_t id = Random.Next();
            for (int shift = 60; shift >= 0; shift -= 4)
                Out += Hex[(id >> shift) & 0xF];
            Out += ';';
        }
        Out += '\n';
        if (!branches.empty()) {
            Out += "branches:  ";
            Out += branches;
            Out += ";\n";
        }
        WriteMessage();
    }

    std::vector<TSeconds> SortedTimes(std::size_t count, TSeconds from) {
        const TSeconds start = std::min(from + 1, EndTime - 1);
        std::vector<TSeconds> times;
        for (std::size_t i = 0; i < count; ++i)
            times.push_back(Random.Between(start, EndTime));
        std::sort(times.begin(), times.end());
        return times;
    }

    void WriteFile(std::size_t revisionCount) {
        bool binary = false;
        const std::string workingFile = NewWorkingFile(binary);

        // Trunk 1.1 .. 1.T, then optionally a branch 1.k.2 with a few revisions.
        std::size_t branchCount = 0;
        if (revisionCount >= 4 && Random.Chance(BranchedFileShare))
            branchCount = 1 + Random.Below(std::min(MaxBranchRevisions, revisionCount / 3));
        const std::size_t trunkCount = revisionCount - branchCount;
        const TSeconds created = Random.Between(FirstCommitTime, EndTime - SecondsPerDay);
        std::vector<TRevision> trunk(trunkCount);
        trunk[0].Time = created;
        const auto later = SortedTimes(trunkCount - 1, created);
        for (std::size_t i = 0; i < trunkCount; ++i) {
            trunk[i].Number = "1." + std::to_string(i + 1);
            if (i > 0)
                trunk[i].Time = later[i - 1];
        }
        const bool dead = trunkCount >= 2 && Random.Chance(DeadFileShare);
        const TSeconds gone = dead ? trunk.back().Time : EndTime;

        std::size_t branchPoint = 0; // index into trunk
        std::string branch;
        std::vector<TRevision> branchRevisions(branchCount);
        if (branchCount > 0) {
            branchPoint = Random.Below(trunkCount);
            branch = trunk[branchPoint].Number + ".2";
            const auto times = SortedTimes(branchCount, trunk[branchPoint].Time);
            for (std::size_t i = 0; i < branchCount; ++i)
                branchRevisions[i] = {branch + "." + std::to_string(i + 1), times[i]};
        }

        Out += "\nRCS file: ";
        Out += RepositoryRoot;
        if (dead) {
            const auto slash = workingFile.rfind('/');
            Out.append(workingFile, 0, slash);
            Out += "/Attic";
            Out.append(workingFile, slash);
        } else {
            Out += workingFile;
        }
        Out += ",v\nWorking file: ";
        Out += workingFile;
        Out += "\nhead: ";
        Out += trunk.back().Number;
        Out += "\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n";
        WriteTags(trunk, gone, branchCount > 0 ? branchPoint : trunkCount, branch);
        Out += binary ? "keyword substitution: b\n" : "keyword substitution: kv\n";
        Out += "total revisions: ";
        AppendNumber(Out, static_cast<std::int64_t>(revisionCount));
        Out += ";\tselected revisions: ";
        AppendNumber(Out, static_cast<std::int64_t>(revisionCount));
        Out += "\ndescription:\n";

        for (std::size_t i = trunkCount; i-- > 0;)
            WriteRevision(trunk[i], i == 0, dead && i + 1 == trunkCount,
                          branchCount > 0 && i == branchPoint ? branch : std::string_view{});
        for (std::size_t i = branchCount; i-- > 0;)
            WriteRevision(branchRevisions[i], false, false, {});
        Out += FileEndRule;
        Out += '\n';
    }

    // The module's tags made while the file lived, newest first, each on the
    // trunk revision current at its time; branch tags get the magic branch
    // numbers 1.k.0.2, 1.k.0.4, ... The file's own branch, if any, is
    // 1.k.2 (tag 1.k.0.2) at trunk index branchPoint.
    void WriteTags(const std::vector<TRevision>& trunk, TSeconds gone, std::size_t branchPoint,
                   const std::string& branch) {
        std::vector<int> nextBranch(trunk.size(), 2);
        std::string ownTagName;
        TSeconds ownTagTime = 0;
        if (branchPoint < trunk.size()) {
            nextBranch[branchPoint] = 4;
            ownTagName = "FIX_" + std::string(Random.Pick(FolderWords)) + "_" + branch;
            for (auto& c : ownTagName)
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : (c == '.' ? '_' : c));
            ownTagTime = trunk[branchPoint].Time + 1;
        }
        // The magic numbers are given oldest tag first, as CVS gives them.
        std::vector<std::pair<const TTag*, std::string>> tags;
        for (const TTag& tag : ModuleTagList) {
            if (tag.Time < trunk.front().Time || tag.Time >= gone)
                continue;
            const auto current =
                std::upper_bound(trunk.begin(), trunk.end(), tag.Time,
                                 [](TSeconds t, const TRevision& r) { return t < r.Time; }) -
                1;
            std::string number = current->Number;
            if (tag.IsBranch) {
                auto& next = nextBranch[static_cast<std::size_t>(current - trunk.begin())];
                number += ".0.";
                AppendNumber(number, next);
                next += 2;
            }
            tags.emplace_back(&tag, std::move(number));
        }
        bool ownWritten = ownTagName.empty();
        for (auto it = tags.rbegin(); it != tags.rend(); ++it) {
            if (!ownWritten && it->first->Time < ownTagTime) {
                WriteTag(ownTagName, trunk[branchPoint].Number + ".0.2");
                ownWritten = true;
            }
            WriteTag(it->first->Name, it->second);
        }
        if (!ownWritten)
            WriteTag(ownTagName, trunk[branchPoint].Number + ".0.2");
    }

    void WriteTag(std::string_view name, std::string_view number) {
        Out += '\t';
        Out += name;
        Out += ": ";
        Out += number;
        Out += '\n';
    }

    TRandom Random;
    std::size_t Revisions;
    const TLogSink& Sink;
    std::string Out;
    std::vector<std::string> Folders;
    std::vector<TTag> ModuleTagList;
    std::unordered_set<std::string> UsedPaths;
};

} // namespace

void WriteSyntheticLog(std::size_t revisions, unsigned seed, const TLogSink& sink) {
    TGenerator(revisions, seed, sink).Run();
}

std::string MakeSyntheticLog(std::size_t revisions, unsigned seed) {
    std::string log;
    WriteSyntheticLog(revisions, seed, [&log](std::string_view piece) { log += piece; });
    return log;
}

bool ParseSizes(int argc, char** argv, std::vector<std::size_t>& sizes,
                const std::vector<std::size_t>& defaults) {
    for (int i = 1; i < argc; ++i) {
        std::size_t value = 0;
        const char* end = argv[i] + std::char_traits<char>::length(argv[i]);
        const auto [ptr, ec] = std::from_chars(argv[i], end, value);
        if (ec != std::errc{} || ptr != end || value == 0)
            return false;
        sizes.push_back(value);
    }
    if (sizes.empty())
        sizes = defaults;
    return true;
}

void WarmFreeMemory() {
#if defined(__linux__)
    constexpr std::size_t Bytes = std::size_t(1) << 30;
    void* const room =
        mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED)
        return;
#ifdef MADV_HUGEPAGE
    madvise(room, Bytes, MADV_HUGEPAGE);
#endif
    std::memset(room, 1, Bytes);
    munmap(room, Bytes);
#endif
}

} // namespace quillon::bench
