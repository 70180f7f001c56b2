// Programs that run: statements put together from pieces of the program language and from raw
// bytes go into motion programs and PLCs, which are started with ENA PLC and &1B{n}R, stopped
// with Q, A and ^A, and stepped for a bounded number of servo cycles, on any of the six types.
// Invariants: every step returns (the work of a cycle is bounded, whatever loops, nesting, huge
// numbers or divisions by zero the programs hold); the controller answers the host with its own
// reply and nothing a program's CMD left behind; positions stay finite.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/controller_pool.h"
#include "fuzz/fuzz_check.h"
#include "sim/controller.h"

namespace {

// Pieces a statement line is put together from (make_seeds.py keeps the same list).
constexpr std::array<std::string_view, 48> kPieces = {
    "IF(",     "WHILE(",  ")",     "ELSE",  "ENDIF", "ENDWHILE", " AND ",   " OR ",
    "P1",      "P950",    "M950",  "M951",  "I5",    "P(",       "=",       "<",
    ">",       "+",       "-",     "*",     "/",     "%",        "1",       "0",
    "1E300",   "SIN(",    "SQRT(", "CMD\"", "GAT\"", "ENDGAT\"", "&1B1R\"", "CMD^K",
    "ENA PLC", "DIS PLC", "X",     "Y",     "INC",   "ABS",      "LINEAR",  "RAPID",
    "TA",      "TS",      "TM",    "F",     "DWELL", "DELAY",    "GOSUB",   "N",
};

constexpr std::chrono::nanoseconds kCycle{500000};  // I10=4194304

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

// A line of the host's gets its own answer, framed as always.
void CheckAnswers(sim::Controller& c) {
  const std::string reply = c.Respond("P0");
  BL_FUZZ_CHECK(!reply.empty() && reply.back() == '\x06');
  BL_FUZZ_CHECK(reply.find('\r') == reply.size() - 2);
  const std::string position = c.Respond("#1P");
  BL_FUZZ_CHECK(std::isfinite(std::stod(position)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  sim::Controller& c = bl::fuzz::ControllerOfType(data.ConsumeIntegralInRange(1, 6));
  BL_FUZZ_CHECK(c.Respond("$$$***") == "\x06");
  BL_FUZZ_CHECK(c.Respond("I10=4194304 I5=3 #1J/ #2J/ &1 #1->X #2->Y") == "\x06");
  for (int step = 0; step < 32 && data.remaining_bytes() > 0; ++step) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        const bool plc = data.ConsumeBool();
        const int number =
            plc ? data.ConsumeIntegralInRange(0, 31) : data.ConsumeIntegralInRange(1, 3);
        c.Execute(std::string("OPEN ") + (plc ? "PLC " : "PROG ") + std::to_string(number) +
                  " CLEAR");
        const int lines = data.ConsumeIntegralInRange(1, 16);
        for (int i = 0; i < lines; ++i) c.Execute(StatementLine(data));
        c.Execute("CLOSE");
        break;
      }
      case 2: {
        const bool enable = data.ConsumeBool();
        c.Execute((enable ? "ENA PLC " : "DIS PLC ") +
                  std::to_string(data.ConsumeIntegralInRange(0, 31)));
        break;
      }
      case 3:
        switch (data.ConsumeIntegralInRange(0, 4)) {
          case 0:
            c.Execute("&1B" + std::to_string(data.ConsumeIntegralInRange(1, 3)) + "R");
            break;
          case 1:
            c.Execute("R");
            break;
          case 2:
            c.Execute("Q");
            break;
          case 3:
            c.Execute("A");
            break;
          default:
            c.RespondControl(1);
            break;
        }
        break;
      case 4:
        c.Advance(kCycle * data.ConsumeIntegralInRange(1, 2000));
        break;
      default:
        c.Execute(data.ConsumeRandomLengthString(300));
        break;
    }
    CheckAnswers(c);
  }
  return 0;
}
