#include "editor/qt/editor_widget.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <optional>

#include "editor/editor_edit.h"
#include "editor/editor_input.h"
#include "editor/editor_paint.h"
#include "editor/editor_scroll.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/scroll_bar_qt.h"

namespace bl::editor {

namespace {

std::optional<EditorKey> ToEditorKey(int key) {
  switch (key) {
    case Qt::Key_Backspace:
      return EditorKey::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return EditorKey::Tab;  // Shift+Tab arrives as Backtab
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return EditorKey::Enter;
    case Qt::Key_PageUp:
      return EditorKey::PageUp;
    case Qt::Key_PageDown:
      return EditorKey::PageDown;
    case Qt::Key_Home:
      return EditorKey::Home;
    case Qt::Key_End:
      return EditorKey::End;
    case Qt::Key_Left:
      return EditorKey::Left;
    case Qt::Key_Right:
      return EditorKey::Right;
    case Qt::Key_Up:
      return EditorKey::Up;
    case Qt::Key_Down:
      return EditorKey::Down;
    case Qt::Key_Insert:
      return EditorKey::Insert;
    case Qt::Key_Delete:
      return EditorKey::Delete;
    default:
      return std::nullopt;
  }
}

// The character a key press types, by its code point: Ctrl with a letter gives its control code,
// as the editor's Ctrl-C, Ctrl-V, Ctrl-X and Ctrl-Z expect; Alt combinations type nothing (menu
// mnemonics). The editor decides which characters it holds: the text is not squeezed into
// Latin-1 here, where a character beyond it would become '?'.
std::optional<char32_t> TypedChar(const QKeyEvent& e) {
  const Qt::KeyboardModifiers mods = e.modifiers();
  if (mods & Qt::AltModifier) return std::nullopt;
  if (mods & Qt::ControlModifier) {
    if (e.key() >= Qt::Key_A && e.key() <= Qt::Key_Z)
      return static_cast<char32_t>(e.key() - Qt::Key_A + 1);
    return std::nullopt;
  }
  const QList<uint> codePoints = e.text().toUcs4();
  if (codePoints.size() != 1) return std::nullopt;
  return static_cast<char32_t>(codePoints.front());
}

// The client area: its own input goes straight to the editor's handlers.
class EditorClient final : public platform::CanvasWidget {
 public:
  EditorClient(EditorState& state, platform::Desktop& desktop, EditorWidget& owner)
      : platform::CanvasWidget(&owner), state_(state), desktop_(desktop), owner_(owner) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
  }

 protected:
  // Tab is the editor's own key, not a move to the next control.
  bool focusNextPrevChild(bool) override { return false; }

  void keyPressEvent(QKeyEvent* e) override {
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool control = e->modifiers() & Qt::ControlModifier;
    if (const auto key = ToEditorKey(e->key()))
      OnKeyDown(state_, desktop_, KeyEvent{*key, shift, control});
    if (const auto c = TypedChar(*e)) OnTypedCharacter(state_, desktop_, *c);
    e->accept();
  }

  void focusInEvent(QFocusEvent*) override { OnFocusChange(state_, true); }
  void focusOutEvent(QFocusEvent* e) override {
    // The context menu does not take the focus away from the editor.
    if (e->reason() != Qt::PopupFocusReason) OnFocusChange(state_, false);
  }

  void mousePressEvent(QMouseEvent* e) override {
    const QPoint p = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
      setFocus(Qt::MouseFocusReason);
      OnLeftButtonDown(state_, {p.x(), p.y(), (e->modifiers() & Qt::ShiftModifier) != 0});
    } else if (e->button() == Qt::RightButton) {
      ShowContextMenu(e->globalPosition().toPoint());
    }
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    const QPoint p = e->position().toPoint();
    OnMouseMove(state_, {p.x(), p.y(), (e->modifiers() & Qt::ShiftModifier) != 0});
  }

  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) OnLeftButtonUp(state_);
  }

  void wheelEvent(QWheelEvent* e) override {
    // Fine-grained wheels send small steps: pass on whole 40ths, keep the rest for later.
    wheelRest_ += e->angleDelta().y();
    const int whole = wheelRest_ - wheelRest_ % 40;
    wheelRest_ -= whole;
    if (whole != 0) ScrollWheel(state_, whole);
    e->accept();
  }

 private:
  void ShowContextMenu(const QPoint& at) {
    QMenu menu(this);
    for (const MenuItem& item : EditorContextMenu()) {
      if (item.separatorBefore) menu.addSeparator();
      QAction* action = menu.addAction(platform::ToQt(item.text));
      const int command = item.command;
      QObject::connect(action, &QAction::triggered, &owner_,
                       [this, command] { owner_.RunCommand(command); });
    }
    menu.exec(at);
  }

  EditorState& state_;
  platform::Desktop& desktop_;
  EditorWidget& owner_;
  int wheelRest_ = 0;
};

}  // namespace

EditorWidget::EditorWidget(EditorState& state, const DefinitionTable& table,
                           platform::Desktop& desktop, QWidget* parent)
    : QWidget(parent),
      state_(state),
      table_(table),
      desktop_(desktop),
      client_(new EditorClient(state, desktop, *this)),
      vertical_(new QScrollBar(Qt::Vertical, this)),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      corner_(new QWidget(this)) {
  setObjectName("Editor");
  corner_->setAutoFillBackground(true);
  setFocusProxy(client_);
  client_->SetPainter([this](platform::Canvas& c) { PaintEditor(c, state_, table_); });
  state_.repaint = [this] { Refresh(); };
  state_.focusEditor = [this] { client_->setFocus(); };
  connect(vertical_, &QScrollBar::actionTriggered, this, &EditorWidget::OnVerticalAction);
  connect(horizontal_, &QScrollBar::actionTriggered, this, &EditorWidget::OnHorizontalAction);
  SyncBars();
}

EditorWidget::~EditorWidget() {
  state_.repaint = nullptr;
  state_.focusEditor = nullptr;
}

void EditorWidget::RunCommand(int command) {
  if (RunEditCommand(state_, desktop_, command)) {
    client_->setFocus();
  } else if (command == cmd::kFindReplace) {
    if (onFindReplace) onFindReplace();
  } else if (const int kind = InsertKindOf(command); kind != 0) {
    if (onInsertDefinition) onInsertDefinition(kind);
  }
}

void EditorWidget::Refresh() {
  SyncBars();
  client_->update();
}

void EditorWidget::SyncBars() {
  updatingBars_ = true;
  platform::ApplyScrollBar(*vertical_, VerticalBar(state_));
  platform::ApplyScrollBar(*horizontal_, HorizontalBar(state_));
  updatingBars_ = false;
}

void EditorWidget::resizeEvent(QResizeEvent*) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int w = std::max(0, width() - bar);
  const int h = std::max(0, height() - bar);
  client_->setGeometry(0, 0, w, h);
  state_.width = w;
  state_.height = h;
  vertical_->setGeometry(w, 0, bar, h);
  horizontal_->setGeometry(0, h, w, bar);
  corner_->setGeometry(w, h, bar, bar);
  SyncBars();
}

void EditorWidget::OnVerticalAction(int action) {
  if (updatingBars_) return;
  if (const auto a = platform::ToScrollAction(action))
    ScrollVertical(state_, *a, vertical_->sliderPosition());
  // The bar follows the editor's rule, not Qt's own step.
  vertical_->setSliderPosition(state_.firstLine);
}

void EditorWidget::OnHorizontalAction(int action) {
  if (updatingBars_) return;
  if (const auto a = platform::ToScrollAction(action))
    ScrollHorizontal(state_, *a, horizontal_->sliderPosition());
  horizontal_->setSliderPosition(state_.firstColumn * kCellWidth);
}

}  // namespace bl::editor
