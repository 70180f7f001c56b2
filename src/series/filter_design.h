#pragma once

namespace bl::series {

// The shape of one section 1 + c1·z⁻¹ + c2·z⁻² of the series filter: in the numerator the
// high-pass and band-reject zeros, in the denominator the low-pass and band-pass poles.
enum class FilterKind : int {
  kOff = 0,
  kFirstOrder = 1,   // one real root
  kRealPair = 2,     // two real roots
  kComplexPair = 3,  // a complex conjugate root pair
};

// Slider positions run 0 to 1000: a frequency position p is p thousandths of the Nyquist
// frequency 0.5 / T, a damping position p the damping ratio p / 1000.
inline constexpr int kMaxSliderPosition = 1000;

struct FilterSection {
  double c1 = 0.0;
  double c2 = 0.0;
};

struct FilterAnalysis {
  FilterKind kind = FilterKind::kOff;
  int position1 = 0;
  int position2 = 0;
  // In user units: hertz for frequencies, the bare ratio for damping (kind 3's value2).
  double value1 = 0.0;
  double value2 = 0.0;
};

// The coefficients of a section of the given kind from its two slider positions (the second
// unused by kind 1). A kind outside 0 to 3 designs as off. Frequency positions are taken
// within 0 to 1000, kind 3's positions within 1 to 999. The design depends on the positions
// alone, since frequency times period is position / 2000; the period is accepted for the
// callers' sake and may be 0.
FilterSection DesignFilterSection(FilterKind kind, double period, int position1, int position2);

// The kind, slider positions and user values that describe the section (c1, c2) at sample
// period T. The positions always lie within 0 to 1000, whatever the coefficients; sections no
// kind produces (roots on or left of zero, say) come back clamped there. The positions do
// not depend on T; a period of 0 gives hertz values of 0.
FilterAnalysis AnalyzeFilterSection(double period, double c1, double c2);

}  // namespace bl::series
