#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sim/l_format.h"
#include "sim/text.h"

namespace sim {

// What an M-variable points to. kSelf ("*") has no address: the value is kept by the variable.
struct MDefinition {
  enum class Kind { kSelf, kX, kY, kD, kL };
  Kind kind = Kind::kSelf;
  std::uint32_t address = 0;
  int offset = 0;  // X and Y fields: lowest bit
  int width = 24;  // X and Y fields: 1, 4, 8, 12, 16, 20 or 24 bits
  bool isSigned = false;
  bool operator==(const MDefinition&) const = default;
};

// The definition words at M base + n. The format byte comes from the table the workbench decodes
// (Y fields 40+o, 64+o, 84+o, 100+o, 112+o, 120 by width; X adds 112; bit 0 = signed; D $ED,
// L $EC). Fields outside that table (single bits, odd offsets) get the byte $20 (Y) or $90 (X)
// and keep offset and width in the low 16 bits of the X word. Types 1 and 2 keep the format byte
// and a 16-bit address in the Y word; types 3..6 keep the address in the Y word and the format
// byte in bits 16..23 of the X word.
WordPair EncodeMDefinition(const MDefinition& definition, bool formatInX);
// Words that name no known format decode as kSelf.
MDefinition DecodeMDefinition(WordPair words, bool formatInX);

// "X:$C000,0,24,S", "Y:$78805,20,1", "D:$88", "L:$6000", "*".
std::string FormatMDefinition(const MDefinition& definition);
// The text after "->": X[:]addr[,offset[,width[,format]]], Y..., D[:]addr, L[:]addr or "*".
// An offset of 24 means the whole word. Nothing when the text is not a definition; the address
// is not checked against memory here.
std::optional<MDefinition> ParseMDefinition(Scanner& scanner);

// An X or Y field of a 24-bit word, and the word with a new value written into the field.
std::int64_t ReadField(std::uint32_t word, int offset, int width, bool isSigned);
std::uint32_t WriteField(std::uint32_t word, int offset, int width, double value);

}  // namespace sim
