// The client's annotation read into lines, and the lines' revisions found in
// the log.
#include "Annotation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace quillon;

namespace {

std::string Recorded(const char* name) {
    std::ifstream file(std::string(QUILLON_TEST_DATA) + "/annotate/" + name, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(Annotation, TheClientsLinesAndLinesOfNoForm) {
    // README.txt at 1.3: lines of three revisions by anna, Joe and joe.
    const std::string recorded = Recorded("README-1.3.out");
    const std::vector<TAnnotatedLine> lines = ParseAnnotation(recorded);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].Revision, "1.1");
    EXPECT_EQ(lines[0].Author, "anna");
    EXPECT_EQ(lines[0].Date, "01-Feb-24");
    EXPECT_EQ(lines[0].Text, "Demo project");
    EXPECT_EQ(lines[2].Text, "");
    EXPECT_EQ(lines[3].Revision, "1.3");
    EXPECT_EQ(lines[3].Author, "joe");
    EXPECT_EQ(lines[3].Text, "A small program that greets its users.");
    EXPECT_EQ(lines[5].Author, "Joe");
    EXPECT_EQ(lines[5].Text, "Build: run make in the top folder.");

    // A revision too long for its 12 characters, an author cut to 8, a text
    // that holds the separator itself, CR LF, a last line without a line end,
    // and lines the client writes in no such form.
    const std::vector<TAnnotatedLine> odd =
        ParseAnnotation("1.2.2.1.4.12.2.1 (longname 01-Mar-24): x): y\r\n"
                        "1.5          (a b      02-Mar-24): \r\n"
                        "Annotations for a.c\n"
                        "1.6          (anna)\n"
                        "1.7          (carol    03-Mar-24):  last");
    ASSERT_EQ(odd.size(), 5u);
    EXPECT_EQ(odd[0].Revision, "1.2.2.1.4.12.2.1");
    EXPECT_EQ(odd[0].Author, "longname");
    EXPECT_EQ(odd[0].Date, "01-Mar-24");
    EXPECT_EQ(odd[0].Text, "x): y");
    EXPECT_EQ(odd[1].Author, "a b");
    EXPECT_EQ(odd[1].Text, "");
    for (const std::size_t i : {2u, 3u}) {
        EXPECT_EQ(odd[i].Revision, "") << i;
        EXPECT_EQ(odd[i].Author, "") << i;
    }
    EXPECT_EQ(odd[2].Text, "Annotations for a.c");
    EXPECT_EQ(odd[3].Text, "1.6          (anna)");
    EXPECT_EQ(odd[4].Text, " last");
    EXPECT_TRUE(ParseAnnotation("").empty());
}

TEST(Annotation, EachLineFindsItsRevisionInTheLog) {
    std::vector<TRevisionInfo> revisions(3);
    TRCSFile file;
    for (std::size_t i = 0; i < revisions.size(); ++i)
        revisions[i].FileInfo = &file;
    revisions[0].Revision = "1.3";
    revisions[1].Revision = "1.2";
    revisions[2].Revision = "1.1";
    file.Revisions = revisions;
    const TAnnotationPtr annotation =
        MakeAnnotation(Recorded("README-1.3.out") + "1.9          (bob      01-Mar-24): gone\n",
                       nullptr, &revisions[0]);
    ASSERT_EQ(annotation->Revisions.size(), 7u);
    EXPECT_EQ(annotation->Revisions[0], &revisions[2]);
    EXPECT_EQ(annotation->Revisions[3], &revisions[0]);
    EXPECT_EQ(annotation->Revisions[4], &revisions[1]);
    EXPECT_EQ(annotation->Revisions[6], nullptr); // not in the log read
    EXPECT_EQ(annotation->Lines[6].Text, "gone");
    EXPECT_EQ(annotation->LongestText,
              std::string("A small program that greets its users.").size());
}
