#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostics/script_source.h"
#include "diagnostics/script_words.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

// Lines are wrapped before this column; continuation lines are indented.
constexpr std::size_t kWrapColumn = 96;
constexpr std::string_view kIndent = "    ";

bool IsIdentifier(std::string_view s) {
  if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      // Doubled only where a single one would be read as the start of an escape.
      const char next = i + 1 < text.size() ? text[i + 1] : '\0';
      out += (next == '\0' || next == '\\' || next == '"' || next == 'x') ? "\\\\" : "\\";
    } else if (c < 0x20 || c >= 0x7F) {
      out += platform::Format("\\x%02X", c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Number(double v) {
  // Not-a-number keeps its exact bits; everything else in the shortest text that reads back.
  if (std::isnan(v))
    return platform::Format("bits:%016llX",
                            static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, ec == std::errc() ? end : buffer);
}

std::string Choice(std::span<const ScriptWord> words, int value) {
  const std::string_view name = WordName(words, value);
  return name.empty() ? std::to_string(value) : std::string(name);
}

std::string OutlineText(int value) {
  if (value >= 0 && value < 48) {
    const std::string colour(WordName(kColourWords, value % 16));
    return value < 16 ? colour : colour + "/" + std::to_string(value / 16 + 1);
  }
  return std::to_string(value);
}

class StatementWriter {
 public:
  explicit StatementWriter(std::string& out) : out_(out) {}
  void Begin(std::string_view head) {
    out_ += head;
    column_ = head.size();
  }
  void Add(std::string_view key, std::string_view value) {
    const std::size_t width = key.size() + 1 + value.size();
    if (column_ + 1 + width > kWrapColumn && column_ > kIndent.size()) {
      out_ += "\n";
      out_ += kIndent;
      column_ = kIndent.size();
    } else {
      out_ += ' ';
      ++column_;
    }
    out_ += key;
    out_ += '=';
    out_ += value;
    column_ += width;
  }
  void End() { out_ += "\n"; }

 private:
  std::string& out_;
  std::size_t column_ = 0;
};

class Decompiler {
 public:
  explicit Decompiler(const DiagnosticTables& tables) : t_(tables) {
    for (int i = 0; i < t_.variableCount; ++i) {
      const std::string& name = t_.variables[i].name;
      bool unique = IsIdentifier(name);
      for (int j = 0; j < t_.variableCount && unique; ++j)
        if (j != i && t_.variables[j].name == name) unique = false;
      uniqueName_.push_back(unique);
    }
  }

  std::string Run() {
    std::string out = platform::Format("# Diagnostic script: %d items, %d variables\n",
                                       t_.itemCount, t_.variableCount);
    if (t_.variableCount > 0) out += "\n";
    for (int i = 0; i < t_.variableCount; ++i) Variable(out, t_.variables[i]);
    for (int i = 0; i < t_.itemCount; ++i) {
      if (t_.items[i].kind == kKindPage || i == 0) out += "\n";
      Item(out, t_.items[i]);
    }
    return out;
  }

 private:
  std::string VariableRef(int index) const {
    if (index >= 0 && index < t_.variableCount && uniqueName_[index])
      return t_.variables[index].name;
    return "@" + std::to_string(index);
  }

  void Variable(std::string& out, const DiagnosticVariable& v) const {
    StatementWriter w(out);
    std::string head = "variable";
    if (!v.name.empty()) head += " " + (IsIdentifier(v.name) ? v.name : Quote(v.name));
    w.Begin(head);
    w.Add("type", Choice(kTypeWords, v.type));
    const bool memory = v.type >= 5 && v.type <= 9;
    if (v.number != 0)
      w.Add("number",
            memory && v.number > 0 ? platform::Format("$%X", v.number) : std::to_string(v.number));
    if (v.indexVariable != -1) w.Add("index", VariableRef(v.indexVariable));
    if (v.multiplier != (v.indexVariable != -1 ? 1 : 0))
      w.Add("multiplier", std::to_string(v.multiplier));
    if (std::bit_cast<std::uint64_t>(v.value) != 0) w.Add("value", Number(v.value));
    w.End();
  }

  void Item(std::string& out, const DiagnosticItem& item) const {
    const DiagnosticItem d = DefaultSourceItem(item.kind);
    StatementWriter w(out);
    const std::string_view keyword = WordName(kKindWords, item.kind);
    if (keyword.empty()) {
      w.Begin("item");
      w.Add("kind", std::to_string(item.kind));
    } else {
      w.Begin(keyword);
    }
    const auto integer = [&w](std::string_view key, int v, int def) {
      if (v != def) w.Add(key, std::to_string(v));
    };
    const auto real = [&w](std::string_view key, double v, double def) {
      if (std::bit_cast<std::uint64_t>(v) != std::bit_cast<std::uint64_t>(def))
        w.Add(key, Number(v));
    };
    const auto text = [&w](std::string_view key, const std::string& v) {
      if (!v.empty()) w.Add(key, Quote(v));
    };
    const bool page = item.kind == kKindPage;
    const bool shape = item.kind == kKindShape;
    const bool button = item.kind == kKindButton;

    if (page) {
      if (item.x1 != 0 || item.y1 != 0) w.Add("size", platform::Format("%d,%d", item.x1, item.y1));
      integer("x2", item.x2, 0);
      integer("y2", item.y2, 0);
      text("title", item.text1);
      text("text-active", item.text2);
    } else {
      text(item.kind == kKindValueBox ? "title" : "text", item.text1);
      text(item.kind == kKindValueBox ? "description" : "text-active", item.text2);
      if (item.x1 || item.y1 || item.x2 || item.y2)
        w.Add("box", platform::Format("%d,%d,%d,%d", item.x1, item.y1, item.x2, item.y2));
    }
    if (item.style != d.style) w.Add("style", Choice(StyleWords(item.kind), item.style));
    integer("angle", item.angle, d.angle);
    if (item.mode != d.mode)
      w.Add(shape ? "motion" : button ? "action" : "mode", Choice(ModeWords(item.kind), item.mode));
    if (button && item.mode == kActionOpenScript) {
      text("script", item.command);
    } else {
      text("command", item.command);
    }
    if (item.variableA != d.variableA) w.Add("var", VariableRef(item.variableA));
    if (item.startBitA != 0 || item.bitCountA != 0)
      w.Add("bits", platform::Format("%d,%d", item.startBitA, item.bitCountA));
    real("scale", item.scaleA, d.scaleA);
    if (item.variableB != d.variableB) w.Add("var-b", VariableRef(item.variableB));
    if (item.startBitB != 0 || item.bitCountB != 0)
      w.Add("bits-b", platform::Format("%d,%d", item.startBitB, item.bitCountB));
    real("scale-b", item.scaleB, d.scaleB);
    if (item.operation != d.operation) w.Add("op", Choice(kOperationWords, item.operation));
    real("min", item.minimum, d.minimum);
    real("max", item.maximum, d.maximum);
    if (item.precision != d.precision) {
      if (shape)
        w.Add("parent", "@" + std::to_string(item.precision));
      else if (button && item.mode == kActionSetVariable)
        w.Add("target", VariableRef(item.precision));
      else
        w.Add("precision", std::to_string(item.precision));
    }
    integer(shape                                       ? "motion-end"
            : button && item.mode == kActionSetVariable ? "set"
            : button && item.mode == kActionGoToPage    ? "page"
                                                        : "argument",
            item.argument, d.argument);
    integer("motion-start", item.motionStart, d.motionStart);
    integer("p1", item.parameter1, d.parameter1);
    integer("p2", item.parameter2, d.parameter2);
    if (item.outlineNormal != d.outlineNormal) w.Add("outline", OutlineText(item.outlineNormal));
    if (item.outlineActive != d.outlineActive)
      w.Add("outline-active", OutlineText(item.outlineActive));
    if (item.fillNormal != d.fillNormal) w.Add("fill", Choice(kColourWords, item.fillNormal));
    if (item.fillActive != d.fillActive)
      w.Add("fill-active", Choice(kColourWords, item.fillActive));
    if (item.font != d.font) w.Add("font", Choice(kFontWords, item.font));
    if (item.alignment != d.alignment) w.Add("align", Choice(kAlignWords, item.alignment));
    w.End();
  }

  const DiagnosticTables& t_;
  std::vector<bool> uniqueName_;
};

}  // namespace

std::string DecompileScript(const DiagnosticTables& tables) { return Decompiler(tables).Run(); }

}  // namespace bl::diagnostics
