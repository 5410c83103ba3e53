#include "DisplayText.h"
#include "Find.h"
#include "ParseLog.h"
#include "Tags.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillon;

namespace {

QString U(const char16_t* text) {
    return QString::fromUtf16(text);
}

} // namespace

TEST(DisplayText, ValidUtf8IsReadAsUtf8) {
    EXPECT_EQ(DisplayText(""), QString());
    EXPECT_EQ(DisplayText("plain ascii"), QStringLiteral("plain ascii"));
    EXPECT_EQ(DisplayText("J\xc3\xb6rg"), U(u"J\u00f6rg"));
    EXPECT_EQ(DisplayText("\xe2\x82\xac 5"), U(u"\u20ac 5"));
    EXPECT_EQ(DisplayText("\xf0\x9f\x98\x80"), U(u"\U0001F600"));
    EXPECT_EQ(DisplayText("\xf4\x8f\xbf\xbf"), U(u"\U0010FFFF"));
}

TEST(DisplayText, AnythingElseIsReadAsWindows1252) {
    EXPECT_EQ(DisplayText("J\xf6rg"), U(u"J\u00f6rg"));
    EXPECT_EQ(DisplayText("\x80 \x93q\x94 \x85"), U(u"\u20ac \u201cq\u201d \u2026"));
    EXPECT_EQ(DisplayText("\x9f\xa0\xff"), U(u"\u0178\u00a0\u00ff"));
    // Codes that Windows-1252 leaves unassigned keep their own value.
    EXPECT_EQ(DisplayText("\x81\x8d\x8f\x90\x9d"), U(u"\u0081\u008d\u008f\u0090\u009d"));
    // Not UTF-8: overlong forms, surrogates, code points beyond U+10FFFF,
    // truncated sequences, stray continuation bytes.
    EXPECT_EQ(DisplayText("\xc0\xaf"), U(u"\u00c0\u00af"));
    EXPECT_EQ(DisplayText("\xe0\x80\xaf"), U(u"\u00e0\u20ac\u00af"));
    EXPECT_EQ(DisplayText("\xed\xa0\x80"), U(u"\u00ed\u00a0\u20ac"));
    EXPECT_EQ(DisplayText("\xf4\x90\x80\x80"), U(u"\u00f4\u0090\u20ac\u20ac"));
    EXPECT_EQ(DisplayText("ab\xe2\x82"), U(u"ab\u00e2\u201a"));
    EXPECT_EQ(DisplayText("\xa9 x"), U(u"\u00a9 x"));
    // One invalid byte decides for the whole text.
    EXPECT_EQ(DisplayText("\xc3\xb6 \xf6"), U(u"\u00c3\u00b6 \u00f6"));
}

TEST(DisplayText, DisplayCommentMakesEveryLineBreakALineFeed) {
    EXPECT_EQ(DisplayComment("a\r\nb\r\n\r\nc"), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(DisplayComment("a\rb\nc"), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(DisplayComment("a\n\rb"), QStringLiteral("a\n\nb"));
    EXPECT_EQ(DisplayComment("caf\xe9\r\nJ\xc3\xb6rg"), U(u"caf\u00e9\nJ\u00c3\u00b6rg"));
    EXPECT_EQ(DisplayComment("no break"), QStringLiteral("no break"));
}

TEST(DisplayText, CommentOfACrLfLogShowsLikeThatOfAnLfLog) {
    const std::string rule(28, '-');
    const std::string log = "RCS file: /repo/a.c,v\nWorking file: a.c\n" + rule +
                            "\nrevision 1.1\ndate: 2005-03-01 14:05:09 +0000;  author: anna;\n"
                            "one\n\ntwo\nthree\n";
    std::string crlf;
    for (const char c : log) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    auto lf = ParseLog(log);
    auto cr = ParseLog(crlf);
    const QString expected = QStringLiteral("one\n\ntwo\nthree");
    EXPECT_EQ(DisplayComment(lf->Files()[0].Revisions[0].Comment), expected);
    EXPECT_EQ(DisplayComment(cr->Files()[0].Revisions[0].Comment), expected);
}

TEST(DisplayText, CaseKeyJoinsNamesThatDifferInCaseOnly) {
    EXPECT_EQ(CaseKey("Joe"), CaseKey("joe"));
    EXPECT_EQ(CaseKey("JOE"), CaseKey("joe"));
    EXPECT_EQ(CaseKey("J\xc3\x96RG"), CaseKey("j\xc3\xb6rg"));
    // The same name in either encoding.
    EXPECT_EQ(CaseKey("J\xd6RG"), CaseKey("j\xc3\xb6rg"));
    EXPECT_NE(CaseKey("joe"), CaseKey("jo"));
    EXPECT_NE(CaseKey("joe"), CaseKey("joe "));
    EXPECT_NE(CaseKey("jorg"), CaseKey("j\xc3\xb6rg"));
}

TEST(FindText, FoldsCaseOfTheTextShownInEveryEncoding) {
    const TFindText cafe(QStringLiteral("CAFÉ"));
    EXPECT_TRUE(cafe.Holds("un caf\xc3\xa9 noir")); // UTF-8
    EXPECT_TRUE(cafe.Holds("Caf\xe9 cr\xe8me"));    // Windows-1252
    EXPECT_FALSE(cafe.Holds("cafe"));               // an ASCII field never holds É
    EXPECT_TRUE(TFindText(QStringLiteral("é")).Holds("\xc3\x89T\xc3\x89"));
    EXPECT_TRUE(TFindText(QStringLiteral("STRASSE"))
                    .Holds("Stra\xc3\x9f"
                           "e"));
    EXPECT_TRUE(TFindText(QStringLiteral("Make")).Holds("a MAKEFILE"));
    EXPECT_FALSE(TFindText(QStringLiteral("makes")).Holds("a MAKEFILE"));
    EXPECT_TRUE(TFindText(QStringLiteral("k")).Holds("\xe2\x84\xaa")); // the Kelvin sign
    EXPECT_TRUE(TFindText().Holds("anything"));

    // The marked spans stand where the text is shown, whatever folding does
    // to the length.
    using TSpans = std::vector<std::pair<qsizetype, qsizetype>>;
    EXPECT_EQ(TFindText(QStringLiteral("SS")).Spans(QStringLiteral("Größe, MASS")),
              (TSpans{{3, 1}, {9, 2}}));
    EXPECT_EQ(TFindText(QStringLiteral("é")).Spans(QStringLiteral("Été")),
              (TSpans{{0, 1}, {2, 1}}));
}

// The find index answers as each revision's own test does, for texts in
// either encoding, tags, revision numbers, folding that changes lengths; and
// it gives every revision's tags as the lists show them.
TEST(FindText, TheIndexFindsWhatEachRevisionsOwnTestFinds) {
    auto revision = [](const std::string& number, const std::string& author,
                       const std::string& comment) {
        return "----------------------------\nrevision " + number +
               "\ndate: 2024/01/02 03:04:05;  author: " + author + ";  state: Exp;\n" + comment +
               "\n";
    };
    auto file = [](const std::string& name, const std::string& symbols,
                   const std::string& revisions) {
        return "RCS file: /repo/" + name + ",v\nWorking file: " + name +
               "\nhead: 1.3\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n" + symbols +
               "keyword substitution: kv\ndescription:\n" + revisions + std::string(77, '=') + "\n";
    };
    const std::string log =
        file("src/Main.c",
             "\tREL_1_0: 1.3\n\tGr\xc3\xb6\xc3\x9f"
             "e: 1.3\n\tbranch_b: 1.2.0.2\n",
             revision("1.3", "anna", "Fix the CAF\xc3\x89 parser") +
                 revision("1.2.2.1", "j\xc3\xb6rg", "Caf\xe9 cr\xe8me, STRASSE") +
                 revision("1.2", "anna", "the Kelvin sign \xe2\x84\xaa") +
                 revision("1.1", "bob", "first")) +
        file("doc/ReadMe.txt", "\tREL_1_0: 1.1\n\tbeta: 1.1\n",
             revision("1.1", "Anna", "Fix the cafe parser"));
    const auto table = ParseLog(log);
    ASSERT_EQ(table->RevisionCount(), 5u);
    const TFindIndex index(*table);
    std::size_t matches = 0;
    for (const char* text : {"c", "CAF\xc3\x89", "\xc3\xa9",
                             "stra\xc3\x9f"
                             "e",
                             "ss", "1.2", "2.1", "rel_1", "GR\xc3\x96SSE", "branch_b", "J\xc3\x96R",
                             "readme", "k", "anna", "zzz", ""}) {
        const TFindText plain(QString::fromUtf8(text));
        TFindText indexed = plain;
        indexed.Prepare(*table, &index);
        for (const TRevisionInfo& r : table->Revisions()) {
            EXPECT_EQ(indexed.Matches(r), plain.Matches(r)) << text << " " << r.Revision;
            matches += indexed.Matches(r);
        }
    }
    // Not all alike: "CAFÉ" alone finds two of the five, the tag "Größe" one.
    TFindText cafe(QStringLiteral("CAFÉ")), size(QStringLiteral("GRÖSSE"));
    cafe.Prepare(*table, &index);
    size.Prepare(*table, &index);
    EXPECT_EQ(FindRevisions(HistoryOrder(*table), cafe).size(), 2u);
    EXPECT_EQ(FindRevisions(HistoryOrder(*table), size).size(), 1u);
    EXPECT_GT(matches, 20u);
    EXPECT_LT(matches, 16u * 5u);

    const TFindIndex::TTagLists lists = index.TagLists();
    ASSERT_EQ(lists.TextOf.size(), table->RevisionCount());
    for (const TRevisionInfo& r : table->Revisions())
        EXPECT_EQ(lists.Texts[lists.TextOf[table->RevisionIndex(r)]], TagsText(r)) << r.Revision;
    EXPECT_EQ(lists.Texts[lists.TextOf[0]], "REL_1_0, Gr\xc3\xb6\xc3\x9f"
                                            "e");
}
