#include "editor/colour_line.h"

#include <array>
#include <optional>

#include "definitions/definition_table.h"
#include "definitions/name_chars.h"
#include "editor/byte_scan.h"
#include "editor/editor_state.h"
#include "editor/keyword_table.h"

namespace bl::editor {

namespace {

enum TokenClass {
  kOther = 0,
  kWord = 1,
  kLineComment = 2,
  kBlockComment = 3,
  kQuotation = 4,
  kClosed = 5
};

bool At(std::string_view s, std::size_t i, char c) { return i < s.size() && s[i] == c; }

TokenClass ClassAt(std::string_view line, std::size_t i) {
  const char c = line[i];
  if (IsNameChar(c, 0)) return kWord;
  if (c == ';' || (c == '/' && At(line, i + 1, '/'))) return kLineComment;
  if (c == '/' && At(line, i + 1, '*')) return kBlockComment;
  if (c == '"') return kQuotation;
  return kOther;
}

bool EndsOther(std::string_view line, std::size_t i) {
  const char c = line[i];
  return c == ';' || c == '"' || IsNameChar(c, 0) ||
         (c == '/' && (At(line, i + 1, '/') || At(line, i + 1, '*')));
}

bool FindIn(const std::vector<DefinitionTable::NamedVariable>& names, std::string_view word,
            int slots) {
  const std::size_t n = std::min(names.size(), static_cast<std::size_t>(std::max(slots, 0)));
  for (std::size_t k = 0; k < n; ++k)
    if (names[k].name == word) return true;
  return false;
}

}  // namespace

int DefinedNameColor(std::string_view word, const ColouringSwitches& switches,
                     const DefinitionTable& table) {
  if (word.empty() || word.size() > DefinitionTable::kMaxNameLength) return -1;
  // Most words are no name at all; the table's own index answers that quickly.
  if (table.Replacement(word).empty()) return -1;
  const int slots = table.SlotCount();
  if (switches.userDefinitions) {
    const auto& user = table.UserDefinitions();
    const std::size_t n = std::min(user.size(), static_cast<std::size_t>(std::max(slots, 0)));
    for (std::size_t k = 0; k < n; ++k)
      if (user[k].name == word) return kColorUserDefinitions;
  }
  struct Kind {
    bool on;
    VariableKind kind;
    int color;
  };
  const std::array<Kind, 4> kinds = {
      {{switches.pDefinitions, VariableKind::P, kColorPDefinitions},
       {switches.qDefinitions, VariableKind::Q, kColorQDefinitions},
       {switches.mDefinitions, VariableKind::M, kColorMDefinitions},
       {switches.iDefinitions, VariableKind::I, kColorIDefinitions}}};
  for (const Kind& k : kinds)
    if (k.on && FindIn(table.Names(k.kind), word, slots)) return k.color;
  return -1;
}

bool ColourTokens(std::string_view line, bool inBlockComment, const Colouring& colouring,
                  std::vector<ColouredToken>& tokens) {
  if (line.size() > static_cast<std::size_t>(kMaxLineColumns)) return false;
  if (line.empty()) return inBlockComment;
  const std::size_t n = line.size();
  bool pending = inBlockComment;
  int cls = kOther;
  std::size_t i = 0;
  while (i < n) {
    cls = pending ? kBlockComment : ClassAt(line, i);
    pending = false;
    std::size_t end = n;
    int color = kColorNormalText;
    switch (cls) {
      case kOther:
        end = i + 1;
        while (end < n && !EndsOther(line, end)) ++end;
        break;
      case kWord: {
        end = i + 1;
        while (end < n && IsNameChar(line[end], 1)) ++end;
        const std::string_view word = line.substr(i, end - i);
        const int defined = DefinedNameColor(word, colouring.switches, colouring.table);
        if (defined >= 0) {
          color = defined;
        } else if (colouring.switches.keywords) {
          std::size_t letters = 1;
          while (letters < word.size() && IsNameChar(word[letters], 0)) ++letters;
          if (IsKeyword(word.substr(0, letters))) {
            color = kColorKeywords;
            end = i + letters;
          }
        }
        break;
      }
      case kLineComment:
        color = kColorComments;
        break;
      case kBlockComment: {
        // The search starts at the token's first character, so "/*/" is a whole comment.
        const std::size_t close = line.find("*/", i);
        if (close != std::string_view::npos) {
          end = close + 2;
          cls = kClosed;
        }
        color = kColorComments;
        break;
      }
      case kQuotation: {
        const std::size_t close = line.find('"', i + 1);
        if (close != std::string_view::npos) {
          end = close + 1;
          cls = kClosed;
        }
        color = kColorQuotations;
        break;
      }
    }
    tokens.push_back({static_cast<int>(i), static_cast<int>(end), color});
    i = end;
  }
  return cls == kBlockComment;
}

bool ColourLine(platform::Canvas& canvas, std::string_view line, const platform::Rect& cell,
                int firstColumn, bool inBlockComment, const Colouring& colouring) {
  std::vector<ColouredToken> tokens;
  const bool open = ColourTokens(line, inBlockComment, colouring, tokens);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextBackground(colouring.colors[kColorBackground], true);
  constexpr unsigned kFlags =
      platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;
  for (const ColouredToken& t : tokens) {
    const int left = kGutterWidth + kCellWidth * (t.start - firstColumn);
    const int right = kGutterWidth + kCellWidth * (t.end - firstColumn);
    // Tokens wholly outside the row show nothing.
    if (right <= cell.left || left >= cell.right) continue;
    canvas.SetTextColor(colouring.colors[static_cast<std::size_t>(t.color)]);
    canvas.DrawText(
        line.substr(static_cast<std::size_t>(t.start), static_cast<std::size_t>(t.end - t.start)),
        {left, cell.top, right, cell.bottom}, kFlags);
  }
  return open;
}

LineScan ScanToLine(std::string_view text, int line) {
  if (line <= 0) return {0, false};
  enum { kNormal, kComment, kBlock, kQuote } state = kNormal;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  int current = 0;
  // A line end: count it, and answer when the wanted line starts after it.
  auto lineEnd = [&](bool inBlock) {
    return ++current == line
               ? std::optional<LineScan>(LineScan{static_cast<int>(p + 1 - begin), inBlock, line})
               : std::nullopt;
  };
  while (p < end) {
    switch (state) {
      case kNormal: {
        // Line ends change nothing here: count them in bulk up to the next special character.
        const char* next = FindAnyByte(p, end, ';', '/', '"');
        const int feeds = static_cast<int>(CountByte(p, next, '\n'));
        if (current + feeds >= line) {
          while (true) {
            p = FindAnyByte(p, next, '\n');
            if (const auto at = lineEnd(false)) return *at;
            ++p;
          }
        }
        current += feeds;
        p = next;
        if (p == end) break;
        if (*p == ';' || (*p == '/' && p + 1 < end && p[1] == '/')) {
          state = kComment;
        } else if (*p == '/' && p + 1 < end && p[1] == '*') {
          state = kBlock;  // the '*' is looked at again, so "/*/" closes at once
        } else if (*p == '"') {
          state = kQuote;
        }
        ++p;
        break;
      }
      case kComment:
        p = FindAnyByte(p, end, '\n');
        if (p == end) break;
        state = kNormal;
        if (const auto at = lineEnd(false)) return *at;
        ++p;
        break;
      case kBlock:
        p = FindAnyByte(p, end, '*', '\n');
        if (p == end) break;
        if (*p == '\n') {
          if (const auto at = lineEnd(true)) return *at;
          ++p;
        } else if (p + 1 < end && p[1] == '/') {
          state = kNormal;
          p += 2;
        } else {
          ++p;
        }
        break;
      case kQuote:
        p = FindAnyByte(p, end, '"', '\n');
        if (p == end) break;
        state = kNormal;
        if (*p == '\n') {
          if (const auto at = lineEnd(false)) return *at;
        }
        ++p;
        break;
    }
  }
  return {static_cast<int>(text.size()), state == kBlock, current};
}

}  // namespace bl::editor
