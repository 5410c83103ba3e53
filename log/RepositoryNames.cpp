#include "RepositoryNames.h"

namespace quillon {

namespace {

constexpr std::string_view RcsSuffix = ",v";
constexpr std::string_view AtticFolder = "Attic/";

std::string_view TrimSlashes(std::string_view text) {
    while (text.ends_with('/'))
        text.remove_suffix(1);
    return text;
}

// Removes folder and the slash after it from the front of path.
bool RemoveFolder(std::string_view& path, std::string_view folder) {
    if (folder.empty() || path.size() <= folder.size() || !path.starts_with(folder) ||
        path[folder.size()] != '/')
        return false;
    path.remove_prefix(folder.size() + 1);
    return true;
}

} // namespace

std::string RepositoryFileName(std::string_view rcsPath, std::string_view repositoryPath,
                               std::string_view module) {
    std::string_view path = rcsPath;
    if (path.ends_with(RcsSuffix))
        path.remove_suffix(RcsSuffix.size());
    module = TrimSlashes(module);
    if (RemoveFolder(path, TrimSlashes(repositoryPath))) {
        RemoveFolder(path, module);
    } else if (!module.empty()) {
        const std::string inner = '/' + std::string(module) + '/';
        if (const std::size_t at = path.find(inner); at != std::string_view::npos)
            path.remove_prefix(at + inner.size());
    }
    const std::size_t nameStart = path.rfind('/') + 1; // 0 without a slash
    std::string name(path);
    if (nameStart >= AtticFolder.size() &&
        path.substr(nameStart - AtticFolder.size(), AtticFolder.size()) == AtticFolder &&
        (nameStart == AtticFolder.size() || path[nameStart - AtticFolder.size() - 1] == '/'))
        name.erase(nameStart - AtticFolder.size(), AtticFolder.size());
    return name;
}

void NameRepositoryFiles(TRCSFileTable& table, std::string_view repositoryPath,
                         std::string_view module) {
    for (TRCSFile& file : table.Files()) {
        if (!file.WorkingFile.empty())
            continue;
        std::string name = RepositoryFileName(file.RCSPath, repositoryPath, module);
        // A name that ends the RCS path is a view of the log; one without its
        // Attic folder is kept beside it.
        std::string_view path = file.RCSPath;
        if (path.ends_with(RcsSuffix))
            path.remove_suffix(RcsSuffix.size());
        if (path.ends_with(name))
            file.WorkingFile = path.substr(path.size() - name.size());
        else
            file.WorkingFile = table.ExtraTexts.emplace_back(std::move(name));
    }
}

} // namespace quillon
