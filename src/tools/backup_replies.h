#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Readers of the controller's replies during a configuration backup. Every reader takes what
// arrives as outside data: it stops at the acknowledge character that ends a reply, refuses an
// error reply (BEL "ERRnnn") and never reads past the text it is given.
namespace bl::tools {

// The values of a range query ("P0..8191"): the reply split at CR and LF, runs of line ends
// skipped, at most maxValues of them. An error stops the list where it stands.
std::vector<std::string_view> RangeValues(std::string_view reply, std::size_t maxValues);

// A program listing with every CR turned into LF, without the final acknowledge character.
// Nothing for an error reply or a reply holding no listing at all.
std::optional<std::string> ListingText(std::string_view reply);

// Exactly count words of one to six hexadecimal digits separated by blanks ("RHP:a,8" answers
// "00A0B1 FFFFFF ..."). Nothing when fewer arrive or a word is not one.
std::optional<std::array<unsigned, 8>> HexWords(std::string_view reply, std::size_t count);

// The axis definition of "#m->": the reply up to its first line end; nothing when it begins with
// '0' (no definition), is empty or is an error.
std::optional<std::string> AxisDefinition(std::string_view reply);

// The twelve digits of a MACRO node answer "$00000000ABCD" in upper case: the answer line must be
// thirteen characters, the last twelve hexadecimal digits.
std::optional<std::string> MacroValue(std::string_view reply);

// The decimal number a word read ("RY:a") answers, or nothing.
std::optional<int> DecimalWord(std::string_view reply);

}  // namespace bl::tools
