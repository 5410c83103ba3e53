#include "ParseLog.h"
#include "Tags.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillon;

namespace {

std::string Revision(const std::string& number, const std::string& date) {
    return "----------------------------\nrevision " + number + "\ndate: " + date +
           " +0000;  author: anna;  state: Exp;\nmessage\n";
}

std::string File(const std::string& name, const std::string& symbols, const std::string& revisions,
                 const std::string& eol = "\n") {
    std::string text = "RCS file: /repo/" + name + ",v\nWorking file: " + name +
                       "\nhead: 1.3\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n" +
                       symbols + "keyword substitution: kv\ndescription:\n" + revisions +
                       std::string(77, '=') + "\n";
    std::string out;
    for (const char c : text)
        c == '\n' ? out += eol : out += c;
    return out;
}

std::vector<std::string> Texts(const std::vector<TText>& texts) {
    return {texts.begin(), texts.end()};
}

std::vector<std::string> Kept(const TRCSFileTable& table, const TRevisionSelection& selection) {
    std::vector<std::string> kept;
    for (const TRCSFile& file : table.Files())
        for (const TRevisionInfo& revision : file.Revisions)
            if (selection.Keeps(revision))
                kept.push_back(std::string(file.WorkingFile) + " " +
                               std::string(revision.Revision));
    return kept;
}

} // namespace

TEST(Tags, NamesAreReadFromTheBlockOfTheirFile) {
    const std::string symbols = "\tREL_2: 1.3\n\tFIX: 1.2.0.2\n\tREL_1: 1.2\n\tBOTH: 1.2\n"
                                "\tVENDOR: 1.1.1\n\tV1: 1.1.1.1\n";
    const std::string revisions =
        Revision("1.3", "2024-03-03 10:00:00") + Revision("1.2", "2024-03-02 10:00:00") +
        Revision("1.1", "2024-03-01 10:00:00") + Revision("1.1.1.1", "2024-03-01 10:00:00") +
        Revision("1.2.2.1", "2024-03-04 10:00:00") + "\tan indented message line: 1.3\n";
    for (const std::string eol : {"\n", "\r\n"}) {
        const auto table = ParseLog(File("a.c", symbols, revisions, eol));
        const TRCSFile& file = table->Files()[0];
        const auto names = SymbolicNames(file);
        ASSERT_EQ(names.size(), 6u) << "line ends " << eol.size();
        EXPECT_EQ(names[1].Name, "FIX");
        EXPECT_EQ(names[1].Number, "1.2.0.2");
        EXPECT_EQ(names[1].Kind, TNameKind::Branch);
        EXPECT_EQ(names[3].Kind, TNameKind::Tag);
        EXPECT_EQ(names[4].Kind, TNameKind::VendorBranch);
        EXPECT_EQ(names[5].Number, "1.1.1.1");
        // The message line that looks like a name is the revision's comment.
        EXPECT_EQ(Texts(TagsOf(file.Revisions[0])), (std::vector<std::string>{"REL_2"}));
        EXPECT_EQ(TagsText(file.Revisions[1]), "REL_1, BOTH");
        EXPECT_EQ(TagsText(file.Revisions[2]), "");
        EXPECT_EQ(BranchNameOf(file.Revisions[1]), "");
        EXPECT_EQ(BranchNameOf(file.Revisions[3]), "VENDOR");
        EXPECT_EQ(BranchNameOf(file.Revisions[4]), "FIX");
    }
    EXPECT_EQ(BranchNumber("1.2.0.4"), "1.2.4");
    EXPECT_EQ(BranchNumber("1.2.2.1.0.2"), "1.2.2.1.2");
    EXPECT_EQ(BranchNumber("1.10"), "");
}

TEST(Tags, BranchesAndRangesKeepTheirRevisions) {
    // b.c: a branch of a branch; c.c is added after REL_1, d.c removed before
    // REL_2 (so untagged by it).
    const std::string log =
        File(
            "b.c",
            "\tREL_2: 1.3\n\tDEEP: 1.2.2.1.2.1\n\tSUB: 1.2.2.1.0.2\n\tFIX: 1.2.0.2\n\tREL_1: 1.2\n",
            Revision("1.3", "2024-03-05 10:00:00") + Revision("1.2", "2024-03-02 10:00:00") +
                Revision("1.1", "2024-03-01 10:00:00") +
                Revision("1.2.2.2", "2024-03-04 10:00:00") +
                Revision("1.2.2.1", "2024-03-03 10:00:00") +
                Revision("1.2.2.1.2.1", "2024-03-04 11:00:00")) +
        File("c.c", "\tREL_2: 1.1\n", Revision("1.1", "2024-03-03 10:00:00")) +
        File("d.c", "\tREL_1: 1.1\n",
             Revision("1.2", "2024-03-04 10:00:00") + Revision("1.1", "2024-03-01 10:00:00"));
    const auto table = ParseLog(log);

    EXPECT_EQ(Kept(*table, SelectBranch(*table, "FIX")),
              (std::vector<std::string>{"b.c 1.2.2.2", "b.c 1.2.2.1"}));
    EXPECT_EQ(Kept(*table, SelectBranch(*table, "SUB")),
              (std::vector<std::string>{"b.c 1.2.2.1.2.1"}));
    EXPECT_EQ(Kept(*table, SelectTrunk(*table)).size(), 6u);

    EXPECT_EQ(Kept(*table, SelectRange(*table, "REL_1", "REL_2")),
              (std::vector<std::string>{"b.c 1.3", "c.c 1.1", "d.c 1.2"}));
    // The ancestors of a revision on a branch of a branch; the files without
    // the tag keep their trunk up to its time.
    EXPECT_EQ(Kept(*table, SelectRange(*table, "", "DEEP")),
              (std::vector<std::string>{"b.c 1.2", "b.c 1.1", "b.c 1.2.2.1", "b.c 1.2.2.1.2.1",
                                        "c.c 1.1", "d.c 1.2", "d.c 1.1"}));
    EXPECT_EQ(Kept(*table, SelectRange(*table, "REL_1", "")),
              (std::vector<std::string>{"b.c 1.3", "c.c 1.1", "d.c 1.2"}));
    EXPECT_EQ(Kept(*table, SelectRange(*table, "", "REL_1")),
              (std::vector<std::string>{"b.c 1.2", "b.c 1.1", "d.c 1.1"}));

    const auto& names = table->Names();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[1].Name, "FIX");
    EXPECT_TRUE(names[1].IsBranch);
    EXPECT_EQ(names[3].Name, "REL_2");
    EXPECT_FALSE(names[3].IsBranch);
}

TEST(Tags, FiveThousandTagsOnOneFile) {
    std::string symbols;
    for (int i = 5000; i-- > 0;)
        symbols += "\tT" + std::to_string(i) + ": 1." + std::to_string(i % 3 + 1) + "\n";
    const auto table = ParseLog(File("a.c", symbols,
                                     Revision("1.3", "2024-03-03 10:00:00") +
                                         Revision("1.2", "2024-03-02 10:00:00") +
                                         Revision("1.1", "2024-03-01 10:00:00")));
    const TRCSFile& file = table->Files()[0];
    EXPECT_EQ(SymbolicNames(file).size(), 5000u);
    const auto onFirst = TagsOf(file.Revisions[2]);
    ASSERT_EQ(onFirst.size(), 1667u);
    EXPECT_EQ(onFirst.front(), "T4998");
    EXPECT_EQ(table->Names().size(), 5000u);
    EXPECT_EQ(TagTime(*table, "T2"), file.Revisions[0].Date);
    EXPECT_EQ(Kept(*table, SelectRange(*table, "T0", "T2")),
              (std::vector<std::string>{"a.c 1.3", "a.c 1.2"}));
}

// A log read as it streams keeps the symbol blocks of its files packed; they
// read as the log holds them: names past the first 127 of the table, numbers
// repeated from the line before and numbers longer than 127 bytes, in files
// that list the names in other orders or leave some out.
TEST(Tags, PackedNamesReadAsTheLogHoldsThem) {
    const std::string longNumber = "1.2" + std::string(200, '0') + ".2";
    std::string log;
    for (int file = 0; file < 3; ++file) {
        std::string symbols;
        for (int i = 0; i < 300; ++i) {
            const int n = file == 1 ? 299 - i : i; // the second file in reverse
            if (file == 2 && n % 7 == 0)
                continue;
            symbols += "\tT" + std::to_string(n) + ": " + (n % 3 ? "1.2" : "1.3") + "\n";
        }
        symbols += "\tLONG: " + longNumber + "\n";
        log +=
            File("f" + std::to_string(file) + ".c", symbols,
                 Revision("1.3", "2024-03-03 10:00:00") + Revision("1.2", "2024-03-02 10:00:00"));
    }
    // Odd lines, and a second list of names whose lines between count too.
    log += File("odd.c",
                "\tT1: 1.2\n\t\vT2: 1.3\n\t: 1.2\n\tT3:\t1.3\n\tT4:\n"
                "keyword substitution: kv\nsymbolic names:\n\tT5: 1.3\n",
                Revision("1.3", "2024-03-03 10:00:00"), "\r\n");
    const auto whole = ParseLog(log);
    TLogReader reader(nullptr, 1024);
    for (std::size_t from = 0; from < log.size(); from += 333)
        reader.Add(std::string_view(log).substr(from, 333));
    const auto streamed = reader.Finish();
    ASSERT_EQ(streamed->FileCount(), 4u);
    auto describe = [](const TRCSFile& file) {
        std::vector<std::string> lines;
        for (const TSymbolicName& name : SymbolicNames(file))
            lines.push_back(std::string(name.Name) + "=" + std::string(name.Number) + " " +
                            std::to_string(static_cast<int>(name.Kind)));
        for (const TRevisionInfo& revision : file.Revisions)
            lines.push_back(std::string(revision.Revision) + " " + TagsText(revision));
        return lines;
    };
    for (std::size_t i = 0; i < 4; ++i) {
        const TRCSFile& packed = streamed->Files()[i];
        EXPECT_NE(packed.SymbolNames, nullptr);
        const std::vector<std::string> lines = describe(packed);
        EXPECT_EQ(lines, describe(whole->Files()[i])) << i;
        EXPECT_EQ(lines.size(), i == 3 ? 6u : (i == 2 ? 258u : 301u) + 2) << i;
    }
    EXPECT_EQ(SymbolicNames(streamed->Files()[0]).back().Number, longNumber);
}

// The lines between two lists of names count as name lines too; the number of
// the last name line before them is what the first of them is compared with,
// however many blocks the log has been carried through by then.
TEST(Tags, PackedNamesBetweenTwoListsAcrossBlocks) {
    std::string symbols = "\tA: 1.1\n";
    for (int i = 0; i < 12; ++i)
        symbols += "\tB" + std::to_string(i) + ": 1.1\n" + std::string(20, '-') + "\n";
    symbols += "symbolic names:\n\tC: 1.2\n";
    const std::string log = File("a.c", symbols, Revision("1.2", "2024-03-02 10:00:00"));
    const auto whole = ParseLog(log);
    TLogReader reader(nullptr, 64);
    for (const char& c : log)
        reader.Add(std::string_view(&c, 1));
    const auto streamed = reader.Finish();
    auto describe = [](const TRCSFile& file) {
        std::vector<std::string> lines;
        for (const TSymbolicName& name : SymbolicNames(file))
            lines.push_back(std::string(name.Name) + "=" + std::string(name.Number));
        return lines;
    };
    ASSERT_EQ(streamed->FileCount(), 1u);
    EXPECT_NE(streamed->Files()[0].SymbolNames, nullptr);
    const std::vector<std::string> lines = describe(streamed->Files()[0]);
    EXPECT_EQ(lines, describe(whole->Files()[0]));
    EXPECT_EQ(lines.size(), 14u);
}
