// The comparison lines: a revision and its predecessor side by side, one
// fixed-width line per row, laid out as the client's side-by-side diff with a
// total width of 1000 lays them out.
//
// Positions (columns) in a comparison line, counted from 0:
//   0..498   left text (the older revision), filled with blanks
//   499      marker: '%' header, '>' added, '<' removed, '|' changed,
//            ' ' equal; a line of 499 characters or fewer has none
//   500..503 gap, never shown
//   504..    right text (the newer revision), of which 500 characters are shown
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline constexpr std::size_t DiffLeftWidth = 499;
inline constexpr std::size_t DiffMarkerIndex = 499;
inline constexpr std::size_t DiffRightIndex = 504;
inline constexpr std::size_t DiffRightWidth = 500;
// The longest "File: name" or "Revision: number" a header line holds.
inline constexpr std::size_t DiffHeaderTextLimit = 498;
inline constexpr std::size_t DiffTabWidth = 8;
// Lines the client writes before the comparison: the index line, a rule, the
// repository file, the two revisions retrieved and the diff command; one
// revision retrieved when the other side is the working file.
inline constexpr std::size_t DiffClientHeaderLines = 6;

inline constexpr char HeaderMarker = '%';
inline constexpr char AddedMarker = '>';
inline constexpr char RemovedMarker = '<';
inline constexpr char ChangedMarker = '|';
inline constexpr char EqualMarker = ' ';

enum class TDiffKind { Header, Added, Removed, Changed, Unchanged };

// What one comparison is of: the selected revision of a file and the revision
// it was committed on top of, or any two of its revisions, or a revision and
// the working file.
struct TDiffRequest {
    std::string WorkingFile;
    std::int32_t LinesAdded = 0;
    std::int32_t LinesRemoved = 0;
    std::string Revision; // the newer revision, the right side; empty: the working file
    std::string Previous; // the older revision, the left side
    // Previous is the revision Revision was committed on top of, and the
    // lines changed are Revision's; false for any other two.
    bool Adjacent = true;
};

// "Diff: name vREV (+ADDED -REMOVED)"; for two other revisions "Diff: name
// vPREVIOUS - vREV", and "Diff: name vPREVIOUS - working file".
std::string DiffCaption(const TDiffRequest& request);

// "File: name" and "Lines changed: +ADDED -REMOVED" (nothing on the right for
// two other revisions); "Revision: PREVIOUS" and "Revision: REV" or "Working
// file". Each left text is cut to DiffHeaderTextLimit characters.
std::string DiffHeaderLine1(const TDiffRequest& request);
std::string DiffHeaderLine2(const TDiffRequest& request);

// One line of the client's side-by-side output, split into the parts of a
// comparison line where the client's own count of columns puts them. The
// client counts a printable character (codes 32 to 126) as one column, moves
// a tab on to the next stop of 8, goes back to column 0 at a CR and one column
// back at a backspace, and counts every other byte (control characters, and
// in its C locale every byte above 127: the second half of Windows-1252, each
// byte of UTF-8 beyond ASCII) as no column at all. Counting as it does keeps
// the marker and the right text where it put them when the texts hold such
// bytes or CR LF line ends. Each character goes to the part of the column it
// is written at, after what that part holds already; a tab fills the parts it
// passes with blanks where they are shorter; a CR itself is dropped.
class TSideBySideLine {
public:
    void Read(std::string_view line);

    std::string Left;   // columns 0..498
    std::string Marker; // column 499
    std::string Gap;    // columns 500..503
    std::string Right;  // columns 504..1003; the client writes no more

private:
    void Pad(std::size_t part, std::size_t column);
    std::size_t Width[4] = {}; // columns each part covers
};

// Kind of a line by its marker ('\0' for a line without one).
TDiffKind KindOfMarker(char marker);

// The comparison lines of one comparison, kept compactly: the blanks that fill
// a left text are counted, not stored, so a comparison of many lines costs
// little more than the client's output. Positions are counted in the client's
// columns; a line's text may hold bytes that take none.
class TDiffLines {
public:
    // Replaces every line with the two header lines of request followed by
    // the lines of the client's output after its header lines.
    void Load(const TDiffRequest& request, std::string_view output);

    std::size_t Count() const { return Lines.size(); }
    // The whole line: left text with its filling blanks, marker, gap, right text.
    std::string Line(std::size_t row) const;
    std::size_t Length(std::size_t row) const;
    // The marker at position 499, or '\0' when the line is shorter.
    char Marker(std::size_t row) const;
    TDiffKind Kind(std::size_t row) const { return KindOfMarker(Marker(row)); }
    // The line has a marker other than a blank: a change, a header line or an
    // unknown marker.
    bool IsChanged(std::size_t row) const;
    // Positions 0..498 and 504..1003, without trailing blanks and control
    // characters: the texts of the two cells.
    std::string_view LeftText(std::size_t row) const;
    std::string_view RightText(std::size_t row) const;
    // A text the client wrote without a marker and a right text, such as its
    // message that binary files differ.
    bool IsMessage(std::size_t row) const;

    // The numbers of the row's lines in the older (left) and the newer
    // (right) revision, counted from 1; 0 where a side has no line: header
    // lines, messages, the side an added or removed line is missing from.
    std::uint32_t LeftNumber(std::size_t row) const { return Lines[row].LeftNumber; }
    std::uint32_t RightNumber(std::size_t row) const { return Lines[row].RightNumber; }
    // The highest line number of each side.
    std::uint32_t LeftLineCount() const { return LeftLines; }
    std::uint32_t RightLineCount() const { return RightLines; }
    // The characters of the widest left or right text: its bytes, less those
    // that continue a UTF-8 sequence.
    std::size_t WidestText() const { return Widest; }

    // A block of changes is a run of rows that are added, removed, changed or
    // carry an unknown marker (header lines are none). The first row of the
    // block after the one that holds row (or after row), and of the block
    // before it; none when there is no such block.
    std::optional<std::size_t> NextChangeBlock(std::size_t row) const;
    std::optional<std::size_t> PreviousChangeBlock(std::size_t row) const;
    // The last row of the block that starts at first.
    std::size_t ChangeBlockEnd(std::size_t first) const;

private:
    struct TLine {
        std::size_t Start = 0;        // in Text
        std::uint32_t LeftSize = 0;   // stored characters of positions 0..498
        std::uint32_t LeftFill = 0;   // blanks after them, not stored
        std::uint32_t TailSize = 0;   // stored characters from position 499 on
        std::uint32_t RightStart = 0; // where the right text starts in them
        std::uint32_t LeftNumber = 0;
        std::uint32_t RightNumber = 0;
    };
    bool IsChangeRow(std::size_t row) const;
    // Appends one line of the client's output.
    void Append(std::string_view line);
    void Store(std::string_view left, std::string_view marker, std::string_view gap,
               std::string_view right);
    std::string_view Left(const TLine& line) const;
    std::string_view Tail(const TLine& line) const;

    std::string Text; // the stored characters of every line, one after another
    std::vector<TLine> Lines;
    TSideBySideLine Scratch; // the line being read
    std::uint32_t LeftLines = 0;
    std::uint32_t RightLines = 0;
    std::size_t Widest = 0;
};

// The overview strip: a comparison of count lines drawn into height pixels.
struct TStripScale {
    double PixelsPerLine = 0;

    TStripScale(int height, std::size_t count)
        : PixelsPerLine(count ? static_cast<double>(height) / static_cast<double>(count) : 0) {}

    // Pixel rows [Top, Bottom) of line row's band.
    struct TBand {
        int Top;
        int Bottom;
    };
    TBand Band(std::size_t row) const;
    // Pixel rows of the view frame around visible lines from top on: its top
    // and bottom edges.
    TBand Frame(std::size_t top, std::size_t visible) const;
    // The top row a press or drag at pixel row y asks for: the nearest line
    // (a quotient halfway between two goes to the even one), minus one. It is
    // not clamped; the caller ignores one out of range.
    long long DragTopRow(int y) const;
};

} // namespace quillon
