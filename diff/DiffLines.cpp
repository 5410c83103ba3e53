#include "DiffLines.h"

#include "TextUtil.h"

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

constexpr std::string_view HeaderGap = "    ";
constexpr std::string_view WorkingFileText = "working file";
constexpr std::string_view WorkingFileHeader = "Working file";

// The left text of a header line, cut to the limit and filled to the marker.
std::string HeaderLeft(std::string_view label, std::string_view text) {
    std::string left(label);
    left += text;
    left.resize(std::min(left.size(), DiffHeaderTextLimit));
    left.resize(DiffLeftWidth, ' ');
    left += HeaderMarker;
    left += HeaderGap;
    return left;
}

} // namespace

std::string DiffCaption(const TDiffRequest& request) {
    const std::string caption = "Diff: " + request.WorkingFile;
    if (!request.Adjacent)
        return caption + " v" + request.Previous + " - " +
               (request.Revision.empty() ? std::string(WorkingFileText) : "v" + request.Revision);
    return caption + " v" + request.Revision + " (+" + std::to_string(request.LinesAdded) + " -" +
           std::to_string(request.LinesRemoved) + ")";
}

std::string DiffHeaderLine1(const TDiffRequest& request) {
    std::string line = HeaderLeft("File: ", request.WorkingFile);
    if (request.Adjacent)
        line += "Lines changed: +" + std::to_string(request.LinesAdded) + " -" +
                std::to_string(request.LinesRemoved);
    return line;
}

std::string DiffHeaderLine2(const TDiffRequest& request) {
    return HeaderLeft("Revision: ", request.Previous) + (request.Revision.empty()
                                                             ? std::string(WorkingFileHeader)
                                                             : "Revision: " + request.Revision);
}

namespace {

// The parts of a line: left text, marker, gap, right text.
constexpr std::size_t PartCount = 4;
constexpr std::size_t PartStart[PartCount] = {0, DiffMarkerIndex, DiffMarkerIndex + 1,
                                              DiffRightIndex};
constexpr std::size_t LineEnd = DiffRightIndex + DiffRightWidth;

constexpr std::size_t PartEnd(std::size_t part) {
    return part + 1 < PartCount ? PartStart[part + 1] : LineEnd;
}

constexpr std::size_t PartOf(std::size_t column) {
    std::size_t part = PartCount - 1;
    while (column < PartStart[part])
        --part;
    return part;
}

constexpr bool Printable(unsigned char c) {
    return c >= ' ' && c < 0x7f;
}

// Bytes, less those that continue a UTF-8 sequence.
std::size_t CharacterCount(std::string_view text) {
    return text.size() -
           static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
               return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
           }));
}

constexpr std::string TSideBySideLine::*Parts[PartCount] = {
    &TSideBySideLine::Left, &TSideBySideLine::Marker, &TSideBySideLine::Gap,
    &TSideBySideLine::Right};

} // namespace

void TSideBySideLine::Pad(std::size_t part, std::size_t column) {
    const std::size_t width = std::min(column, PartEnd(part)) - PartStart[part];
    if (Width[part] < width) {
        (this->*Parts[part]).append(width - Width[part], ' ');
        Width[part] = width;
    }
}

void TSideBySideLine::Read(std::string_view line) {
    for (std::size_t part = 0; part < PartCount; ++part) {
        (this->*Parts[part]).clear();
        Width[part] = 0;
    }
    std::size_t column = 0;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            const std::size_t next = (column / DiffTabWidth + 1) * DiffTabWidth;
            for (std::size_t part = PartOf(column); part < PartCount && PartStart[part] < next;
                 ++part)
                Pad(part, next);
            column = next;
        } else if (c == '\r') {
            column = 0;
        } else if (Printable(byte)) {
            if (column < LineEnd) {
                const std::size_t part = PartOf(column);
                (this->*Parts[part]).push_back(c);
                ++Width[part];
            }
            ++column;
        } else {
            // The client writes nothing beyond the right text.
            if (column < LineEnd)
                (this->*Parts[PartOf(column)]).push_back(c);
            if (c == '\b' && column > 0)
                --column;
        }
    }
}

TDiffKind KindOfMarker(char marker) {
    switch (marker) {
    case HeaderMarker:
        return TDiffKind::Header;
    case AddedMarker:
        return TDiffKind::Added;
    case RemovedMarker:
        return TDiffKind::Removed;
    case ChangedMarker:
        return TDiffKind::Changed;
    default:
        return TDiffKind::Unchanged;
    }
}

void TDiffLines::Load(const TDiffRequest& request, std::string_view output) {
    Text.clear();
    Lines.clear();
    LeftLines = 0;
    RightLines = 0;
    Widest = 0;
    const std::vector<std::string_view> lines = SplitOutputLines(output);
    const std::size_t header = DiffClientHeaderLines - (request.Revision.empty() ? 1 : 0);
    const std::size_t taken = lines.size() > header ? lines.size() - header : 0;
    Lines.reserve(taken + 2);
    Text.reserve(output.size() + 2 * (DiffRightIndex + DiffHeaderTextLimit));
    const std::string header1 = DiffHeaderLine1(request);
    const std::string header2 = DiffHeaderLine2(request);
    for (const std::string_view header : {std::string_view(header1), std::string_view(header2)})
        Store(header.substr(0, DiffMarkerIndex), header.substr(DiffMarkerIndex, 1),
              header.substr(DiffMarkerIndex + 1, DiffRightIndex - DiffMarkerIndex - 1),
              header.substr(DiffRightIndex));
    for (std::size_t i = header; i < lines.size(); ++i)
        Append(lines[i]);
}

void TDiffLines::Append(std::string_view line) {
    Scratch.Read(line);
    Store(Scratch.Left, Scratch.Marker, Scratch.Gap, Scratch.Right);
    const std::size_t row = Lines.size() - 1;
    if (IsMessage(row))
        return;
    const char marker = Marker(row);
    TLine& entry = Lines.back();
    if (marker != AddedMarker)
        entry.LeftNumber = ++LeftLines;
    if (marker != RemovedMarker)
        entry.RightNumber = ++RightLines;
}

void TDiffLines::Store(std::string_view left, std::string_view marker, std::string_view gap,
                       std::string_view right) {
    const std::size_t kept = left.find_last_not_of(' ') + 1; // npos + 1 == 0
    TLine entry;
    entry.Start = Text.size();
    entry.LeftSize = static_cast<std::uint32_t>(kept);
    entry.LeftFill = static_cast<std::uint32_t>(left.size() - kept);
    entry.RightStart = static_cast<std::uint32_t>(marker.size() + gap.size());
    entry.TailSize = static_cast<std::uint32_t>(entry.RightStart + right.size());
    Text.append(left.substr(0, kept));
    Text.append(marker);
    Text.append(gap);
    Text.append(right);
    Lines.push_back(entry);
    Widest =
        std::max({Widest, CharacterCount(left.substr(0, kept)), CharacterCount(TrimRight(right))});
}

std::string_view TDiffLines::Left(const TLine& line) const {
    return std::string_view(Text).substr(line.Start, line.LeftSize);
}

std::string_view TDiffLines::Tail(const TLine& line) const {
    return std::string_view(Text).substr(line.Start + line.LeftSize, line.TailSize);
}

std::string TDiffLines::Line(std::size_t row) const {
    const TLine& line = Lines[row];
    std::string whole;
    whole.reserve(Length(row));
    whole.append(Left(line));
    whole.append(line.LeftFill, ' ');
    whole.append(Tail(line));
    return whole;
}

std::size_t TDiffLines::Length(std::size_t row) const {
    const TLine& line = Lines[row];
    return std::size_t{line.LeftSize} + line.LeftFill + line.TailSize;
}

char TDiffLines::Marker(std::size_t row) const {
    const TLine& line = Lines[row];
    return line.TailSize ? Text[line.Start + line.LeftSize] : '\0';
}

bool TDiffLines::IsChanged(std::size_t row) const {
    const char marker = Marker(row);
    return marker != '\0' && marker != EqualMarker;
}

std::string_view TDiffLines::LeftText(std::size_t row) const {
    return TrimRight(Left(Lines[row]));
}

std::string_view TDiffLines::RightText(std::size_t row) const {
    const TLine& line = Lines[row];
    return TrimRight(Tail(line).substr(line.RightStart));
}

bool TDiffLines::IsMessage(std::size_t row) const {
    return Marker(row) == '\0' && RightText(row).empty() && !LeftText(row).empty();
}

bool TDiffLines::IsChangeRow(std::size_t row) const {
    return IsChanged(row) && Marker(row) != HeaderMarker;
}

std::optional<std::size_t> TDiffLines::NextChangeBlock(std::size_t row) const {
    const std::size_t count = Count();
    while (row < count && IsChangeRow(row))
        ++row;
    while (row < count && !IsChangeRow(row))
        ++row;
    return row < count ? std::optional(row) : std::nullopt;
}

std::optional<std::size_t> TDiffLines::PreviousChangeBlock(std::size_t row) const {
    row = std::min(row, Count());
    // Out of the block that holds row, then back to the end of the one before.
    while (row > 0 && IsChangeRow(row - 1) && row < Count() && IsChangeRow(row))
        --row;
    while (row > 0 && !IsChangeRow(row - 1))
        --row;
    if (row == 0)
        return std::nullopt;
    while (row > 0 && IsChangeRow(row - 1))
        --row;
    return row;
}

std::size_t TDiffLines::ChangeBlockEnd(std::size_t first) const {
    std::size_t last = first;
    while (last + 1 < Count() && IsChangeRow(last + 1))
        ++last;
    return last;
}

TStripScale::TBand TStripScale::Band(std::size_t row) const {
    const double top = static_cast<double>(row) * PixelsPerLine;
    return {static_cast<int>(std::floor(top)), static_cast<int>(std::ceil(top + PixelsPerLine))};
}

TStripScale::TBand TStripScale::Frame(std::size_t top, std::size_t visible) const {
    return {static_cast<int>(std::floor(static_cast<double>(top) * PixelsPerLine)),
            static_cast<int>(std::ceil(static_cast<double>(top + visible) * PixelsPerLine))};
}

long long TStripScale::DragTopRow(int y) const {
    if (PixelsPerLine <= 0)
        return -1;
    const double line = y / PixelsPerLine;
    double nearest = std::floor(line);
    const double fraction = line - nearest;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(nearest, 2.0) != 0))
        nearest += 1;
    return static_cast<long long>(nearest) - 1;
}

} // namespace quillon
