// The log parser: turns the standard output of `cvs log` into a file table.
#pragma once

#include "RevisionModel.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quillon {

class TLogParser;

// Builds a new file table from the bytes of a `cvs log` output that arrive in
// pieces, cut anywhere: each piece is parsed as far as its lines are whole,
// so that the parse keeps up with the client. Touches nothing but its own
// table, so it may run on any thread, one at a time. The bytes are copied once,
// into blocks the table keeps; the texts of the table are views of them. When
// filesParsed is given, it is raised as each file header is read, so that
// another thread can show progress.
class TLogReader {
public:
    static constexpr std::size_t DefaultBlockSize = 8 << 20;

    explicit TLogReader(std::atomic<int>* filesParsed = nullptr,
                        std::size_t blockSize = DefaultBlockSize);
    ~TLogReader();
    TLogReader(const TLogReader&) = delete;
    TLogReader& operator=(const TLogReader&) = delete;

    // The next bytes of the log.
    void Add(std::string_view bytes);
    // The number of bytes added so far.
    std::size_t Size() const { return AddedBytes; }
    // The log has ended: its last line is parsed and the table handed over.
    // Called once; the reader takes no bytes after it.
    std::unique_ptr<TRCSFileTable> Finish();
    // The log has ended with rest, its pieces not yet added: they are cut at
    // file headers into parts read side by side on at most threads threads
    // (see ParseParts), and the table is handed over as Finish does. The
    // table is the same in any number of parts. taken, when given, is called
    // with the index of each piece the table no longer needs, on the thread
    // that read it.
    std::unique_ptr<TRCSFileTable> Finish(std::span<const std::string_view> rest, unsigned threads,
                                          const std::function<void(std::size_t)>& taken = {});

private:
    std::unique_ptr<TRCSFileTable> Table;
    std::unique_ptr<TLogParser> Parser;
    std::size_t AddedBytes = 0;
};

// A whole log at once: the table takes the log over as its one block, without
// copying it. The log is cut at file headers into at most parts pieces, read
// side by side; the table is the same in any number of parts. filesParsed
// counts the files of the first piece.
std::unique_ptr<TRCSFileTable> ParseLog(std::string log, std::atomic<int>* filesParsed = nullptr,
                                        unsigned parts = 1);

// The number of parts worth reading a whole log of that size in on this
// machine: one for each core, each of some tens of megabytes.
unsigned ParseParts(std::size_t logBytes);

} // namespace quillon
