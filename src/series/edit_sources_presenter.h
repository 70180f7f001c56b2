#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "series/filter_designer.h"
#include "series/series_table.h"

namespace bl::series {

// One half of the "2nd Order Digital Filter" group.
struct FilterSetView {
  FilterKind kind = FilterKind::kOff;
  std::array<FilterRowView, 2> rows;
  // The section's coefficients, "%lf": N1 and N2, or D1 and D2.
  std::array<std::string, 2> coefficients;
};

// Everything the Edit Data Sources dialog shows of the current series.
struct EditSourcesView {
  std::string title;
  std::string seriesLabel;  // "Series: %d"
  int sourceRadio = 0;      // the checked source button, 1..4 (X, Y, D, L); 0 for none
  std::string address;      // "$%X"
  std::string startingBit;
  std::string length;
  bool bitFieldsEnabled = false;  // Starting Bit, Length and Signed
  bool signedChecked = false;
  bool floatChecked = false;
  std::string scaleFactor;
  std::string offset;
  int integrationMode = 2;  // the checked button, 0..4
  bool removeDcOffset = false;
  std::array<FilterSetView, 2> filter;
};

// The radio button labels of each filter set, kinds 0 to 3.
inline constexpr std::array<std::string_view, 4> kNumeratorKindLabels = {
    "Off", "High-Pass (1st Order)", "High-Pass (2nd Order)", "Band-Reject (2nd Order)"};
inline constexpr std::array<std::string_view, 4> kDenominatorKindLabels = {
    "Off", "Low-Pass (1st Order)", "Low-Pass (2nd Order)", "Band-Pass (2nd Order)"};
inline constexpr std::array<std::string_view, 5> kIntegrationLabels = {
    "Integrate Twice", "Integrate Once", "None", "Differenciate Once", "Differenciate Twice"};

// "Edit Data Sources" without its widgets: it edits the table's current series. After every
// change it shows the series again, processes it and has the graph redrawn. Edit fields are
// handed over when they lose the focus; buttons and check boxes act at once.
class EditSourcesPresenter {
 public:
  // redraw: recompute the graph's scaling and redraw it when a graph is on screen; may be empty.
  EditSourcesPresenter(SeriesTable& table, std::function<void()> redraw);

  const EditSourcesView& View() const { return view_; }
  int CurrentSeries() const { return table_.currentSeries; }

  void Previous();
  void Next();

  void EditTitle(std::string_view text);
  // 1..4: X, Y, D or L memory.
  void ChooseSource(int sourceType);
  void EditAddress(std::string_view text);
  void EditStartingBit(std::string_view text);
  void EditLength(std::string_view text);
  void SetSigned(bool on);
  void EditScaleFactor(std::string_view text);
  void EditOffset(std::string_view text);
  void ChooseIntegration(int mode);
  void SetRemoveDcOffset(bool on);

  void ChooseFilterKind(FilterSet set, FilterKind kind);
  // row 0 or 1; dragged is the slider's position for kDrag.
  void MoveSlider(FilterSet set, int row, SliderStep step, int dragged = 0);

  // The series changed from outside (a source taken from a variable): show, process, redraw.
  void Refresh() { Changed(); }

 private:
  DataSeries& Current() { return table_[table_.currentSeries]; }
  // Shows the series again, processes it and has the graph redrawn.
  void Changed();
  void Show();
  void Store(FilterSet set, FilterSection section);

  SeriesTable& table_;
  std::function<void()> redraw_;
  EditSourcesView view_;
  FilterDesigner designer_;
};

// "%.8lf" for 0 and magnitudes from 0.01 to 1e8, "%.8le" otherwise.
std::string ScaleText(double value);

}  // namespace bl::series
