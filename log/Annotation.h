// The client's annotation of a file: each line of the file at a revision with
// the revision that brought it, its author and its date, as `cvs annotate`
// writes them:
//   1.4          (bob      21-Feb-24): static void usage(void)
// the revision filled to 12 characters, the author cut or filled to 8.
#pragma once

#include "RevisionModel.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct TAnnotatedLine {
    std::string_view Revision; // empty for a line not in the client's form
    std::string_view Author;   // as the client writes it: at most 8 characters
    std::string_view Date;     // "21-Feb-24"
    std::string_view Text;     // the file's line, without its line end
};

// The lines of output, views into it, in the order of the file's lines; a
// line end is LF or CR LF. A line not in the client's form is kept whole as
// the text of a line without a revision.
std::vector<TAnnotatedLine> ParseAnnotation(std::string_view output);

// The revision of file each line names, or none where the file has no such
// revision (or the line names none): one entry per line.
std::vector<const TRevisionInfo*> RevisionsOfLines(const TRCSFile& file,
                                                   const std::vector<TAnnotatedLine>& lines);

// An annotation ready to show: the client's output, its lines, the revision
// of the table each line names, and the table, which lives as long as it.
struct TAnnotation {
    TRCSFileTablePtr Table;
    const TRevisionInfo* Annotated = nullptr; // the revision whose lines these are
    std::string Output;
    std::vector<TAnnotatedLine> Lines; // views into Output
    std::vector<const TRevisionInfo*> Revisions;
    std::size_t LongestText = 0; // bytes of the longest line's text
};
using TAnnotationPtr = std::shared_ptr<const TAnnotation>;

// Reads output, the client's annotation of annotated, a revision of table.
TAnnotationPtr MakeAnnotation(std::string output, TRCSFileTablePtr table,
                              const TRevisionInfo* annotated);

} // namespace quillon
