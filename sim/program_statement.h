#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "sim/text.h"

namespace sim {

// The two kinds of program buffer.
enum class BufferKind { kMotion, kPlc };

// One element of a stored statement, spelt as the listing prints it.
struct Token {
  enum class Kind {
    kWord,      // keyword, function name, axis letter, label letter: "ENDIF", "SIN", "X", "N"
    kNumber,    // constant, already rounded to what its text says: `value`
    kVariable,  // "P12" (`value` = 12), or "P" (`value` = -1) with a bracketed index after it
    kSymbol,    // operator, comparison, bracket, comma: "+", "<=", "(", ",", ".."
    kString,    // a CMD argument with its quotes, "\"#1J+\"", or a control character, "^K"
  };
  Kind kind = Kind::kWord;
  std::string text;
  double value = 0;
};

enum class StatementKind {
  kAssign,    // I/P/Q/M = expression
  kConstant,  // a bare constant: P0 takes it
  kIf,
  kElse,
  kEndIf,
  kWhile,
  kEndWhile,
  kCommand,  // CMD"..." or CMD^K
  kEnablePlc,
  kDisablePlc,
  // Motion programs only:
  kAbs,
  kInc,
  kLinear,
  kRapid,
  kTa,
  kTs,
  kTm,
  kFeedrate,
  kMove,  // one or more axes: X1000 Y(P1)
  kDwell,
  kDelay,
  kReturn,
  kLabel,  // N100, O100
  kGoto,
  kGosub,
  kCall,
  kMCode,  // M5: a call of the M-code routine
};

// A statement as a program buffer keeps it: parsed into canonical tokens, its listing line and
// the memory it takes. For IF, ELSE, ENDIF, WHILE and ENDWHILE `match` is the index of the
// partner in the program: IF -> its ELSE (or ENDIF), ELSE -> ENDIF, ENDIF -> IF,
// WHILE <-> ENDWHILE; -1 while unmatched.
struct Statement {
  StatementKind kind = StatementKind::kConstant;
  std::vector<Token> tokens;
  std::string text;
  int words = 0;
  int match = -1;
};

// What ParseStatement found at the cursor.
struct ParseOutcome {
  enum class Result {
    kNotStatement,  // an online command (value report, M-definition, ...): cursor unchanged
    kStatement,     // `statement` is filled, the cursor is past it
    kError,         // a statement that is malformed or not allowed in this buffer (ERR003)
  };
  Result result = Result::kNotStatement;
  Statement statement;
};

// The longest listing line a statement may have; longer ones are refused, so that every listing
// line fits the workbench's line buffers.
inline constexpr std::size_t kMaxStatementText = 254;

// Parses one statement for a buffer of `buffer` kind on a controller with `variableCount`
// variables of each letter. Blanks between keyword, number and expression are optional. A
// variable followed by "=" is an assignment, one without it a value report (in a motion buffer a
// lone M{n} is an M-code call); a range followed by "=" is refused.
ParseOutcome ParseStatement(Scanner& scanner, BufferKind buffer, int variableCount);

// Whether the command at the cursor is a statement in a buffer of `buffer` kind, and which kind;
// only its start is looked at.
bool StatementKindAt(Scanner scanner, BufferKind buffer, StatementKind& kind);

// The PLC numbers an ENABLE PLC / DISABLE PLC statement names, in order.
std::vector<int> PlcNumbers(const Statement& statement);

}  // namespace sim
