#include "Authors.h"
#include "CheckLog.h"
#include "DateTime.h"
#include "Export.h"
#include "Filter.h"
#include "LogSummary.h"
#include "ParseLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillon;

namespace {

const std::string Rule28(28, '-');
const std::string Rule77(77, '=');

using Record = std::vector<std::string>;

// Reads RFC 4180 CSV with CR LF record ends; fails the test on anything else.
std::vector<Record> ReadCsv(const std::string& csv) {
    std::vector<Record> records;
    Record record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < csv.size() && csv[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            EXPECT_TRUE(field.empty()) << "quote inside an unquoted field at " << i;
            quoted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
        } else if (c == '\r') {
            EXPECT_TRUE(i + 1 < csv.size() && csv[i + 1] == '\n') << "lone CR at " << i;
            ++i;
            record.push_back(field);
            field.clear();
            records.push_back(record);
            record.clear();
        } else {
            EXPECT_NE(c, '\n') << "LF outside quotes at " << i;
            field += c;
        }
    }
    EXPECT_FALSE(quoted);
    EXPECT_TRUE(field.empty() && record.empty()) << "last record without CR LF";
    return records;
}

std::string Revision(const std::string& number, const std::string& date, const std::string& author,
                     const std::string& lines, const std::string& message) {
    return Rule28 + "\nrevision " + number + "\ndate: " + date + ";  author: " + author +
           ";  state: Exp;" + (lines.empty() ? "" : "  lines: " + lines) + "\n" + message + "\n";
}

std::string File(const std::string& name, const std::string& revisions) {
    return "RCS file: /repo/" + name + ",v\nWorking file: " + name + "\nhead: 1.2\n" + revisions +
           Rule77 + "\n";
}

std::vector<std::string> Strings(const std::vector<TText>& texts) {
    return {texts.begin(), texts.end()};
}

std::vector<const TRevisionInfo*> AllRevisions(const TRCSFileTable& table) {
    std::vector<const TRevisionInfo*> revisions;
    for (const auto& f : table.Files())
        for (const auto& r : f.Revisions)
            revisions.push_back(&r);
    return revisions;
}

const std::string Date1 = "2005-03-01 14:05:09 +0000";

} // namespace

TEST(AuthorList, EachNameOnceSpelledAsFirstMetSortedWithoutCase) {
    auto table = ParseLog(File("a.c", Revision("1.3", Date1, "bob", "", "x") +
                                          Revision("1.2", Date1, "Carol", "", "x") +
                                          Revision("1.1", Date1, "anna", "", "x")) +
                          File("b.c", Revision("1.3", Date1, "Bob", "", "x") +
                                          Revision("1.2", Date1, "ANNA", "", "x") +
                                          Revision("1.1", Date1, "dave", "", "x")));
    EXPECT_EQ(Strings(AuthorList(*table)),
              (std::vector<std::string>{"anna", "bob", "Carol", "dave"}));
    EXPECT_TRUE(AuthorList(*ParseLog("")).empty());
}

TEST(AuthorList, NamesInEitherEncodingAndCaseMeet) {
    // "J\u00f6rg" in Windows-1252, then in UTF-8 upper case: one entry, the first
    // spelling.
    auto table = ParseLog(File("a.c", Revision("1.3", Date1, "J\xf6rg", "", "x") +
                                          Revision("1.2", Date1, "J\xc3\x96RG", "", "x") +
                                          Revision("1.1", Date1, "Ida", "", "x")));
    EXPECT_EQ(Strings(AuthorList(*table)), (std::vector<std::string>{"Ida", "J\xf6rg"}));
}

// A filter keeps the author index it looks authors up in alive, and with it
// the summary that holds the index, whoever lets the summary go first.
TEST(AuthorsOf, SharesTheSummaryThatHoldsTheIndex) {
    const auto table = ParseLog(File("a.c", Revision("1.1", Date1, "anna", "", "m")));
    auto summary = std::make_shared<const TLogSummary>(SummarizeLog(*table, 0));
    const std::weak_ptr<const TLogSummary> held = summary;
    const TFilter filter = MakeFilter(TFilterMode::AllFiles, 0, {}, {}, 1, AuthorsOf(summary));
    summary.reset();
    EXPECT_FALSE(held.expired());
    EXPECT_TRUE(filter.RevisionPasses(table->Files()[0].Revisions[0]));
    EXPECT_FALSE(AuthorsOf(nullptr));
}

TEST(FilesCsv, HeaderAndOneRecordPerFileInTheGivenOrder) {
    auto table = ParseLog(
        File("a.c", Revision("1.2", Date1, "anna", "+12 -3", "m") +
                        Revision("1.1", Date1, "bob", "", "*** empty log message ***")) +
        "RCS file: /repo/b,c.txt,v\nWorking file: dir/b, \"c\".txt\nhead: 1.1\n"
        "description:\r\nline one\r\nline two\r\n" +
        Rule77 + "\nRCS file: /repo/caf\xe9.c,v\nWorking file: caf\xe9.c\n" + Rule77 + "\n");
    ClearEmptyMessages(*table);
    const TLogSummary summary = SummarizeLog(*table, 5);
    const auto files = table->Files();
    const std::string csv = FilesCsv({&files[2], &files[0], &files[1]}, summary);
    const auto records = ReadCsv(csv);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (Record{"File name", "Head", "No comments", "No changes", "Few changes",
                                  "Added", "Removed", "Description"}));
    EXPECT_EQ(records[1], (Record{"caf\xc3\xa9.c", "", "0", "0", "0", "0", "0", ""}));
    EXPECT_EQ(records[2], (Record{"a.c", "1.2", "1", "1", "0", "12", "3", ""}));
    EXPECT_EQ(records[3],
              (Record{"dir/b, \"c\".txt", "1.1", "0", "0", "0", "0", "0", "line one\nline two"}));
    EXPECT_NE(csv.find("\r\n\"dir/b, \"\"c\"\".txt\",1.1,"), std::string::npos);

    EXPECT_EQ(FilesCsv({}, summary),
              "File name,Head,No comments,No changes,Few changes,Added,Removed,"
              "Description\r\n");
}

TEST(FilesCsv, TotalsBeyondThe32BitRange) {
    std::string revisions;
    for (int i = 0; i < 3; ++i)
        revisions +=
            Revision("1." + std::to_string(3 - i), Date1, "anna", "+2000000000 -2000000000", "big");
    auto table = ParseLog(File("a.c", revisions));
    const auto records = ReadCsv(FilesCsv({&table->Files()[0]}, SummarizeLog(*table, 5)));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][5], "6000000000");
    EXPECT_EQ(records[1][6], "6000000000");
}

TEST(HistoryCsv, RecordsWithDatesQuotingAndComments) {
    auto table = ParseLog(
        File("a.c", Revision("1.2", "2005-03-01 04:05:09 +0000", "J\xf6rg", "+1 -2",
                             "Say \"hi\", then\n\nbye") +
                        Revision("1.1", "2005-13-01 00:00:00 +0000", "bob", "", "Initial")));
    std::string crlfLog =
        File("b.c", Revision("1.1", "1999/12/31 23:59:59", "carol", "+3 -0", "one\ntwo"));
    std::string withCr;
    for (const char c : crlfLog) {
        if (c == '\n')
            withCr += '\r';
        withCr += c;
    }
    auto crlf = ParseLog(withCr);
    auto revisions = AllRevisions(*table);
    revisions.push_back(&crlf->Files()[0].Revisions[0]);
    const auto records = ReadCsv(HistoryCsv(revisions));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (Record{"File name", "Revision", "Date", "Author", "State", "Added",
                                  "Removed", "Comments", "Tags"}));
    EXPECT_EQ(records[1], (Record{"a.c", "1.2", "2005-03-01 04:05:09", "J\xc3\xb6rg", "Exp", "1",
                                  "2", "Say \"hi\", then\n\nbye", ""}));
    // An unknown date is an empty field.
    EXPECT_EQ(records[2], (Record{"a.c", "1.1", "", "bob", "Exp", "0", "0", "Initial", ""}));
    // The log's CR LF becomes LF inside the field.
    EXPECT_EQ(records[3], (Record{"b.c", "1.1", "1999-12-31 23:59:59", "carol", "Exp", "3", "0",
                                  "one\ntwo", ""}));

    EXPECT_EQ(HistoryCsv({}),
              "File name,Revision,Date,Author,State,Added,Removed,Comments,Tags\r\n");
}

TEST(HistoryCsv, DatesBeforeTheEpochOfTheEncoding) {
    auto table =
        ParseLog(File("a.c", Revision("1.2", "1899-12-29 18:30:01 +0000", "anna", "", "a") +
                                 Revision("1.1", "1601-01-01 00:00:00", "anna", "", "b")));
    const auto records = ReadCsv(HistoryCsv(AllRevisions(*table)));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1][2], "1899-12-29 18:30:01");
    EXPECT_EQ(records[2][2], "1601-01-01 00:00:00");
}

TEST(HistoryOrder, NewestFirstAndStableForEqualDates) {
    auto table =
        ParseLog(File("a.c", Revision("1.3", "2005-03-02 00:00:00", "anna", "", "a3") +
                                 Revision("1.2", "2005-03-01 14:05:09", "anna", "", "a2") +
                                 Revision("1.1", "bad", "anna", "", "a1")) +
                 File("b.c", Revision("1.2", "2005-03-01 14:05:09", "bob", "", "b2") +
                                 Revision("1.1", "2005-03-01 14:05:10", "bob", "", "b1")) +
                 File("c.c", Revision("1.2", "1601-01-01 00:00:00", "carol", "", "c2") +
                                 Revision("1.1", "2005-03-01 14:05:09", "carol", "", "c1") +
                                 Revision("1.0", "also bad", "carol", "", "c0")));
    std::vector<std::string> order;
    for (const auto* r : HistoryOrder(*table))
        order.emplace_back(r->Comment);
    // Unknown dates (0) sort after known ones from 1899-12-30 on; equal dates
    // keep table order, then log order.
    EXPECT_EQ(order, (std::vector<std::string>{"a3", "b1", "a2", "b2", "c1", "a1", "c0", "c2"}));
}

// A table large enough to be sorted in halves side by side: the order is the
// one a stable sort of the whole table gives, also for equal dates that both
// halves hold.
TEST(HistoryOrder, ALargeTableSortedInHalvesKeepsTheOrder) {
    std::string log;
    for (int file = 0, step = 0; file < 7000; ++file) {
        std::string revisions;
        for (int r = 10; r > 0; --r, ++step) {
            const int day = step * 7919 % 53;
            const std::string date = day == 0 ? "bad"
                                              : "2005-03-" + std::to_string(10 + day % 20) + " 0" +
                                                    std::to_string(day % 10) + ":00:00";
            revisions += Revision("1." + std::to_string(r), date, "anna", "", "c");
        }
        log += File("f" + std::to_string(file) + ".c", revisions);
    }
    const auto table = ParseLog(log);
    ASSERT_EQ(table->RevisionCount(), 70000u);
    std::vector<const TRevisionInfo*> expected;
    for (const TRevisionInfo& revision : table->Revisions())
        expected.push_back(&revision);
    std::stable_sort(
        expected.begin(), expected.end(),
        [](const TRevisionInfo* a, const TRevisionInfo* b) { return a->Date > b->Date; });
    EXPECT_EQ(HistoryOrder(*table), expected);
}
