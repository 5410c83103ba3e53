#include "TextUtil.h"

#include <algorithm>
#include <charconv>

namespace quillon {

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitOutputLines(std::string_view output) {
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? output.size() : end + 1;
        if (end == std::string_view::npos)
            end = output.size();
        else if (end > start && output[end - 1] == '\r')
            --end;
        lines.push_back(output.substr(start, end - start));
        start = next;
    }
    return lines;
}

} // namespace quillon
