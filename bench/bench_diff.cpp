// bench_diff [LINES...]: measures loading a comparison into the comparison
// window (LoadDiff, which rebuilds the comparison lines and fills the grid) on
// made-up side-by-side outputs of the given sizes (by default 100 thousand
// lines), laid out as the CVS client lays them out: tabs up to the marker and
// the right column. Runs offscreen.
//
// For each size it reports the first load into a fresh window, the best of
// further loads, FillGrid alone, and the first showing of the loaded window
// (layout and the paint of the visible rows and the overview strip). Exits
// with 1 when a first load of up to 100 thousand lines misses its goal.
#include "fDiff.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace quillon;

namespace {

constexpr std::size_t DefaultLines = 100'000;
constexpr int Runs = 5;
constexpr double GoalMs = 300;
constexpr unsigned Seed = 1;
constexpr std::size_t MarkColumn = 496; // where the client starts "   |"
constexpr std::size_t RightColumn = 504;
constexpr std::size_t TabWidth = 8;

// Tabs from column up to target, as the client pads.
void PadWithTabs(std::string& line, std::size_t column, std::size_t target) {
    while (column < target) {
        line += '\t';
        column = (column / TabWidth + 1) * TabWidth;
    }
}

std::string SourceLine(std::mt19937& random) {
    static const char* const words[] = {"if",
                                        "(count",
                                        ">",
                                        "0)",
                                        "return",
                                        "value;",
                                        "else",
                                        "total",
                                        "+=",
                                        "item->Size;",
                                        "{",
                                        "}",
                                        "printf(\"%d\\n\",",
                                        "x);",
                                        "for",
                                        "(int",
                                        "i",
                                        "=",
                                        "0;",
                                        "i++)"};
    std::string line(std::uniform_int_distribution<int>(0, 3)(random), '\t');
    const int count = std::uniform_int_distribution<int>(0, 9)(random);
    for (int i = 0; i < count; ++i) {
        if (i)
            line += ' ';
        line += words[std::uniform_int_distribution<int>(0, std::size(words) - 1)(random)];
    }
    return line;
}

// Display width of a line of text whose tabs stop every 8 columns.
std::size_t Width(const std::string& text) {
    std::size_t column = 0;
    for (const char c : text)
        column = c == '\t' ? (column / TabWidth + 1) * TabWidth : column + 1;
    return column;
}

// The client's side-by-side output for lines lines: mostly equal lines, with
// runs of changed, removed and added ones.
std::string MakeOutput(std::size_t lines) {
    std::mt19937 random(Seed);
    std::string output = "Index: src/big.c\n"
                         "===================================================================\n"
                         "RCS file: /repo/src/big.c,v\n"
                         "retrieving revision 1.1\n"
                         "retrieving revision 1.2\n"
                         "diff --side-by-side -w -b -W 1000 -r1.1 -r1.2\n";
    std::size_t made = 0;
    while (made < lines) {
        const int kind = std::uniform_int_distribution<int>(0, 19)(random);
        const std::size_t run =
            std::min<std::size_t>(lines - made, std::uniform_int_distribution<int>(1, 6)(random));
        for (std::size_t i = 0; i < run; ++i, ++made) {
            const std::string left = SourceLine(random);
            const std::string right = kind < 17 ? left : SourceLine(random);
            std::string line;
            switch (kind) {
            case 17: // changed
                line = left;
                PadWithTabs(line, Width(left), MarkColumn);
                line += "   |\t" + right;
                break;
            case 18: // removed
                line = left;
                PadWithTabs(line, Width(left), MarkColumn);
                line += "   <";
                break;
            case 19: // added
                PadWithTabs(line, 0, MarkColumn);
                line += "   >\t" + right;
                break;
            default: // equal
                line = left;
                PadWithTabs(line, Width(left), RightColumn);
                line += right;
                break;
            }
            output += line;
            output += '\n';
        }
    }
    return output;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

template <typename TWork> double Time(TWork work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::strtoull(argv[i], nullptr, 10));
    if (sizes.empty())
        sizes.push_back(DefaultLines);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    bool met = true;
    const TDiffRequest request{"src/big.c", 120, 80, "1.2", "1.1"};
    for (const std::size_t size : sizes) {
        const std::string output = MakeOutput(size);
        TfrmDiff window;
        const double first = Time([&] { window.LoadDiff(request, output); });
        double best = first;
        for (int run = 1; run < Runs; ++run)
            best = std::min(best, Time([&] { window.LoadDiff(request, output); }));
        double fill = Time([&] { window.FillGrid(); });
        for (int run = 1; run < Runs; ++run)
            fill = std::min(fill, Time([&] { window.FillGrid(); }));
        const double shown = Time([&] {
            window.show();
            QApplication::processEvents();
            window.grab();
        });
        std::printf("%zu lines (%.1f MB of output): LoadDiff + FillGrid first %.1f ms, best %.1f "
                    "ms (goal %.0f ms); FillGrid alone %.3f ms; first showing %.1f ms\n",
                    window.Lines()->Count() - 2, static_cast<double>(output.size()) / 1e6, first,
                    best, GoalMs, fill, shown);
        met = met && (size > DefaultLines || first < GoalMs);
    }
    return met ? 0 : 1;
}
