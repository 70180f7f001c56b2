#pragma once

#include <string_view>
#include <vector>

#include "editor/editor_preferences.h"
#include "platform/canvas.h"

namespace bl {
class DefinitionTable;
}

namespace bl::editor {

// What colouring reads: the colours, the switches and the user's names.
struct Colouring {
  const EditorColors& colors;
  const ColouringSwitches& switches;
  const DefinitionTable& table;
};

// Characters start..end of a line in one of the EditorColors.
struct ColouredToken {
  int start = 0;
  int end = 0;
  int color = kColorNormalText;
  friend bool operator==(const ColouredToken&, const ColouredToken&) = default;
};

// Splits one line into coloured tokens (appended to tokens). Returns whether a block comment is
// still open at the line's end. A line over 255 characters gives no tokens and false.
bool ColourTokens(std::string_view line, bool inBlockComment, const Colouring& colouring,
                  std::vector<ColouredToken>& tokens);

// Draws one line in its colours, character k at x = 60 + 8 * (k - firstColumn) in the row cell,
// opaque on the background colour. Returns ColourTokens' answer.
bool ColourLine(platform::Canvas& canvas, std::string_view line, const platform::Rect& cell,
                int firstColumn, bool inBlockComment, const Colouring& colouring);

// The colour a word takes from the name lists (user definitions first, then P, Q, M, I, each only
// when switched on), or -1 when no list holds it. Names compare with case.
int DefinedNameColor(std::string_view word, const ColouringSwitches& switches,
                     const DefinitionTable& table);

// Where line starts in the text (the text length for a line past the last) and whether a block
// comment is open there, from a scan of the text from its start. lfBefore counts the LF before
// position (line itself, unless the text has fewer lines).
struct LineScan {
  int position = 0;
  bool inBlockComment = false;
  int lfBefore = 0;
};
LineScan ScanToLine(std::string_view text, int line);

inline bool BlockCommentAt(std::string_view text, int line) {
  return ScanToLine(text, line).inBlockComment;
}

}  // namespace bl::editor
