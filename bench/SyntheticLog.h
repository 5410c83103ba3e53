// A deterministic synthetic `cvs log` output for benchmarks: a repository of
// files in nested folders, each with a tag block, trunk and branch revisions,
// commit identifiers and multi-line messages in mixed encodings, written
// exactly as the CVS 1.12 client writes it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::bench {

// The commits of a synthetic log fall between the start of this year and
// SyntheticLogYears years later.
inline constexpr int SyntheticLogFirstYear = 2004;
inline constexpr int SyntheticLogYears = 20;

// Receives the log piece by piece, in order.
using TLogSink = std::function<void(std::string_view)>;

// Writes a log of exactly `revisions` revisions to sink, in pieces of at most
// a few hundred kilobytes, so that a log of any size can be streamed. The same
// revisions and seed always give the same bytes.
void WriteSyntheticLog(std::size_t revisions, unsigned seed, const TLogSink& sink);

// The whole log of WriteSyntheticLog as one string.
std::string MakeSyntheticLog(std::size_t revisions, unsigned seed = 1);

// The log sizes (in revisions) a benchmark's arguments ask for, or defaults
// when there are none; false when an argument is no positive number.
bool ParseSizes(int argc, char** argv, std::vector<std::size_t>& sizes,
                const std::vector<std::size_t>& defaults);

// Writes 1 GB of memory and gives it back, so that a measure that follows
// meets pages the system has just had in its first writes to fresh memory, as
// on a machine of its own. On a virtual machine whose host takes back the
// memory its guest leaves free (free page reporting), a first write to a page
// taken back costs the host a fault too: here about 2 ms a MB against 0.1 ms
// for a page just freed, and how many of a measure's pages that hits varies
// from run to run.
void WarmFreeMemory();

} // namespace quillon::bench
