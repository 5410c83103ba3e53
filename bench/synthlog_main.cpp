// quillon-synthlog: writes a synthetic `cvs log` output to standard output.
#include "SyntheticLog.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view Usage = "usage: quillon-synthlog REVISIONS [SEED]\n";

template <class T> bool ParseNumber(const char* text, T& value) {
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc{} && ptr == end;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t revisions = 0;
    unsigned seed = 1;
    if (argc < 2 || argc > 3 || !ParseNumber(argv[1], revisions) ||
        (argc == 3 && !ParseNumber(argv[2], seed))) {
        std::fputs(Usage.data(), stderr);
        return 2;
    }
    bool failed = false;
    quillon::bench::WriteSyntheticLog(revisions, seed, [&failed](std::string_view piece) {
        if (!failed && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size())
            failed = true;
    });
    if (std::fflush(stdout) != 0 || failed) {
        std::perror("quillon-synthlog: writing the log");
        return 1;
    }
    return 0;
}
