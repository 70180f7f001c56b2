#pragma once

#include <QWidget>
#include <functional>

class QButtonGroup;
class QToolButton;

namespace bl {

// The ten view buttons across the top of the main window: check buttons of one group, each with
// its picture; button i sends command 71 + i.
class Toolbar : public QWidget {
 public:
  Toolbar(std::function<void(int command)> send, QWidget* parent = nullptr);

  // Presses button index (0..9) without sending its command; -1 releases them all.
  void Press(int index);
  int Pressed() const;
  QToolButton* Button(int index) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QButtonGroup* group_;
};

}  // namespace bl
