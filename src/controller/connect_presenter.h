#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bl {

class PmacLink;
struct ControllerType;

// The "Connect to PMAC" dialog without its widgets.
class ConnectPresenter {
 public:
  enum class Outcome {
    Stay,             // the dialog stays open
    Connected,        // closed; the controller is identified
    OpenWorkOffline,  // closed; the "Work Offline" dialog opens next
    Closed,           // closed
  };

  // identify runs after a successful connection.
  ConnectPresenter(PmacLink& link, const ControllerType& type, std::function<void()> identify,
                   void* mainWindow = nullptr);

  std::string StatusText() const;
  bool ConnectEnabled() const;
  bool DisconnectEnabled() const { return !ConnectEnabled(); }
  bool WorkOfflineEnabled() const { return ConnectEnabled(); }

  Outcome Connect();
  void Disconnect();
  Outcome WorkOffline() { return Outcome::OpenWorkOffline; }
  // Cancel: with no type chosen yet and no device open, the program still needs a type.
  Outcome Cancel();

 private:
  PmacLink& link_;
  const ControllerType& type_;
  std::function<void()> identify_;
  void* mainWindow_;
};

// The "Work Offline" dialog without its widgets: one button per controller type with the boards
// it stands for.
class WorkOfflinePresenter {
 public:
  struct Choice {
    const char* button;
    int typeCode;
    std::vector<const char*> boards;
  };
  static const std::vector<Choice>& Choices();
  static constexpr const char* kPrompt = "Select the type of PMAC that you will be using.";

  // identify runs offline after the choice.
  WorkOfflinePresenter(PmacLink& link, ControllerType& type, std::function<void()> identify);

  // A type button; Cancel keeps the current type. Both work offline from then on.
  void Choose(int typeCode);
  void Cancel();

 private:
  void Finish();

  PmacLink& link_;
  ControllerType& type_;
  std::function<void()> identify_;
};

}  // namespace bl
