// The parts of a changed line that differ between its two texts.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quillon {

// Bytes [Start, Start + Size) of a text.
struct TTextRange {
    std::size_t Start = 0;
    std::size_t Size = 0;

    bool operator==(const TTextRange&) const = default;
};

struct TIntraLine {
    std::vector<TTextRange> Left;  // of the older text
    std::vector<TTextRange> Right; // of the newer text
};

// The ranges of left and right that the other text does not share, in
// ascending order. The texts are compared word by word (letters, digits,
// underscores and bytes above 127 make a word; a run of blanks is one piece;
// any other byte is a piece of its own), changes parted only by blanks join
// into one, and each change loses the characters its two sides begin or end
// with alike, so that one changed letter of a word shows as that letter. A
// range never splits a UTF-8 sequence. Texts too different to compare within
// a bounded effort give one range over everything between their common
// beginning and end.
TIntraLine IntraLineChanges(std::string_view left, std::string_view right);

} // namespace quillon
