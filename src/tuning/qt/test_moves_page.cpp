#include "tuning/qt/test_moves_page.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controller/controller_type.h"
#include "platform/qt/qt_fonts.h"
#include "tuning/qt/motor_selection_group.h"
#include "tuning/qt/wait_cursor.h"

namespace bl::tuning {

using platform::FromQt;
using platform::ToQt;

namespace {

struct MoveGroup {
  const char* title;
  TestMoveKind kind;
  std::vector<std::pair<const char*, int>> fields;  // label, field index
};

}  // namespace

TestMovesPage::TestMovesPage(TestMoveContext context, std::atomic<int>& addressedMotor,
                             TestMoveParameters& parameters, std::function<void()> showGraph,
                             std::function<void()> downloadProgram, std::string settingsPath,
                             QWidget* parent)
    : TuningPage(parent),
      selection_(context.link, addressedMotor, context.type.motorCount),
      presenter_(context, parameters, selection_, std::move(showGraph), std::move(downloadProgram),
                 std::move(settingsPath)),
      motors_(new MotorSelectionGroup(
          selection_,
          [this] {
            presenter_.MotorAddressed();
            ShowFields();
          },
          this)),
      download_(new QPushButton("BL_TestMoves.pmc", this)) {
  download_->setAutoDefault(false);
  connect(download_, &QPushButton::clicked, this, [this] { presenter_.DownloadProgram(); });

  // The notice: the program must be on the controller, and these resources are its own.
  auto* notice = new QVBoxLayout;
  notice->addWidget(new QLabel("1.  Download", this));
  notice->addWidget(download_);
  auto* before = new QLabel("BEFORE TEST MOVES!", this);
  before->setStyleSheet("QLabel { font-weight: bold; }");
  notice->addWidget(before);
  notice->addSpacing(8);
  for (const char* line : {"2.  Be aware that the", "following PMAC", "resources will be used:"})
    notice->addWidget(new QLabel(line, this));
  for (const char* line : {"Program 999, PLC 31", "Coordinate System 8", "P950-P974, M950-974"}) {
    auto* label = new QLabel(line, this);
    label->setIndent(12);
    notice->addWidget(label);
  }
  notice->addStretch();

  auto* left = new QVBoxLayout;
  left->addWidget(motors_);
  left->addLayout(notice);

  const std::array<MoveGroup, 3> groups = {{
      {"Step Move", TestMoveKind::kStep, {{"Size (cts)", 0}, {"Dwell Time (ms)", 1}}},
      {"Constant Vel., Acc. Move",
       TestMoveKind::kTrapezoid,
       {{"Size (cts)", 2}, {"Dwell Time (ms)", 3}, {"Vel. (cts.ms)", 4}, {"Acc. (cts/ms^2)", 5}}},
      {"Sine Sweep",
       TestMoveKind::kSineSweep,
       {{"Size (cts)", 6}, {"Move Time (ms)", 7}, {"Low Freq. (Hz)", 8}, {"High Freq. (Hz)", 9}}},
  }};
  auto* right = new QVBoxLayout;
  for (const MoveGroup& g : groups) {
    auto* box = new QGroupBox(g.title, this);
    auto* form = new QFormLayout;
    for (const auto& [label, index] : g.fields) {
      auto* field = new QLineEdit(box);
      field->setMaxLength(32);
      field->setFixedWidth(90);
      fields_[static_cast<std::size_t>(index)] = field;
      form->addRow(new QLabel(label, box), field);
    }
    auto* button = new QPushButton(g.title, box);
    button->setAutoDefault(false);
    moves_[static_cast<std::size_t>(g.kind) - 1] = button;
    const TestMoveKind kind = g.kind;
    connect(button, &QPushButton::clicked, this, [this, kind] { Start(kind); });
    button->setMinimumWidth(180);
    auto* boxLayout = new QHBoxLayout(box);
    boxLayout->addLayout(form);
    boxLayout->addStretch(1);
    boxLayout->addWidget(button, 0, Qt::AlignVCenter);
    right->addWidget(box);
  }
  right->addStretch();

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->addLayout(right, 1);
  ShowFields();
}

QPushButton* TestMovesPage::MoveButton(TestMoveKind kind) const {
  return moves_.at(static_cast<std::size_t>(kind) - 1);
}

void TestMovesPage::Activate() {
  const WaitCursor wait;
  presenter_.Activate();
  ShowFields();
}

void TestMovesPage::Leave() { presenter_.Leave(); }

void TestMovesPage::ShowFields() {
  motors_->Fill();
  for (std::size_t i = 0; i < fields_.size(); ++i) fields_[i]->setText(ToQt(presenter_.fields[i]));
}

void TestMovesPage::Start(TestMoveKind kind) {
  const WaitCursor wait;
  for (std::size_t i = 0; i < fields_.size(); ++i)
    presenter_.fields[i] = FromQt(fields_[i]->text());
  presenter_.Start(kind);
}

}  // namespace bl::tuning
