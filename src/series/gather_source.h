#pragma once

#include <string>
#include <string_view>

#include "series/series_table.h"

namespace bl {
struct ControllerType;
}

namespace bl::series {

// A gather source named in text, as scripts give it:
//   X:ADDR[:BIT:LENGTH[:u]]  Y:ADDR[:BIT:LENGTH[:u]]  a bit field of one word (signed unless
//                            "u"; the whole 24-bit word without BIT and LENGTH)
//   D:ADDR  L:ADDR           a 48-bit fixed or floating point pair
//   Pn  Qn                   a P or Q variable (L memory at the type's base + n)
//   motorN.commanded  motorN.actual  motorN.velocity  motorN.output  motorN.error
//                            a motor's registers (following error on PMAC only)
// ADDR is hexadecimal after "$" or "0x", else decimal. "=TITLE" after any of them names the
// series; without it the series is named by the text itself.
struct GatherSource {
  std::string title;
  SourceType sourceType = SourceType::kL;
  std::uint32_t address = 0;
  int startingBit = 0;
  int wordLength = 48;
  bool signedData = true;
  // The motor I-variable whose value v gives the scale 1 / (32·v) (Ix08 for positions, Ix09
  // for the velocity); 0 when the values stand in the register's own units.
  int scaleVariable = 0;
};

// False with a sentence in error when the text names no source this controller type has.
bool ParseGatherSource(std::string_view text, const ControllerType& type, GatherSource& source,
                       std::string& error);

// Makes series gather the source: active, its memory and field, its title; scaling and
// processing are reset to plain values (scale 1, no offset, integration or filter).
void UseGatherSource(const GatherSource& source, DataSeries& series);

}  // namespace bl::series
