#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "definitions/select_variable_presenter.h"

class QListWidget;

namespace bl {

// "Select PMAC Variable": the defined names of one kind, four kind buttons, OK and Cancel.
class SelectVariableDialog : public QDialog {
 public:
  SelectVariableDialog(const DefinitionTable& table, SelectVariableMemory& memory,
                       QWidget* parent = nullptr);

  // The chosen name after the dialog was accepted.
  const std::optional<std::string>& Chosen() const { return chosen_; }

  SelectVariablePresenter& Presenter() { return presenter_; }
  QListWidget& List() { return *list_; }

  void accept() override;
  void reject() override;

 private:
  void Refill();

  SelectVariablePresenter presenter_;
  QListWidget* list_;
  std::optional<std::string> chosen_;
};

// Opens the dialog modally; the chosen name, or nothing.
std::optional<std::string> ChooseDefinedVariable(QWidget* parent, const DefinitionTable& table,
                                                 SelectVariableMemory& memory, int insertKind);

}  // namespace bl
