#include "Tags.h"

#include <algorithm>
#include <optional>

namespace quillon {

namespace {

using TParts = std::vector<long>;

// Is revision an ancestor of target, or target itself? The ancestors are the
// earlier revisions of target's branch, its branch point and theirs, down to
// the trunk revisions up to that point.
bool IsAncestor(const TParts& revision, TParts target) {
    while (target.size() >= 2 && target.size() % 2 == 0) {
        if (target.size() == 2)
            return revision.size() == 2 && (revision[0] < target[0] ||
                                            (revision[0] == target[0] && revision[1] <= target[1]));
        if (revision.size() == target.size() &&
            std::equal(revision.begin(), revision.end() - 1, target.begin()) &&
            revision.back() <= target.back())
            return true;
        target.resize(target.size() - 2);
    }
    return false;
}

std::optional<TSymbolicName> FindName(const TRCSFile& file, TText name) {
    std::optional<TSymbolicName> found;
    ForEachSymbolicName(file, [&](const TSymbolicName& symbol) {
        if (symbol.Name != name)
            return true;
        found = symbol;
        return false;
    });
    return found;
}

// The number of the tag of that name in file, or none.
std::optional<TParts> TagRevision(const TRCSFile& file, TText tag) {
    const auto symbol = FindName(file, tag);
    if (!symbol || symbol->Kind != TNameKind::Tag)
        return std::nullopt;
    TParts parts = RevisionParts(symbol->Number);
    if (parts.size() < 2)
        return std::nullopt;
    return parts;
}

// The file's newest revision: the newest of its default branch when it has
// one with revisions (a file of a vendor branch), else its head.
std::optional<TParts> HeadRevision(const TRCSFile& file, const std::vector<TParts>& parts) {
    const TParts branch = RevisionParts(file.Branch);
    std::optional<TParts> newest;
    if (!branch.empty())
        for (const TParts& p : parts)
            if (p.size() == branch.size() + 1 &&
                std::equal(branch.begin(), branch.end(), p.begin()) &&
                (!newest || p.back() > newest->back()))
                newest = p;
    if (newest)
        return newest;
    TParts head = RevisionParts(file.Head);
    if (head.size() < 2)
        return std::nullopt;
    return head;
}

} // namespace

char* PackNameLine(char* out, std::size_t nameIndex, TText number, TText before) {
    auto put = [&out](std::size_t value) {
        for (; value >= 0x80; value >>= 7)
            *out++ = static_cast<char>((value & 0x7F) | 0x80);
        *out++ = static_cast<char>(value);
    };
    put(nameIndex);
    // A number is a few bytes: compared here, not by a call.
    bool repeated = number.size() == before.size();
    for (std::size_t i = 0; repeated && i < number.size(); ++i)
        repeated = number[i] == before[i];
    if (repeated) {
        put(0);
        return out;
    }
    put(number.size());
    // A number is a few bytes: copied here, not by a call.
    for (const char c : number)
        *out++ = c;
    return out;
}

TNameKind NameKind(TText number) {
    const auto dots = std::count(number.begin(), number.end(), '.');
    if (dots % 2 == 0)
        return TNameKind::VendorBranch;
    const auto last = number.rfind('.');
    const auto previous = number.rfind('.', last - 1);
    if (previous != TText::npos && number.substr(previous + 1, last - previous - 1) == "0")
        return TNameKind::Branch;
    return TNameKind::Tag;
}

std::string BranchNumber(TText number) {
    switch (NameKind(number)) {
    case TNameKind::Tag:
        return {};
    case TNameKind::VendorBranch:
        return std::string(number);
    case TNameKind::Branch:
        break;
    }
    const auto last = number.rfind('.');
    const auto previous = number.rfind('.', last - 1);
    return std::string(number.substr(0, previous)) + std::string(number.substr(last));
}

std::vector<TSymbolicName> SymbolicNames(const TRCSFile& file) {
    std::vector<TSymbolicName> names;
    ForEachSymbolicName(file, [&](const TSymbolicName& symbol) {
        names.push_back(symbol);
        return true;
    });
    return names;
}

std::vector<TText> TagsOf(const TRevisionInfo& revision) {
    std::vector<TText> tags;
    if (!revision.FileInfo)
        return tags;
    ForEachSymbolicName(*revision.FileInfo, [&](const TSymbolicName& symbol) {
        if (symbol.Kind == TNameKind::Tag && symbol.Number == revision.Revision)
            tags.push_back(symbol.Name);
        return true;
    });
    return tags;
}

std::string TagsText(const TRevisionInfo& revision) {
    std::string text;
    for (const TText tag : TagsOf(revision)) {
        if (!text.empty())
            text += ", ";
        text += tag;
    }
    return text;
}

std::string BranchNameOf(const TRevisionInfo& revision) {
    const auto last = revision.Revision.rfind('.');
    if (last == TText::npos ||
        std::count(revision.Revision.begin(), revision.Revision.end(), '.') < 3)
        return {};
    const std::string branch(revision.Revision.substr(0, last));
    std::string name = branch;
    if (revision.FileInfo)
        ForEachSymbolicName(*revision.FileInfo, [&](const TSymbolicName& symbol) {
            if (symbol.Kind == TNameKind::Tag || BranchNumber(symbol.Number) != branch)
                return true;
            name = symbol.Name;
            return false;
        });
    return name;
}

TRevisionSelection SelectTrunk(const TRCSFileTable& table) {
    TRevisionSelection selection(table);
    for (const TRCSFile& file : table.Files())
        for (const TRevisionInfo& revision : file.Revisions)
            if (RevisionParts(revision.Revision).size() == 2)
                selection.Keep(revision);
    return selection;
}

TRevisionSelection SelectBranch(const TRCSFileTable& table, TText name) {
    TRevisionSelection selection(table);
    for (const TRCSFile& file : table.Files()) {
        const auto symbol = FindName(file, name);
        if (!symbol || symbol->Kind == TNameKind::Tag)
            continue;
        const TParts branch = RevisionParts(BranchNumber(symbol->Number));
        for (const TRevisionInfo& revision : file.Revisions) {
            const TParts parts = RevisionParts(revision.Revision);
            if (parts.size() == branch.size() + 1 &&
                std::equal(branch.begin(), branch.end(), parts.begin()))
                selection.Keep(revision);
        }
    }
    return selection;
}

double TagTime(const TRCSFileTable& table, TText tag) {
    double time = 0;
    for (const TRCSFile& file : table.Files()) {
        const auto symbol = FindName(file, tag);
        if (!symbol || symbol->Kind != TNameKind::Tag)
            continue;
        if (const TRevisionInfo* revision = FindRevision(&file, symbol->Number))
            time = std::max(time, revision->Date);
    }
    return time;
}

TRevisionSelection SelectRange(const TRCSFileTable& table, TText from, TText to) {
    TRevisionSelection selection(table);
    const double fromTime = from.empty() ? 0 : TagTime(table, from);
    const double toTime = to.empty() ? 0 : TagTime(table, to);
    std::vector<TParts> parts;
    for (const TRCSFile& file : table.Files()) {
        parts.clear();
        for (const TRevisionInfo& revision : file.Revisions)
            parts.push_back(RevisionParts(revision.Revision));
        const auto toRevision = to.empty() ? HeadRevision(file, parts) : TagRevision(file, to);
        const auto fromRevision = from.empty() ? std::nullopt : TagRevision(file, from);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const TRevisionInfo& revision = file.Revisions[i];
            const bool leadsToTo =
                toRevision ? IsAncestor(parts[i], *toRevision)
                           : !to.empty() && parts[i].size() == 2 && revision.Date <= toTime;
            if (!leadsToTo)
                continue;
            const bool leadsToFrom = fromRevision ? IsAncestor(parts[i], *fromRevision)
                                                  : !from.empty() && revision.Date <= fromTime;
            if (!leadsToFrom)
                selection.Keep(revision);
        }
    }
    return selection;
}

} // namespace quillon
