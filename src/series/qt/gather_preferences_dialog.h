#pragma once

#include <QDialog>

#include "series/gather_preferences_presenter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bl::series {

// "Data Gathering Preferences": gather period and frequencies, buffer size, the two mode check
// boxes, and the settings sent to or read from the controller.
class GatherPreferencesDialog : public QDialog {
 public:
  GatherPreferencesDialog(GatherBuffer& buffer, double servoPeriod,
                          GatherPreferencesActions actions, QWidget* parent = nullptr);

  QLineEdit& PeriodField() { return *period_; }
  QLineEdit& BufferSizeField() { return *bufferSize_; }
  QLabel& GatherFrequency() { return *gatherFrequency_; }
  QLabel& ServoFrequency() { return *servoFrequency_; }
  QCheckBox& WrapAround() { return *wrap_; }
  QCheckBox& ToDpram() { return *dpram_; }
  QPushButton& DownloadButton() { return *download_; }
  QPushButton& UploadButton() { return *upload_; }

  // OK and Esc alike take the fields.
  void accept() override;
  void reject() override;

 private:
  void Fill();

  GatherPreferencesPresenter presenter_;
  QLineEdit* period_;
  QLineEdit* bufferSize_;
  QLabel* servoFrequency_;
  QLabel* gatherFrequency_;
  QCheckBox* wrap_;
  QCheckBox* dpram_;
  QPushButton* download_;
  QPushButton* upload_;
};

// Opens the dialog modally.
void RunGatherPreferencesDialog(QWidget* parent, GatherBuffer& buffer, double servoPeriod,
                                GatherPreferencesActions actions);

}  // namespace bl::series
