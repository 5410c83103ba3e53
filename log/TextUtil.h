// Small text helpers over byte strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quillon {

// Removes blanks and control characters (codes up to 32) at the start.
constexpr std::string_view TrimLeft(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    return text.substr(b);
}

// Removes blanks and control characters at the end.
constexpr std::string_view TrimRight(std::string_view text) {
    std::size_t e = text.size();
    while (e > 0 && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(0, e);
}

constexpr std::string_view Trim(std::string_view text) {
    return TrimRight(TrimLeft(text));
}

// A decimal integer with an optional sign and nothing else; none when the text
// is no such number or lies outside the 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// The lines of a program's output: split at LF, a CR right before the LF
// belonging to the line end. An output that does not end in LF ends in a line
// all the same; an empty output has no lines.
std::vector<std::string_view> SplitOutputLines(std::string_view output);

} // namespace quillon
