#include "Export.h"

#include "ColumnCaptions.h"
#include "DateTime.h"
#include "DisplayText.h"
#include "Tags.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <filesystem>
#include <span>

namespace quillon {

namespace {

void Field(std::string& out, const QString& text, bool first = false) {
    if (!first)
        out += ',';
    const QByteArray utf8 = text.toUtf8();
    if (utf8.contains(',') || utf8.contains('"') || utf8.contains('\n') || utf8.contains('\r')) {
        out += '"';
        for (const char c : utf8) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    } else {
        out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    }
}

void Field(std::string& out, std::int64_t number) {
    out += ',';
    out += std::to_string(number);
}

void EndRecord(std::string& out) {
    out += "\r\n";
}

// The chart export's header.
constexpr std::array<const char*, 2> ChartColumnCaptions = {"Date", "Value"};

void Header(std::string& out, std::span<const char* const> captions) {
    bool first = true;
    for (const char* caption : captions) {
        Field(out, QString::fromLatin1(caption), first);
        first = false;
    }
    EndRecord(out);
}

QString IsoDate(double date) {
    if (date == 0)
        return {};
    const auto p = DecodeDateTime(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
    return QString::fromLatin1(text);
}

} // namespace

std::string FilesCsv(const std::vector<const TRCSFile*>& files, const TLogSummary& summary) {
    std::string out;
    Header(out, FileColumnCaptions);
    for (const TRCSFile* f : files) {
        const TFileCounters& c = summary.Counters(*f);
        Field(out, DisplayText(f->WorkingFile), true);
        Field(out, DisplayText(f->Head));
        Field(out, c.NoComments);
        Field(out, c.NoChanges);
        Field(out, c.FewChanges);
        Field(out, c.TotalAdded);
        Field(out, c.TotalRemoved);
        Field(out, DisplayComment(f->Description));
        EndRecord(out);
    }
    return out;
}

std::string HistoryCsv(const std::vector<const TRevisionInfo*>& revisions) {
    std::string out;
    Header(out, HistoryColumnCaptions);
    for (const TRevisionInfo* r : revisions) {
        Field(out, DisplayText(r->FileInfo->WorkingFile), true);
        Field(out, DisplayText(r->Revision));
        Field(out, IsoDate(r->Date));
        Field(out, DisplayText(r->Author));
        Field(out, DisplayText(r->State));
        Field(out, r->LinesAdded);
        Field(out, r->LinesRemoved);
        Field(out, DisplayComment(r->Comment));
        Field(out, DisplayText(TagsText(*r)));
        EndRecord(out);
    }
    return out;
}

QString CommitRevisionsText(const TCommitList& list, const TCommitRow& row) {
    QString text;
    for (const TRevisionInfo* r : list.RevisionsOf(row)) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += DisplayText(r->Revision) + QLatin1Char(' ') + DisplayText(r->FileInfo->WorkingFile);
    }
    return text;
}

std::string CommitsCsv(const TCommitList& list) {
    std::string out;
    Header(out, CommitColumnCaptions);
    for (const TCommitRow& row : list.Rows) {
        const TRevisionInfo& first = *row.Commit->First;
        Field(out, IsoDate(row.Commit->Date), true);
        Field(out, DisplayText(first.Author));
        Field(out, std::int64_t{row.Count});
        Field(out, row.Added);
        Field(out, row.Removed);
        Field(out, DisplayText(first.CommitId));
        Field(out, DisplayComment(first.Comment));
        Field(out, CommitRevisionsText(list, row));
        EndRecord(out);
    }
    return out;
}

std::string ChartCsv(const std::vector<TChartBar>& bars) {
    std::string out;
    Header(out, ChartColumnCaptions);
    for (const TChartBar& bar : bars) {
        if (bar.Total == 0)
            continue;
        const auto p = DecodeDateTime(bar.Day);
        char day[16];
        std::snprintf(day, sizeof day, "%04d-%02d-%02d", p.Year, p.Month, p.Day);
        Field(out, QString::fromLatin1(day), true);
        Field(out, static_cast<std::int64_t>(bar.Total));
        EndRecord(out);
    }
    return out;
}

bool WriteOutputFile(const QString& path, const std::string& bytes, QString& error) {
    namespace fs = std::filesystem;
    std::error_code status;
    const fs::file_type type = fs::status(QFile::encodeName(path).toStdString(), status).type();
    const qint64 size = static_cast<qint64>(bytes.size());
    if (type == fs::file_type::regular || type == fs::file_type::not_found) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), size) == size &&
            file.commit())
            return true;
        error = file.errorString();
        return false;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        file.write(bytes.data(), size) == size)
        return true;
    error = file.errorString();
    return false;
}

} // namespace quillon
