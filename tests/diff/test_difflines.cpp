// The comparison lines, from outputs of the real client and from made-up ones.
#include "CvsCommands.h"
#include "DiffLines.h"
#include "IntraLine.h"
#include "TextUtil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

using namespace quillon;

namespace {

std::string Recorded(const std::string& name) {
    std::ifstream file(std::string(QUILLON_TEST_DATA) + "/diff/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The parts of a line of the client's output, one after another.
std::string Read(std::string_view line) {
    TSideBySideLine parts;
    parts.Read(line);
    return parts.Left + parts.Marker + parts.Gap + parts.Right;
}

TDiffRequest Request(std::string file, std::int32_t added, std::int32_t removed,
                     std::string revision, std::string previous) {
    return {std::move(file), added, removed, std::move(revision), std::move(previous)};
}

// The client's six header lines, then body.
std::string ClientOutput(const std::string& body) {
    return "Index: a.txt\n"
           "===================================================================\n"
           "RCS file: /repo/a.txt,v\n"
           "retrieving revision 1.1\n"
           "retrieving revision 1.2\n"
           "diff --side-by-side -w -b -W 1000 -r1.1 -r1.2\n" +
           body;
}

std::string Spaces(std::size_t count) {
    return std::string(count, ' ');
}

} // namespace

TEST(DiffLines, HeaderLinesCaptionAndArgumentsFollowTheRequest) {
    const TDiffRequest request = Request("src/app.c", 12, 3, "1.7", "1.6");
    EXPECT_EQ(DiffCaption(request), "Diff: src/app.c v1.7 (+12 -3)");
    EXPECT_EQ(DiffHeaderLine1(request),
              "File: src/app.c" + Spaces(484) + "%    Lines changed: +12 -3");
    EXPECT_EQ(DiffHeaderLine2(request), "Revision: 1.6" + Spaces(486) + "%    Revision: 1.7");
    EXPECT_EQ(DiffArguments(request),
              (std::vector<std::string>{"diff", "-y", "-w", "-b", "-r1.6", "-r1.7", "--width=1000",
                                        "--", "src/app.c"}));

    // A name reaches the client as one argument, whatever it holds.
    const std::string odd = "dir with blank/it's \"odd\"; a&b $x.txt";
    EXPECT_EQ(DiffArguments(Request(odd, 0, 0, "1.2.2.1", "1.2")).back(), odd);

    // Header texts of up to 498 characters are filled to the marker; longer
    // ones are cut to 498.
    for (const std::size_t nameLength : {492u, 493u, 600u}) {
        const std::string name(nameLength, 'n');
        TDiffLines lines;
        lines.Load(Request(name, 1, 2, "1.3", "1.2"), "");
        ASSERT_EQ(lines.Count(), 2u);
        EXPECT_EQ(lines.LeftText(0), ("File: " + name).substr(0, 498)) << nameLength;
        EXPECT_EQ(lines.Line(0).size(), 504u + std::string("Lines changed: +1 -2").size());
        EXPECT_EQ(lines.Marker(0), '%');
        EXPECT_EQ(lines.Line(0).substr(497, 3), "n %");
        EXPECT_EQ(lines.RightText(0), "Lines changed: +1 -2");
    }
}

TEST(DiffLines, OutputIsSplitAtLineFeedsWithTheirCarriageReturns) {
    using TLines = std::vector<std::string_view>;
    EXPECT_EQ(SplitOutputLines(""), TLines{});
    EXPECT_EQ(SplitOutputLines("a\n"), TLines{"a"});
    EXPECT_EQ(SplitOutputLines("a\r\nb\nc"), (TLines{"a", "b", "c"}));
    EXPECT_EQ(SplitOutputLines("\n\r\n"), (TLines{"", ""}));
    // Only the CR right before the LF ends the line; others are its text.
    EXPECT_EQ(SplitOutputLines("a\rb\r\r\n"), TLines{"a\rb\r"});
}

TEST(DiffLines, LinesAreReadInTheClientsColumns) {
    EXPECT_EQ(Read("\tx"), Spaces(8) + "x");
    EXPECT_EQ(Read("abc\tx"), "abc" + Spaces(5) + "x");
    EXPECT_EQ(Read("abcdefgh\tx"), "abcdefgh" + Spaces(8) + "x");
    EXPECT_EQ(Read("a\t\t"), "a" + Spaces(15));
    EXPECT_EQ(Read(""), "");
    // After a CR the client counts from column 0 again: tabs pass over what
    // is there, characters follow it.
    EXPECT_EQ(Read("ab\r\tc"), "ab" + Spaces(6) + "c");
    EXPECT_EQ(Read("abc\rX"), "abcX");
    EXPECT_EQ(Read("abc\r"), "abc");
    // Bytes the client counts as no column stay in the text and move no tab.
    EXPECT_EQ(Read("caf\xc3\xa9\tx"), "caf\xc3\xa9" + Spaces(5) + "x");
    EXPECT_EQ(Read("caf\xe9\f\tx"), "caf\xe9\f" + Spaces(5) + "x");
    EXPECT_EQ(Read("ab\bc\tx"), "ab\bc" + Spaces(5) + "x"); // c at column 1

    // The parts of a changed line: a tab over the marker's column fills it.
    TSideBySideLine line;
    line.Read("old" + std::string(62, '\t') + "   |\tnew");
    EXPECT_EQ(line.Left, "old" + Spaces(496));
    EXPECT_EQ(line.Marker, "|");
    EXPECT_EQ(line.Gap, Spaces(4));
    EXPECT_EQ(line.Right, "new");
    line.Read("same" + std::string(63, '\t') + "same");
    EXPECT_EQ(line.Left, "same" + Spaces(495));
    EXPECT_EQ(line.Marker, " ");
    EXPECT_EQ(line.Right, "same");
    // Nothing is kept beyond the right text's 500 columns.
    line.Read(std::string(504, ' ') + std::string(600, 'r') + "\xe9");
    EXPECT_EQ(line.Right, std::string(500, 'r'));
    line.Read("short");
    EXPECT_EQ(line.Left, "short");
    EXPECT_EQ(line.Marker, "");
    EXPECT_EQ(line.Right, "");
}

TEST(DiffLines, BytesOutsideAsciiKeepTheColumnsInPlace) {
    // The client counts them as no column: "// café old" takes 10 columns in
    // its count and 12 bytes.
    TDiffLines lines;
    lines.Load(Request("accents.txt", 2, 2, "1.2", "1.1"), Recorded("accents.out"));
    ASSERT_EQ(lines.Count(), 6u);
    EXPECT_EQ(lines.Marker(2), ' ');
    EXPECT_EQ(lines.LeftText(2), "// caf\xc3\xa9 same");
    EXPECT_EQ(lines.RightText(2), "// caf\xc3\xa9 same");
    EXPECT_EQ(lines.Marker(3), '|');
    EXPECT_EQ(lines.LeftText(3), "// caf\xc3\xa9 old");
    EXPECT_EQ(lines.RightText(3), "// caf\xc3\xa9 new");
    EXPECT_EQ(lines.Marker(4), '|');
    EXPECT_EQ(lines.LeftText(4), "Latin-1: caf\xe9 cr\xe8me old");
    EXPECT_EQ(lines.RightText(4), "Latin-1: caf\xe9 cr\xe8me new");
    EXPECT_EQ(lines.Marker(5), ' ');
    EXPECT_EQ(lines.RightText(5), "end");
    // The whole line keeps every byte: 499 columns of left text hold 501.
    EXPECT_EQ(lines.Line(3), "// caf\xc3\xa9 old" + Spaces(489) + "|    // caf\xc3\xa9 new");
}

TEST(DiffLines, RecordedComparisonGivesEveryKindOfLine) {
    const std::string output = Recorded("kinds.out");
    TDiffLines lines;
    lines.Load(Request("kinds.txt", 3, 3, "1.2", "1.1"), output);
    ASSERT_EQ(lines.Count(), 12u); // two header lines and the 10 lines after the client's six

    EXPECT_EQ(lines.Line(0), DiffHeaderLine1(Request("kinds.txt", 3, 3, "1.2", "1.1")));
    EXPECT_EQ(lines.LeftText(1), "Revision: 1.1");
    EXPECT_EQ(lines.RightText(1), "Revision: 1.2");

    struct TRow {
        char Marker;
        std::string Left;
        std::string Right;
    };
    const std::string changedLong = "CHANGED" + std::string(593, 'L');
    const TRow expected[] = {
        {'%', "File: kinds.txt", "Lines changed: +3 -3"},
        {'%', "Revision: 1.1", "Revision: 1.2"},
        {' ', "first line", "first line"},
        {' ', Spaces(8) + "indented by a tab", Spaces(8) + "indented by a tab"},
        {' ', "abc     after three", "abc     after three"},
        {'<', "removed line", ""},
        {' ', "abcdefgh        after eight", "abcdefgh        after eight"},
        {'|', "to be changed", "has been changed"},
        // Each side of the client's output ends after 496 columns.
        {'|', std::string(496, 'L'), changedLong.substr(0, 496)},
        {'\0', "", ""},
        {'>', "", "added line"},
        {' ', "last line", "last line"},
    };
    for (std::size_t row = 0; row < lines.Count(); ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(lines.Marker(row), expected[row].Marker);
        EXPECT_EQ(lines.LeftText(row), expected[row].Left);
        EXPECT_EQ(lines.RightText(row), expected[row].Right);
    }
    EXPECT_EQ(lines.Kind(0), TDiffKind::Header);
    EXPECT_EQ(lines.Kind(2), TDiffKind::Unchanged);
    EXPECT_EQ(lines.Kind(5), TDiffKind::Removed);
    EXPECT_EQ(lines.Kind(7), TDiffKind::Changed);
    EXPECT_EQ(lines.Kind(10), TDiffKind::Added);
    // The blank line both revisions share is empty: no marker, unchanged.
    EXPECT_EQ(lines.Length(9), 0u);
    EXPECT_EQ(lines.Kind(9), TDiffKind::Unchanged);
    EXPECT_FALSE(lines.IsChanged(9));
    EXPECT_FALSE(lines.IsChanged(2));
    for (const std::size_t row : {0u, 1u, 5u, 7u, 8u, 10u})
        EXPECT_TRUE(lines.IsChanged(row)) << row;

    // The whole line is the client's line with its tabs expanded, filling
    // blanks included: the removed line ends at its marker, the long one is
    // 1000 characters.
    const std::vector<std::string_view> outputLines = SplitOutputLines(output);
    for (std::size_t row = 2; row < lines.Count(); ++row)
        EXPECT_EQ(lines.Line(row), Read(outputLines[row + 4])) << row;
    EXPECT_EQ(lines.Line(5), "removed line" + Spaces(487) + "<");
    EXPECT_EQ(lines.Length(8), 1000u);
    EXPECT_EQ(lines.Line(2).substr(499, 5), Spaces(5));
    EXPECT_EQ(lines.Line(2).substr(504), "first line");
}

TEST(DiffLines, CarriageReturnsOfTheTextsKeepTheColumnsInPlace) {
    // crlf.txt has CR LF line ends; the client writes each side's CR.
    TDiffLines lines;
    lines.Load(Request("crlf.txt", 2, 1, "1.2", "1.1"), Recorded("crlf.out"));
    ASSERT_EQ(lines.Count(), 6u);
    EXPECT_EQ(lines.Marker(2), ' ');
    EXPECT_EQ(lines.LeftText(2), "same line");
    EXPECT_EQ(lines.RightText(2), "same line");
    EXPECT_EQ(lines.Marker(3), '|');
    EXPECT_EQ(lines.LeftText(3), "old     line");
    EXPECT_EQ(lines.RightText(3), "new     line");
    EXPECT_EQ(lines.Marker(4), '>');
    EXPECT_EQ(lines.LeftText(4), "");
    EXPECT_EQ(lines.RightText(4), "added");
    EXPECT_EQ(lines.Marker(5), ' ');
    EXPECT_EQ(lines.RightText(5), "end");
    for (std::size_t row = 0; row < lines.Count(); ++row)
        EXPECT_EQ(lines.Line(row).find('\r'), std::string::npos) << row;
}

TEST(DiffLines, ShortOutputsGiveTheHeaderLinesAndWhatFollowsTheSixth) {
    const TDiffRequest request = Request("a.txt", 0, 0, "1.2", "1.1");
    TDiffLines lines;
    // Identical revisions: the client writes nothing.
    EXPECT_TRUE(Recorded("identical.out").empty());
    lines.Load(request, Recorded("identical.out"));
    EXPECT_EQ(lines.Count(), 2u);

    lines.Load(request, ClientOutput(""));
    EXPECT_EQ(lines.Count(), 2u);
    lines.Load(request, ClientOutput("x\n"));
    ASSERT_EQ(lines.Count(), 3u);
    EXPECT_EQ(lines.LeftText(2), "x");
    EXPECT_EQ(lines.Marker(2), '\0');

    // White space only: seven lines, one of them equal.
    lines.Load(request, Recorded("spaces.out"));
    ASSERT_EQ(lines.Count(), 3u);
    EXPECT_EQ(lines.Marker(2), ' ');
    EXPECT_EQ(lines.LeftText(2), "alpha");
    EXPECT_EQ(lines.RightText(2), "alpha");

    // A binary file: one line that says so, drawn as unchanged.
    lines.Load(request, Recorded("binary.out"));
    ASSERT_EQ(lines.Count(), 3u);
    EXPECT_EQ(lines.LeftText(2).substr(0, 13), "Binary files ");
    EXPECT_EQ(lines.Kind(2), TDiffKind::Unchanged);
    EXPECT_FALSE(lines.IsChanged(2));

    // A new load replaces every line of the last one.
    lines.Load(Request("b.txt", 1, 0, "1.3", "1.2"), ClientOutput("p\nq\n"));
    ASSERT_EQ(lines.Count(), 4u);
    EXPECT_EQ(lines.LeftText(0), "File: b.txt");
    EXPECT_EQ(lines.LeftText(3), "q");
}

TEST(DiffLines, UnknownMarkersAreChangesDrawnAsUnchanged) {
    TDiffLines lines;
    lines.Load(Request("a.txt", 0, 0, "1.2", "1.1"),
               ClientOutput(Spaces(499) + "?    right\n" + Spaces(499) + "\n"));
    ASSERT_EQ(lines.Count(), 4u);
    EXPECT_EQ(lines.Marker(2), '?');
    EXPECT_EQ(lines.Kind(2), TDiffKind::Unchanged);
    EXPECT_TRUE(lines.IsChanged(2));
    EXPECT_EQ(lines.RightText(2), "right");
    EXPECT_EQ(lines.Marker(3), '\0');
    EXPECT_EQ(lines.Line(3), Spaces(499));
}

TEST(DiffLines, TheStripScalesBandsFrameAndDragsByThePixelsPerLine) {
    // 100 lines in 543 pixels: 5.43 pixels a line.
    const TStripScale strip(543, 100);
    EXPECT_EQ(strip.Band(10).Top, 54);
    EXPECT_EQ(strip.Band(10).Bottom, 60);
    EXPECT_EQ(strip.Frame(10, 25).Top, 54);
    EXPECT_EQ(strip.Frame(10, 25).Bottom, 191);

    // More lines than pixels: every line still gets a pixel row.
    const TStripScale dense(100, 1000);
    for (const std::size_t row : {0u, 5u, 9u, 999u}) {
        const auto band = dense.Band(row);
        EXPECT_GE(band.Bottom - band.Top, 1) << row;
    }
    EXPECT_EQ(dense.Band(5).Top, 0);
    EXPECT_EQ(dense.Band(999).Bottom, 100);

    // Four pixels a line: the nearest line, a half going to the even one,
    // minus one.
    const TStripScale four(400, 100);
    EXPECT_EQ(four.DragTopRow(0), -1);
    EXPECT_EQ(four.DragTopRow(1), -1);
    EXPECT_EQ(four.DragTopRow(6), 1);    // 1.5 -> 2
    EXPECT_EQ(four.DragTopRow(8), 1);    // 2
    EXPECT_EQ(four.DragTopRow(10), 1);   // 2.5 -> 2
    EXPECT_EQ(four.DragTopRow(14), 3);   // 3.5 -> 4
    EXPECT_EQ(four.DragTopRow(11), 2);   // 2.75 -> 3
    EXPECT_EQ(four.DragTopRow(-10), -3); // -2.5 goes to -2
}

TEST(DiffLines, RowsAreNumberedPerSideAndChangesStepByBlock) {
    TDiffLines lines;
    lines.Load(Request("kinds.txt", 3, 3, "1.2", "1.1"), Recorded("kinds.out"));
    ASSERT_EQ(lines.Count(), 12u);
    // Header lines have no numbers; a removed line none on the right, an
    // added one none on the left; the shared blank line has both.
    const std::uint32_t left[] = {0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 9};
    const std::uint32_t right[] = {0, 0, 1, 2, 3, 0, 4, 5, 6, 7, 8, 9};
    for (std::size_t row = 0; row < lines.Count(); ++row) {
        EXPECT_EQ(lines.LeftNumber(row), left[row]) << row;
        EXPECT_EQ(lines.RightNumber(row), right[row]) << row;
    }
    EXPECT_EQ(lines.LeftLineCount(), 9u);
    EXPECT_EQ(lines.RightLineCount(), 9u);
    EXPECT_EQ(lines.WidestText(), 496u);

    // Blocks: row 5, rows 7 and 8, row 10.
    using TRow = std::optional<std::size_t>;
    EXPECT_EQ(lines.NextChangeBlock(0), TRow(5));
    EXPECT_EQ(lines.NextChangeBlock(5), TRow(7));
    EXPECT_EQ(lines.NextChangeBlock(6), TRow(7));
    EXPECT_EQ(lines.NextChangeBlock(7), TRow(10));
    EXPECT_EQ(lines.NextChangeBlock(8), TRow(10));
    EXPECT_EQ(lines.NextChangeBlock(10), TRow());
    EXPECT_EQ(lines.PreviousChangeBlock(11), TRow(10));
    EXPECT_EQ(lines.PreviousChangeBlock(10), TRow(7));
    EXPECT_EQ(lines.PreviousChangeBlock(8), TRow(5));
    EXPECT_EQ(lines.PreviousChangeBlock(7), TRow(5));
    EXPECT_EQ(lines.PreviousChangeBlock(5), TRow());
    EXPECT_EQ(lines.PreviousChangeBlock(1), TRow());
    EXPECT_EQ(lines.ChangeBlockEnd(7), 8u);
    EXPECT_EQ(lines.ChangeBlockEnd(5), 5u);

    // A message of the client's is numbered on neither side; a multibyte
    // character counts once in the width.
    std::string accents;
    for (int i = 0; i < 30; ++i)
        accents += "\xc3\xa9";
    lines.Load(Request("a.txt", 0, 0, "1.2", "1.1"),
               ClientOutput("Binary files differ\n" + Spaces(499) + ">    " + accents + "\n"));
    EXPECT_EQ(lines.LeftNumber(2), 0u);
    EXPECT_EQ(lines.RightNumber(2), 0u);
    EXPECT_EQ(lines.RightNumber(3), 1u);
    EXPECT_EQ(lines.WidestText(), 30u);
}

TEST(IntraLine, MarksTheDifferingCharactersWithoutSplittingACharacter) {
    using TRanges = std::vector<TTextRange>;
    // A changed word.
    TIntraLine changes = IntraLineChanges("the quick brown fox", "the quick red fox");
    EXPECT_EQ(changes.Left, (TRanges{{10, 5}}));
    EXPECT_EQ(changes.Right, (TRanges{{10, 3}}));
    // Two changes apart, and a word that grew: only its new end.
    changes = IntraLineChanges("total = count + 1;", "sum = counter + 1;");
    EXPECT_EQ(changes.Left, (TRanges{{0, 5}}));
    EXPECT_EQ(changes.Right, (TRanges{{0, 3}, {11, 2}}));
    // Added words mark the right side alone.
    changes = IntraLineChanges("f(a, b)", "f(a, b, c)");
    EXPECT_TRUE(changes.Left.empty());
    EXPECT_EQ(changes.Right, (TRanges{{6, 3}}));
    // Nothing in common but blanks: one range over each whole text.
    changes = IntraLineChanges("alpha beta gamma", "one two three");
    EXPECT_EQ(changes.Left, (TRanges{{0, 16}}));
    EXPECT_EQ(changes.Right, (TRanges{{0, 13}}));
    // The recorded long line: its first seven letters became "CHANGED".
    changes = IntraLineChanges(std::string(496, 'L'), "CHANGED" + std::string(489, 'L'));
    EXPECT_EQ(changes.Left, (TRanges{{0, 7}}));
    EXPECT_EQ(changes.Right, (TRanges{{0, 7}}));

    // UTF-8: é (C3 A9) and è (C3 A8) share their first byte, © (C2 A9) and
    // é their last; each range still holds the whole character.
    changes = IntraLineChanges("na\xc3\xafve caf\xc3\xa9", "na\xc3\xafve caf\xc3\xa8");
    EXPECT_EQ(changes.Left, (TRanges{{10, 2}}));
    EXPECT_EQ(changes.Right, (TRanges{{10, 2}}));
    changes = IntraLineChanges("x\xc2\xa9y", "x\xc3\xa9y");
    EXPECT_EQ(changes.Left, (TRanges{{1, 2}}));
    EXPECT_EQ(changes.Right, (TRanges{{1, 2}}));

    EXPECT_TRUE(IntraLineChanges("same", "same").Left.empty());
    // Too different to align within the bound: one range between the
    // common ends.
    std::string many, other;
    for (int i = 0; i < 400; ++i) {
        many += "a" + std::to_string(i) + ",";
        other += "b" + std::to_string(i) + ",";
    }
    changes = IntraLineChanges("<" + many + ">", "<" + other + ">");
    // (The last comma and the "399" before it are alike.)
    EXPECT_EQ(changes.Left, (TRanges{{1, many.size() - 4}}));
    EXPECT_EQ(changes.Right, (TRanges{{1, other.size() - 4}}));
}
