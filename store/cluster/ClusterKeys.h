#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The keys by which near-identical values of a column are found: values
// whose keys are equal belong together. All work on "units": the code points
// of a value that is valid UTF-8, or, for one that is not, its bytes, ASCII
// bytes standing for their letters and every other byte for itself (never
// decoded, never decomposed). A byte unit can equal no code point, so a value
// that is not UTF-8 meets only values that are not UTF-8 either.
namespace cluster {

using Unit = char32_t;
// Units at and above this are bytes of a value that is not UTF-8.
inline constexpr Unit ByteUnit = 0x110000;

// The units of `value`, appended to `out` (cleared first).
void unitsOf(std::string_view value, std::vector<Unit>& out);

// trim, lower-case, strip accents, drop punctuation and control characters,
// split at white space, sort the unique tokens and join them with a space:
// "  Müller, Anna " and "anna MULLER" both give "anna muller".
std::string fingerprint(std::string_view value);

// lower-case, strip accents, drop punctuation and all white space, then the
// unique runs of `n` units, sorted and joined: "Paris" gives "arispari" for
// n = 2. A text shorter than `n` is its own one gram.
std::string ngramFingerprint(std::string_view value, int n);

// Cologne phonetics (Kölner Phonetik) of each word, the codes of the words
// joined by a space in their order: "Meier" and "Mayr" both give "67". Made
// for German names and words; accents are stripped first, so it also serves
// other Latin-script languages roughly, but for English spellings it often
// misses ("Knight" and "Night" differ). Digits and other scripts give no code.
std::string colognePhonetic(std::string_view value);

// The Levenshtein distance between two unit strings, if it is at most
// `limit`; otherwise limit + 1. Costs O(limit * length).
int boundedLevenshtein(const std::vector<Unit>& a, const std::vector<Unit>& b, int limit);

} // namespace cluster
