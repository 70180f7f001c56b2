#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace bl::diagnostics {

// The words of the script source for numbered choices, shared by the compiler and the
// decompiler so that both always agree.
struct ScriptWord {
  std::string_view name;
  int value;
};

inline constexpr ScriptWord kKindWords[] = {{"page", 1},  {"shape", 2}, {"button", 3}, {"gauge", 4},
                                            {"value", 5}, {"line", 6},  {"slider", 7}, {"bits", 8},
                                            {"edit", 9},  {"chart", 10}};
inline constexpr ScriptWord kShapeWords[] = {{"rectangle", 1}, {"ellipse", 2}, {"triangle", 3},
                                             {"roundrect", 4}, {"octagon", 5}, {"arrow", 6},
                                             {"cross", 7},     {"cylinder", 8}};
inline constexpr ScriptWord kGaugeWords[] = {{"bar", 0}, {"dial", 1}, {"halfdial", 2}};
inline constexpr ScriptWord kSliderWords[] = {{"vertical", 0}, {"horizontal", 1}};
inline constexpr ScriptWord kLampWords[] = {{"ellipses", 0}, {"rectangles", 1}};
inline constexpr ScriptWord kMotionWords[] = {{"none", 0}, {"x", 1}, {"y", 2}, {"rotate", 3}};
inline constexpr ScriptWord kActionWords[] = {{"command", 0}, {"set", 1}, {"page", 2}, {"open", 3}};
inline constexpr ScriptWord kOperationWords[] = {{"sum", 0},   {"difference", 1}, {"product", 2},
                                                 {"ratio", 3}, {"and", 4},        {"or", 5}};
inline constexpr ScriptWord kColourWords[] = {
    {"black", 0},  {"darkgrey", 1}, {"grey", 2},    {"lightgrey", 3}, {"white", 4}, {"red", 5},
    {"orange", 6}, {"yellow", 7},   {"lime", 8},    {"green", 9},     {"mint", 10}, {"cyan", 11},
    {"sky", 12},   {"blue", 13},    {"violet", 14}, {"none", 15}};
inline constexpr ScriptWord kFontWords[] = {{"small", 0}, {"large", 1}};
inline constexpr ScriptWord kAlignWords[] = {
    {"topleft", 0},     {"top", 1},      {"topright", 2},    {"left", 3},
    {"centre", 4},      {"right", 5},    {"bottomleft", 6},  {"bottom", 7},
    {"bottomright", 8}, {"wrapleft", 9}, {"wrapcentre", 10}, {"wrapright", 11}};
inline constexpr ScriptWord kTypeWords[] = {{"P", 1}, {"Q", 2},         {"M", 3},  {"I", 4},
                                            {"X", 5}, {"Y", 6},         {"XS", 7}, {"YS", 8},
                                            {"D", 9}, {"internal", 100}};

inline std::optional<int> WordValue(std::span<const ScriptWord> words, std::string_view name) {
  for (const ScriptWord& w : words)
    if (w.name == name) return w.value;
  return std::nullopt;
}

inline std::string_view WordName(std::span<const ScriptWord> words, int value) {
  for (const ScriptWord& w : words)
    if (w.value == value) return w.name;
  return {};
}

// The names of an item's style and mode, by kind (empty: numbers only).
inline std::span<const ScriptWord> StyleWords(int kind) {
  switch (kind) {
    case 2:
    case 3:
      return kShapeWords;
    case 4:
      return kGaugeWords;
    case 7:
      return kSliderWords;
    case 8:
      return kLampWords;
    default:
      return {};
  }
}

inline std::span<const ScriptWord> ModeWords(int kind) {
  if (kind == 2) return kMotionWords;
  if (kind == 3) return kActionWords;
  return {};
}

}  // namespace bl::diagnostics
