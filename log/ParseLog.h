// The log parser: turns the standard output of `cvs log` into a file table.
#pragma once

#include "RevisionModel.h"

#include <atomic>
#include <memory>
#include <string>

namespace quillon {

// Builds a new file table from the bytes of a `cvs log` output. A pure
// function: it touches nothing but its arguments, so it may run on any thread.
// The table takes the log over; no other copy of it is made. When
// filesParsed is given, it is raised as each file header is read, so that
// another thread can show progress.
std::unique_ptr<TRCSFileTable> ParseLog(std::string log, std::atomic<int>* filesParsed = nullptr);

} // namespace quillon
