#include "CvsCommands.h"

#include <string_view>

namespace quillon {

namespace {

constexpr std::string_view DiffOptions[] = {"diff", "-y", "-w", "-b"};
constexpr std::string_view RevisionOption = "-r";
constexpr std::string_view WidthOption = "--width=1000";
// A name that starts with a hyphen is no option after this.
constexpr std::string_view EndOfOptions = "--";
// A revision no file has: against it, -N takes the file for new.
constexpr std::string_view NoRevision = "0";

} // namespace

std::vector<std::string> DiffArguments(const TDiffRequest& request) {
    std::vector<std::string> arguments(std::begin(DiffOptions), std::end(DiffOptions));
    arguments.push_back(std::string(RevisionOption) + request.Previous);
    if (!request.Revision.empty())
        arguments.push_back(std::string(RevisionOption) + request.Revision);
    arguments.emplace_back(WidthOption);
    arguments.emplace_back(EndOfOptions);
    arguments.push_back(request.WorkingFile);
    return arguments;
}

std::vector<std::string> PatchArguments(const TPatchFile& file) {
    std::vector<std::string> arguments{"diff", "-u"};
    if (file.Previous.empty())
        arguments.insert(arguments.end(), {"-N", "-r", std::string(NoRevision)});
    else
        arguments.insert(arguments.end(), {"-r", file.Previous});
    arguments.insert(arguments.end(),
                     {"-r", file.Revision, std::string(EndOfOptions), file.WorkingFile});
    return arguments;
}

} // namespace quillon
