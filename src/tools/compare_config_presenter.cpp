#include "tools/compare_config_presenter.h"

#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/desktop.h"

namespace bl::tools {

namespace {

constexpr const char* kTitle = "Compare Configuration";

}  // namespace

CompareConfigPresenter::CompareConfigPresenter(PmacLink& link, platform::Desktop& desktop,
                                               const ControllerType& type,
                                               const DefinitionTable& names)
    : link_(link), desktop_(desktop), type_(type), names_(names) {}

void CompareConfigPresenter::Browse(Side& side) {
  platform::FileDialogRequest request;
  request.title = kTitle;
  request.filters = {{"PMAC Configuration Files (*.pmc)", "*.pmc"}, {"All Files  (*.*)", "*.*"}};
  request.defaultExtension = "pmc";
  request.initialPath = side.path;
  if (const auto path = desktop_.ChooseOpenFile(request)) {
    side.path = *path;
    side.controller = false;
  }
}

bool CompareConfigPresenter::ReadFile(const Side& side, const char* which, ConfigModel& model) {
  model = {};
  if (side.controller) return true;
  if (side.path.empty()) {
    desktop_.ShowMessage(std::string("Choose a backup file for ") + which + ".", kTitle);
    return false;
  }
  model = ReadConfigFile(side.path);
  if (model.problems.empty()) return true;
  std::string text = "The file cannot be compared:";
  for (const std::string& problem : model.problems) text += "\n" + problem;
  desktop_.ShowMessage(text, kTitle, platform::MessageButtons::Ok, platform::MessageIcon::Error);
  return false;
}

void CompareConfigPresenter::Compare() {
  if (step_ != 0) return;
  if (!ReadFile(a, "A", fileA_) || !ReadFile(b, "B", fileB_)) return;
  if (!a.controller && !b.controller) {
    Finish();
    return;
  }
  if (link_.PmacDevice() == -1) {
    desktop_.ShowMessage("Not Connected to a PMAC Device.", "Error");
    return;
  }
  switches_ = SwitchesToCompareWith(a.controller ? fileB_ : fileA_);
  text_.clear();
  gatherDeleted_ = false;
  step_ = 2;
}

bool CompareConfigPresenter::Tick() {
  if (step_ == 0) return false;
  while (step_ < kBackupCloseStep && !switches_.on[static_cast<std::size_t>(SwitchOfStep(step_))])
    ++step_;
  if (step_ >= kBackupCloseStep) {
    step_ = 0;
    Finish();
    return true;
  }
  // A controller gone between ticks answers only the link's complaints: nothing to compare.
  if (link_.PmacDevice() == -1) {
    step_ = 0;
    desktop_.ShowMessage("Not Connected to a PMAC Device.", "Error");
    return false;
  }
  text_ +=
      BackupSectionText(link_, {type_.typeCode.load(), type_.variableCount}, step_, gatherDeleted_);
  ++step_;
  return false;
}

void CompareConfigPresenter::Finish() {
  if (a.controller || b.controller) {
    ConfigModel controller =
        ControllerConfig(text_, type_.typeCode.load(), type_.displayName, type_.variableCount);
    text_.clear();
    if (a.controller) fileA_ = controller;
    if (b.controller) fileB_ = std::move(controller);
  }
  result_ = CompareConfigs(fileA_, fileB_, &names_, true);
  compared_ = true;
  Filter();
}

std::string CompareConfigPresenter::StatusText() const {
  if (step_ != 0) return std::string(BackupStepText(step_));
  if (!compared_) return " ";
  const std::size_t n = result_.Differences();
  if (n == 0) return "No differences";
  return std::to_string(n) + (n == 1 ? " difference (" : " differences (") +
         std::to_string(result_.changed) + " changed, " + std::to_string(result_.onlyInA) +
         " only in A, " + std::to_string(result_.onlyInB) + " only in B)";
}

void CompareConfigPresenter::SetDifferencesOnly(bool on) {
  differencesOnly_ = on;
  Filter();
}

void CompareConfigPresenter::Filter() {
  rows_.clear();
  for (std::size_t k = 0; k < result_.entries.size(); ++k)
    if (!differencesOnly_ || result_.entries[k].kind != DiffKind::kSame) rows_.push_back(k);
}

}  // namespace bl::tools
