#include "Patch.h"

namespace quillon {

std::string PatchFailure(const TPatchFile& file, const std::string& error) {
    std::string text = "Index: " + file.WorkingFile + "\n";
    std::size_t start = 0;
    while (start < error.size()) {
        std::size_t end = error.find('\n', start);
        if (end == std::string::npos)
            end = error.size();
        text += "# " + error.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return text;
}

} // namespace quillon
