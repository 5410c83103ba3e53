#include "Annotation.h"

#include "TextUtil.h"

#include <algorithm>
#include <unordered_map>

namespace quillon {

namespace {

constexpr std::size_t AuthorWidth = 8;
constexpr std::string_view DateEnd = "): ";

// Reads one line in the client's form into line; false when it is not.
bool ReadLine(std::string_view text, TAnnotatedLine& line) {
    const std::size_t revisionEnd = text.find(' ');
    if (revisionEnd == 0 || revisionEnd == std::string_view::npos)
        return false;
    const std::size_t open = text.find_first_not_of(' ', revisionEnd);
    if (open == std::string_view::npos || text[open] != '(')
        return false;
    const std::size_t author = open + 1;
    const std::size_t date = author + AuthorWidth + 1;
    if (date > text.size() || text[date - 1] != ' ')
        return false;
    const std::size_t dateEnd = text.find(DateEnd, date);
    if (dateEnd == std::string_view::npos)
        return false;
    line.Revision = text.substr(0, revisionEnd);
    std::string_view name = text.substr(author, AuthorWidth);
    line.Author = name.substr(0, name.find_last_not_of(' ') + 1);
    line.Date = text.substr(date, dateEnd - date);
    line.Text = text.substr(dateEnd + DateEnd.size());
    return true;
}

} // namespace

std::vector<TAnnotatedLine> ParseAnnotation(std::string_view output) {
    const std::vector<std::string_view> texts = SplitOutputLines(output);
    std::vector<TAnnotatedLine> lines(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (!ReadLine(texts[i], lines[i]))
            lines[i] = {{}, {}, {}, texts[i]};
    return lines;
}

std::vector<const TRevisionInfo*> RevisionsOfLines(const TRCSFile& file,
                                                   const std::vector<TAnnotatedLine>& lines) {
    std::unordered_map<std::string_view, const TRevisionInfo*> known;
    for (const TRevisionInfo& revision : file.Revisions)
        known.emplace(revision.Revision, &revision);
    std::vector<const TRevisionInfo*> revisions;
    revisions.reserve(lines.size());
    for (const TAnnotatedLine& line : lines) {
        const auto found = known.find(line.Revision);
        revisions.push_back(found == known.end() ? nullptr : found->second);
    }
    return revisions;
}

TAnnotationPtr MakeAnnotation(std::string output, TRCSFileTablePtr table,
                              const TRevisionInfo* annotated) {
    // Built where it stays: the lines are views into its own output.
    auto annotation = std::make_shared<TAnnotation>();
    annotation->Table = std::move(table);
    annotation->Annotated = annotated;
    annotation->Output = std::move(output);
    annotation->Lines = ParseAnnotation(annotation->Output);
    if (annotated && annotated->FileInfo)
        annotation->Revisions = RevisionsOfLines(*annotated->FileInfo, annotation->Lines);
    else
        annotation->Revisions.assign(annotation->Lines.size(), nullptr);
    for (const TAnnotatedLine& line : annotation->Lines)
        annotation->LongestText = std::max(annotation->LongestText, line.Text.size());
    return annotation;
}

} // namespace quillon
