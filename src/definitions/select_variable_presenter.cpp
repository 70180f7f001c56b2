#include "definitions/select_variable_presenter.h"

#include "platform/text_format.h"

namespace bl {

SelectVariablePresenter::SelectVariablePresenter(const DefinitionTable& table,
                                                 SelectVariableMemory& memory)
    : table_(table), memory_(memory) {
  if (memory_.insertKind < 1 || memory_.insertKind > 4) memory_.insertKind = 1;
  Fill();
  SelectLine(memory_.selected);
}

VariableKind SelectVariablePresenter::ToVariableKind(int insertKind) {
  switch (insertKind) {
    case 2:
      return VariableKind::Q;
    case 3:
      return VariableKind::M;
    case 4:
      return VariableKind::I;
    default:
      return VariableKind::P;
  }
}

void SelectVariablePresenter::Fill() {
  lines_.clear();
  numbers_.clear();
  const VariableKind kind = ToVariableKind(memory_.insertKind);
  const char letter = VariableLetter(kind);
  for (int number = 0; number < table_.SlotCount(); ++number) {
    const std::string_view name = table_.NameOf(kind, number);
    if (name.empty()) continue;
    lines_.push_back(
        platform::Format("%-32.32s   %c%d", std::string(name).c_str(), letter, number));
    numbers_.push_back(number);
  }
}

void SelectVariablePresenter::SelectLine(int row) {
  selected_ = row >= 0 && row < static_cast<int>(lines_.size()) ? row : -1;
}

void SelectVariablePresenter::ChooseKind(int kind) {
  memory_.insertKind = kind >= 1 && kind <= 4 ? kind : 1;
  Fill();
  SelectLine(0);
}

std::optional<std::string> SelectVariablePresenter::Accept() {
  memory_.selected = selected_;
  if (selected_ < 0) return std::nullopt;
  const std::string_view name = table_.NameOf(ToVariableKind(memory_.insertKind),
                                              numbers_[static_cast<std::size_t>(selected_)]);
  if (name.empty()) return std::nullopt;
  return std::string(name);
}

void SelectVariablePresenter::Cancel() { memory_.selected = -1; }

}  // namespace bl
