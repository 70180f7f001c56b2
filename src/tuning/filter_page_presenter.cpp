#include "tuning/filter_page_presenter.h"

#include "platform/text_format.h"
#include "tuning/gain_pages.h"

namespace bl::tuning {

namespace {
constexpr int kFirstSuffix = 36;  // Ix36 to Ix39: N1, N2, D1, D2
}

FilterPagePresenter::FilterPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor,
                                         const int& motorCount, PositionLoopValues& values)
    : link_(link), selection_(link, addressedMotor, motorCount), values_(values) {}

int FilterPagePresenter::Variable(std::size_t index) const {
  return MotorVariable(selection_.Motor(), kFirstSuffix + static_cast<int>(index));
}

double FilterPagePresenter::Design(std::size_t index) const {
  const series::FilterSection& s = values_.design[index / 2];
  return index % 2 == 0 ? s.c1 : s.c2;
}

void FilterPagePresenter::Activate() {
  selection_.Refresh(kMaxMotor);
  for (std::size_t i = 0; i < values_.filter.size(); ++i)
    values_.filter[i] = ReadVariable(link_, Variable(i));
  // The design is kept for the run: show it as it was left.
  ShowDesign();
}

std::string FilterPagePresenter::CoefficientText(std::size_t index) const {
  return platform::Format("%lf", values_.filter[index]);
}

std::string FilterPagePresenter::DesignText(std::size_t index) const {
  return platform::Format("%8.6lf", Design(index));
}

void FilterPagePresenter::EditCoefficient(std::size_t index, std::string_view text) {
  if (index >= values_.filter.size()) return;
  if (const std::optional<double> typed = ScanField(text)) values_.filter[index] = *typed;
  values_.filter[index] = WriteVariable(link_, Variable(index), values_.filter[index]);
}

void FilterPagePresenter::WriteAll(const std::array<double, 4>& coefficients) {
  for (std::size_t i = 0; i < coefficients.size(); ++i)
    values_.filter[i] = WriteVariable(link_, Variable(i), coefficients[i]);
}

void FilterPagePresenter::Apply() { WriteAll({Design(0), Design(1), Design(2), Design(3)}); }

void FilterPagePresenter::Delete() { WriteAll({0.0, 0.0, 0.0, 0.0}); }

void FilterPagePresenter::EditFilter() {
  const std::array<double, 4>& f = values_.filter;
  values_.design = {series::FilterSection{f[0], f[1]}, series::FilterSection{f[2], f[3]}};
  ShowDesign();
}

void FilterPagePresenter::ChooseKind(series::FilterSet set, series::FilterKind kind) {
  values_.design[static_cast<std::size_t>(set)] =
      values_.designer.ChooseKind(set, kind, kFilterSampleTime);
  ShowDesign();
}

void FilterPagePresenter::MoveSlider(series::FilterSet set, int row, series::SliderStep step,
                                     int dragged) {
  if (values_.designer.MoveSlider(set, row, step, dragged, kFilterSampleTime, values_.design))
    ShowDesign();
}

void FilterPagePresenter::ShowDesign() { values_.designer.Show(values_.design, kFilterSampleTime); }

}  // namespace bl::tuning
