#include "Patch.h"

namespace quillon {

namespace {

// A revision no file has: against it, -N takes the file for new.
constexpr const char* NoRevision = "0";

} // namespace

std::vector<std::string> PatchArguments(const TPatchFile& file) {
    std::vector<std::string> arguments{"diff", "-u"};
    if (file.Previous.empty())
        arguments.insert(arguments.end(), {"-N", "-r", NoRevision});
    else
        arguments.insert(arguments.end(), {"-r", file.Previous});
    // A name that starts with a hyphen is no option.
    arguments.insert(arguments.end(), {"-r", file.Revision, "--", file.WorkingFile});
    return arguments;
}

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
