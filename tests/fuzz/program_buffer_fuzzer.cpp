// The virtual controller's program buffers: OPEN / CLEAR / CLOSE, statements put together from
// pieces of the program language and from raw bytes, LIST, ENABLE / DISABLE PLC and DEFINE /
// DELETE GATHER, on any of the six types. Invariants: every error is one the buffers answer with;
// the program directory and the PLC table stay one chain of buffers inside user memory, and every
// program they hold lists; a listing downloaded again is taken line by line without a word back
// and lists the same, with the same tables.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/controller_pool.h"
#include "fuzz/fuzz_check.h"
#include "sim/controller.h"
#include "sim/model.h"
#include "sim/program_statement.h"

namespace {

constexpr std::uint32_t kAddressBits = 0x7FFFF;
constexpr std::uint32_t kPlcDisabledBit = 0x400000;

// Pieces a statement line is put together from (make_seeds.py keeps the same list).
constexpr std::array<std::string_view, 64> kPieces = {
    "IF(",     "WHILE(", ")",      "ELSE",  "ENDIF", "ENDI",   "END IF", "ENDWHILE",
    "ENDW",    " AND ",  " OR ",   "P1",    "Q2",    "M3",     "I130",   "P(",
    "=",       "!=",     "<",      ">",     "<=",    ">=",     "!<",     "!>",
    "+",       "-",      "*",      "/",     "%",     "1",      "0.5",    "1E5",
    "$FF",     "SIN(",   "ATAN2(", "SQRT(", "CMD\"", "#1J+\"", "CMD^K",  "ENA PLC",
    "DIS PLC", "..",     ",",      "X",     "Y",     "A",      "ABS",    "INC(X,Y)",
    "LINEAR",  "RAPID",  "TA",     "TS",    "TM",    "F",      "DWELL",  "DELAY",
    "RETURN",  "N",      "O",      "GOTO",  "GOSUB", "CALL",   "M5",     " ",
};

struct Context {
  sim::Controller& controller;
  const sim::Model& model;
  bool memoryWritten = false;  // a WX/WY/M-variable line may have changed the tables on purpose
};

sim::Reply Run(Context& c, const std::string& line) {
  // Lines that can write any word (WX, WY, M-variables pointed anywhere) are the user's own
  // doing; the table invariants hold only without them.
  for (std::size_t i = 0; i + 1 < line.size(); ++i) {
    const char a = static_cast<char>(line[i] & ~0x20), b = static_cast<char>(line[i + 1] & ~0x20);
    if ((a == 'W' && (b == 'X' || b == 'Y' || b == 'P')) ||
        (line[i] == '-' && line[i + 1] == '>')) {
      c.memoryWritten = true;
    }
  }
  sim::Reply reply = c.controller.Execute(line);
  const int e = reply.error;
  // R, B, Q and A in raw text may answer the errors of program runs too (1, 12..15).
  BL_FUZZ_CHECK(e == 0 || e == 1 || e == 3 || e == 5 || e == 6 || e == 7 || e == 9 ||
                (e >= 12 && e <= 15));
  return reply;
}

std::vector<std::string> Lines(std::string_view listing) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < listing.size(); ++i) {
    if (listing[i] == '\r') {
      lines.emplace_back(listing.substr(start, i - start));
      start = i + 1;
    }
  }
  BL_FUZZ_CHECK(start + 1 == listing.size() && listing.back() == '\x06');
  return lines;
}

bool BufferOpen(Context& c) { return (c.controller.ReadY(c.model.globalStatus) & 0xA0000) != 0; }
bool GatherDefined(Context& c) {
  return (c.controller.ReadX(c.model.gatherRegisters) & kAddressBits) < c.model.endOfUserMemory;
}

std::vector<std::uint32_t> Tables(Context& c) {
  std::vector<std::uint32_t> words;
  for (std::uint32_t k = 0; k < 256; ++k) {
    words.push_back(c.controller.ReadY(c.model.programDirectory + k));
    words.push_back(c.controller.ReadX(c.model.programDirectory + k));
  }
  for (std::uint32_t i = 0; i < 32; ++i) {
    words.push_back(c.controller.ReadY(c.model.plcTable + i) & ~kPlcDisabledBit);
  }
  return words;
}

// Directory entries climb from the buffer start until one repeats the end before it; the PLC
// buffers follow from there, none past the end of user memory or into a gather buffer.
void CheckTables(Context& c) {
  if (c.memoryWritten) return;
  sim::Controller& ctl = c.controller;
  const sim::Model& m = c.model;
  std::uint32_t previous = m.programBufferStart;
  bool ended = false;
  std::set<std::uint32_t> numbers;
  for (std::uint32_t k = 0; k < 256; ++k) {
    const std::uint32_t end = ctl.ReadY(m.programDirectory + k);
    const std::uint32_t number = ctl.ReadX(m.programDirectory + k);
    if (ended || end == previous) {
      ended = true;
      BL_FUZZ_CHECK(end == previous && number == 0);
      continue;
    }
    BL_FUZZ_CHECK(end > previous && end <= m.endOfUserMemory);
    BL_FUZZ_CHECK(number >= 1 && number <= 32767 && numbers.insert(number).second);
    previous = end;
  }
  BL_FUZZ_CHECK(ctl.ReadY(m.plcTable - 1) == previous);
  for (std::uint32_t i = 0; i < 32; ++i) {
    const std::uint32_t word = ctl.ReadY(m.plcTable + i);
    BL_FUZZ_CHECK((word & ~kPlcDisabledBit) == (word & kAddressBits));
    BL_FUZZ_CHECK((word & kAddressBits) >= previous);
    previous = word & kAddressBits;
  }
  const std::uint32_t gatherStart = ctl.ReadX(m.gatherRegisters) & kAddressBits;
  BL_FUZZ_CHECK(previous <= (GatherDefined(c) ? gatherStart : m.endOfUserMemory));
}

// Every program the tables show lists; every empty PLC does not.
void CheckEveryProgramLists(Context& c) {
  if (c.memoryWritten) return;
  sim::Controller& ctl = c.controller;
  const sim::Model& m = c.model;
  for (std::uint32_t k = 0; k < 256; ++k) {
    const std::uint32_t number = ctl.ReadX(m.programDirectory + k);
    if (number == 0) break;
    const sim::Reply r = ctl.Execute("LIST PROG " + std::to_string(number));
    BL_FUZZ_CHECK(r.error == 0 && !Lines(r.text).empty());
  }
  std::uint32_t previous = ctl.ReadY(m.plcTable - 1) & kAddressBits;
  for (std::uint32_t i = 0; i < 32; ++i) {
    const std::uint32_t end = ctl.ReadY(m.plcTable + i) & kAddressBits;
    const sim::Reply r = ctl.Execute("LIST PLC " + std::to_string(i));
    BL_FUZZ_CHECK((r.error == 0) == (end != previous));
    previous = end;
  }
}

// LIST, and when the listing can be downloaded again (no buffer open, no gather buffer holding
// the memory): OPEN ... CLEAR, its lines, CLOSE give the same listing and tables. A motion
// program closed without room for its RETURN may gain it now that there is room.
void ListAndDownloadAgain(Context& c, bool plc, int number) {
  const std::string name = (plc ? "PLC " : "PROG ") + std::to_string(number);
  const sim::Reply listed = Run(c, "LIST " + name);
  if (listed.error != 0) return;
  const std::vector<std::string> lines = Lines(listed.text);
  BL_FUZZ_CHECK(!lines.empty());
  for (const std::string& line : lines) {
    BL_FUZZ_CHECK(!line.empty() && line.size() <= sim::kMaxStatementText);
  }
  if (BufferOpen(c) || GatherDefined(c)) return;
  // Raw text may have started a motion program, which refuses OPEN PROG: ^A stops it.
  c.controller.RespondControl(1);

  const std::vector<std::uint32_t> before = Tables(c);
  sim::Reply r = Run(c, "OPEN " + name + " CLEAR");
  BL_FUZZ_CHECK(r.error == 0 && r.text == "\x06");
  for (const std::string& line : lines) {
    r = Run(c, line);
    BL_FUZZ_CHECK(r.error == 0 && r.text == "\x06");
  }
  r = Run(c, "CLOSE");
  BL_FUZZ_CHECK(r.error == 0 || r.error == 9);
  const sim::Reply again = Run(c, "LIST " + name);
  if (again.text == listed.text) {
    if (!c.memoryWritten) BL_FUZZ_CHECK(Tables(c) == before);
  } else {
    BL_FUZZ_CHECK(!plc && lines.back() != "RETURN");
    BL_FUZZ_CHECK(again.text == listed.text.substr(0, listed.text.size() - 1) + "RETURN\r\x06");
  }
}

std::string StatementLine(FuzzedDataProvider& data) {
  std::string line;
  const int pieces = data.ConsumeIntegralInRange(1, 12);
  for (int i = 0; i < pieces; ++i) {
    const std::size_t pick = data.ConsumeIntegralInRange<std::size_t>(0, kPieces.size());
    if (pick == kPieces.size()) {
      line += data.ConsumeRandomLengthString(12);
    } else {
      line += kPieces[pick];
    }
  }
  return line;
}

int BufferNumber(FuzzedDataProvider& data, bool plc) {
  return plc ? data.ConsumeIntegralInRange(0, 31) : data.ConsumeIntegralInRange(1, 9);
}

using bl::fuzz::ControllerOfType;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  const int type = data.ConsumeIntegralInRange(1, 6);
  Context c{ControllerOfType(type), sim::ModelFor(type)};
  BL_FUZZ_CHECK(c.controller.Respond("$$$***") == "\x06");
  for (int step = 0; step < 48 && data.remaining_bytes() > 0; ++step) {
    switch (data.ConsumeIntegralInRange(0, 7)) {
      case 0: {
        const bool plc = data.ConsumeBool();
        const int number = BufferNumber(data, plc);
        const bool clear = data.ConsumeBool();
        Run(c, std::string("OPEN ") + (plc ? "PLC " : "PROG ") + std::to_string(number) +
                   (clear ? " CLEAR" : ""));
        break;
      }
      case 4:
        Run(c, data.ConsumeBool() ? "CLOSE" : "CLEAR");
        break;
      case 5: {
        const bool plc = data.ConsumeBool();
        ListAndDownloadAgain(c, plc, BufferNumber(data, plc));
        break;
      }
      case 6: {
        const int which = data.ConsumeIntegralInRange(0, 2);
        const int a = data.ConsumeIntegralInRange(0, 31);
        const int b = data.ConsumeIntegralInRange(0, 31);
        const std::string list = std::to_string(a) + (a <= b ? ".." : ",") + std::to_string(b);
        if (which == 2) {
          c.controller.RespondControl(4);  // ^D: every PLC disabled
        } else {
          BL_FUZZ_CHECK(Run(c, (which == 0 ? "ENA PLC " : "DIS PLC ") + list).error == 0 ||
                        BufferOpen(c));
        }
        break;
      }
      case 7:
        switch (data.ConsumeIntegralInRange(0, 3)) {
          case 0:
            Run(c, data.ConsumeBool()
                       ? "DEF GAT " + std::to_string(data.ConsumeIntegralInRange(0, 70000))
                       : "DEF GAT");
            break;
          case 1:
            Run(c, "DEL GAT");
            break;
          case 2:
            Run(c, "$$$");  // a reset closes the open buffer
            BL_FUZZ_CHECK(!BufferOpen(c));
            break;
          default:
            Run(c, data.ConsumeRandomLengthString(300));
            break;
        }
        break;
      default:
        Run(c, StatementLine(data));
        break;
    }
    CheckTables(c);
  }
  CheckEveryProgramLists(c);
  return 0;
}
