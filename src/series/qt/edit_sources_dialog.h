#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "series/edit_sources_presenter.h"
#include "series/qt/filter_set_controls.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace bl::series {

// "Edit Data Sources": the current series' source, scaling, integration and filter. Edit fields
// are handed to the presenter when they lose the focus (or on Enter); buttons, check boxes and
// sliders act at once.
class EditSourcesDialog : public QDialog {
 public:
  // chooseSource runs "Select Data Source" over the dialog it is given and says whether the
  // series took a new source.
  using ChooseSource = std::function<bool(QWidget* dialog)>;
  EditSourcesDialog(SeriesTable& table, std::function<void()> redraw, ChooseSource chooseSource,
                    QWidget* parent = nullptr);

  EditSourcesPresenter& Presenter() { return presenter_; }
  QLineEdit& TitleField() { return *title_; }
  QLabel& SeriesLabel() { return *seriesLabel_; }
  QLineEdit& AddressField() { return *address_; }
  QLineEdit& StartingBitField() { return *startingBit_; }
  QLineEdit& LengthField() { return *length_; }
  QLineEdit& ScaleFactorField() { return *scale_; }
  QLineEdit& OffsetField() { return *offset_; }
  QCheckBox& SignedBox() { return *signed_; }
  QCheckBox& FloatBox() { return *float_; }
  QPushButton& NextButton() { return *next_; }
  QPushButton& ChooseSourceButton() { return *chooseSource_; }
  QButtonGroup& SourceButtons() { return *sources_; }
  QButtonGroup& FilterKindButtons(FilterSet set) { return filterSets_[Index(set)]->Kinds(); }
  QSlider& Slider(FilterSet set, int row) { return filterSets_[Index(set)]->Slider(row); }
  QLabel& SliderValue(FilterSet set, int row) { return filterSets_[Index(set)]->Value(row); }
  QLabel& SliderCaption(FilterSet set, int row) { return filterSets_[Index(set)]->Caption(row); }
  QLabel& Coefficient(FilterSet set, int index) { return *coefficients_[Index(set)][Row(index)]; }

 private:
  static std::size_t Index(FilterSet set) { return static_cast<std::size_t>(set); }
  static std::size_t Row(int row) { return static_cast<std::size_t>(row); }

  QWidget* BuildSourceGroup();
  QWidget* BuildScalingGroup();
  QWidget* BuildIntegrationGroup();
  QWidget* BuildFilterGroup();
  QWidget* BuildFilterSet(FilterSet set, const char* letter);
  // Hands an edit field's text to the presenter when the field is done with.
  void OnEdited(QLineEdit* field, void (EditSourcesPresenter::*edit)(std::string_view));
  void Render();

  EditSourcesPresenter presenter_;
  ChooseSource chooseSourceAction_;
  QLineEdit* title_ = nullptr;
  QLabel* seriesLabel_ = nullptr;
  QPushButton* next_ = nullptr;
  QButtonGroup* sources_ = nullptr;
  QLineEdit* address_ = nullptr;
  QLineEdit* startingBit_ = nullptr;
  QLineEdit* length_ = nullptr;
  QCheckBox* signed_ = nullptr;
  QCheckBox* float_ = nullptr;
  QPushButton* chooseSource_ = nullptr;
  QLineEdit* scale_ = nullptr;
  QLineEdit* offset_ = nullptr;
  QButtonGroup* integration_ = nullptr;
  QCheckBox* removeDc_ = nullptr;
  std::array<std::unique_ptr<FilterSetControls>, 2> filterSets_;
  std::array<std::array<QLabel*, 2>, 2> coefficients_{};
};

// Opens the dialog modally.
void RunEditSourcesDialog(QWidget* parent, SeriesTable& table, std::function<void()> redraw,
                          EditSourcesDialog::ChooseSource chooseSource);

}  // namespace bl::series
