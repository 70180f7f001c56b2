#pragma once

#include <array>

#include "platform/geometry.h"

namespace bl::platform {

// The 15 shared colours of the terminal, editor, graphs and diagnostic windows. Index 15 is
// used by the diagnostic windows to mean "none" (no fill, no outline, transparent background).
inline constexpr int kPaletteSize = 15;
inline constexpr int kPaletteNone = 15;

inline constexpr std::array<Rgb, kPaletteSize> kColorPalette = {{
    {0, 0, 0},        // 0 black: controller replies, library messages
    {64, 64, 64},     // 1
    {128, 128, 128},  // 2
    {192, 192, 192},  // 3 light grey
    {255, 255, 255},  // 4 white
    {255, 0, 0},      // 5 red: warnings, listing headings
    {255, 192, 0},    // 6 orange: the empty line before an echo
    {255, 255, 0},    // 7
    {192, 255, 0},    // 8
    {0, 255, 0},      // 9
    {0, 255, 192},    // 10
    {0, 255, 255},    // 11
    {0, 192, 255},    // 12
    {0, 0, 255},      // 13 blue: echoes, banners, headings, progress
    {192, 0, 255},    // 14
}};

// Palette colour by index; indices outside the palette give black rather than reading past it.
constexpr Rgb PaletteColor(int index) {
  return index >= 0 && index < kPaletteSize ? kColorPalette[static_cast<std::size_t>(index)]
                                            : kColorPalette[0];
}

// The colour of a graph slot's colour choice 0..11: choices 0..10 are palette entries 4..14.
// Choice 11 ("Violet2") has no palette entry; it gets a violet of its own between entry 14 and
// blue.
inline constexpr int kSlotColorCount = 12;
constexpr Rgb SlotColor(int choice) {
  return choice == 11 ? Rgb{128, 0, 255} : PaletteColor(choice + 4);
}

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLightGrey{192, 192, 192};

}  // namespace bl::platform
