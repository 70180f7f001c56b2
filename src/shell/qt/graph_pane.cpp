#include "shell/qt/graph_pane.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <cstdlib>

#include "commands/command_ids.h"
#include "graph/draw_pane.h"
#include "graph/graph_input.h"
#include "graph/graph_overlay.h"
#include "platform/qt/scroll_bar_qt.h"
#include "shell/workbench.h"

namespace bl {

namespace {

// The graph's bars run from 0 to 10000 with the page and position ClampWindows gives them.
platform::ScrollBarSettings BarSettings(const graph::ScrollBar& bar) {
  return {0, 10000, bar.page, bar.position};
}

platform::Point ToPoint(const QPointF& p) {
  return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

graph::GraphKey ToGraphKey(int key) {
  switch (key) {
    case Qt::Key_Left:
      return graph::GraphKey::Left;
    case Qt::Key_Right:
      return graph::GraphKey::Right;
    case Qt::Key_Up:
      return graph::GraphKey::Up;
    case Qt::Key_Down:
      return graph::GraphKey::Down;
    default:
      return graph::GraphKey::Other;
  }
}

constexpr int kWheelNotch = 120;

}  // namespace

GraphPaneWidget::GraphPaneWidget(Workbench& workbench, int index, QWidget* parent)
    : CanvasWidget(parent),
      workbench_(workbench),
      index_(index),
      horizontal_(new QScrollBar(Qt::Horizontal, this)),
      vertical_(new QScrollBar(Qt::Vertical, this)) {
  setObjectName(index == 0 ? "Graph1" : "Graph2");
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  // Every right press comes to mousePressEvent: a plain one restores the full ranges, so Qt must
  // not turn it into a menu.
  setContextMenuPolicy(Qt::PreventContextMenu);
  for (QScrollBar* bar : {horizontal_, vertical_}) bar->setFocusPolicy(Qt::NoFocus);
  SetPainter([this](platform::Canvas& c) { Paint(c); });
  connect(horizontal_, &QScrollBar::actionTriggered, this, &GraphPaneWidget::OnHorizontalAction);
  connect(vertical_, &QScrollBar::actionTriggered, this, &GraphPaneWidget::OnVerticalAction);
  SyncScrollBars();
}

platform::Rect GraphPaneWidget::PaneRect() const {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return {0, 0, std::max(0, width() - bar), std::max(0, height() - bar)};
}

graph::PlotRect GraphPaneWidget::Plot() const {
  if (plot_) return *plot_;
  return graph::LayOutPane(workbench_.graph.settings, workbench_.series, PaneRect(), index_,
                           graph::PaneStyle{})
      .plot;
}

void GraphPaneWidget::SyncScrollBars() {
  const graph::GraphScrollBars& bars = workbench_.graph.bars;
  updatingBars_ = true;
  platform::ApplyScrollBar(*horizontal_, BarSettings(bars.horizontal));
  platform::ApplyScrollBar(*vertical_,
                           BarSettings(bars.vertical[static_cast<std::size_t>(index_ == 1)]));
  updatingBars_ = false;
}

void GraphPaneWidget::Paint(platform::Canvas& canvas) {
  const platform::Rect pane = PaneRect();
  graph::GraphView& view = workbench_.graph;
  plot_ =
      graph::DrawPane(canvas, view.settings, workbench_.series, pane, index_, graph::PaneStyle{});
  graph::DrawGraphOverlay(canvas, view, workbench_.series, pane, index_, *plot_);
  // The windows may have changed elsewhere (limits, a new graph type): the bars follow them.
  SyncScrollBars();
}

void GraphPaneWidget::Changed(bool redraw) {
  if (!redraw) return;
  if (onChanged) {
    onChanged();
  } else {
    SyncScrollBars();
    update();
  }
}

void GraphPaneWidget::mousePressEvent(QMouseEvent* event) {
  graph::GraphView& view = workbench_.graph;
  if (event->button() == Qt::LeftButton) {
    // Qt keeps sending the moves to this pane while the button is down.
    graph::LeftButtonDown(view, index_, ToPoint(event->position()));
    Changed(true);
  } else if (event->button() == Qt::RightButton) {
    if (event->modifiers() & Qt::ShiftModifier)
      OpenMenu(event->globalPosition().toPoint());
    else
      Changed(graph::RightButtonDown(view));
  }
  event->accept();
}

void GraphPaneWidget::mouseMoveEvent(QMouseEvent* event) {
  const graph::PlotRect graph1 = graph1Plot ? graph1Plot() : Plot();
  Changed(graph::MouseMove(workbench_.graph, index_, ToPoint(event->position()), graph1));
  event->accept();
}

void GraphPaneWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    Changed(graph::LeftButtonUp(workbench_.graph, index_, ToPoint(event->position()), Plot()));
  event->accept();
}

void GraphPaneWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Menu) {
    OpenMenu(mapToGlobal(QPoint(width() / 2, height() / 2)));
    return;
  }
  const graph::GraphKey key = ToGraphKey(event->key());
  if (key == graph::GraphKey::Other) {
    CanvasWidget::keyPressEvent(event);
    return;
  }
  Changed(graph::KeyDown(workbench_.graph, index_, key));
}

void GraphPaneWidget::wheelEvent(QWheelEvent* event) {
  QPoint delta = event->angleDelta();
  if (event->modifiers() & Qt::ShiftModifier) delta = {delta.y(), delta.x()};
  // Touchpads send fractions of a notch: they add up until a whole one is reached.
  wheel_ += delta;
  const QPoint notches(wheel_.x() / kWheelNotch, wheel_.y() / kWheelNotch);  // toward zero
  wheel_ -= notches * kWheelNotch;
  graph::GraphView& view = workbench_.graph;
  bool redraw = false;
  // A notch away from the user moves the window up; a sideways notch to the left moves it left.
  for (int i = 0; i < std::abs(notches.y()); ++i)
    redraw |=
        graph::KeyDown(view, index_, notches.y() > 0 ? graph::GraphKey::Up : graph::GraphKey::Down);
  for (int i = 0; i < std::abs(notches.x()); ++i)
    redraw |= graph::KeyDown(view, index_,
                             notches.x() > 0 ? graph::GraphKey::Left : graph::GraphKey::Right);
  Changed(redraw);
  event->accept();
}

void GraphPaneWidget::resizeEvent(QResizeEvent*) {
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const platform::Rect pane = PaneRect();
  horizontal_->setGeometry(0, pane.bottom, pane.right, bar);
  vertical_->setGeometry(pane.right, 0, bar, pane.bottom);
  // The plot of the old size no longer matches what is on screen.
  plot_.reset();
}

void GraphPaneWidget::OpenMenu(QPoint at) {
  QMenu menu(this);
  const std::pair<const char*, int> entries[] = {{"Export Graph...", cmd::kExportGraph},
                                                 {"Print Graph", cmd::kPrintGraph},
                                                 {"Graph Properties", cmd::kGraphProperties},
                                                 {"Update Limits", cmd::kUpdateLimits}};
  for (const auto& [text, command] : entries) {
    QAction* action = menu.addAction(text);
    connect(action, &QAction::triggered, this, [this, c = command] {
      if (runCommand) runCommand(c);
    });
  }
  menu.exec(at);
}

void GraphPaneWidget::OnHorizontalAction(int action) {
  if (updatingBars_) return;
  const auto a = platform::ToScrollAction(action);
  if (!a) return;
  graph::HorizontalScroll(workbench_.graph, *a, horizontal_->sliderPosition());
  // The bar follows the graph's rule, not Qt's own arithmetic.
  horizontal_->setSliderPosition(workbench_.graph.bars.horizontal.position);
  Changed(true);
}

void GraphPaneWidget::OnVerticalAction(int action) {
  if (updatingBars_) return;
  const auto a = platform::ToScrollAction(action);
  if (!a) return;
  graph::VerticalScroll(workbench_.graph, index_, *a, vertical_->sliderPosition());
  vertical_->setSliderPosition(
      workbench_.graph.bars.vertical[static_cast<std::size_t>(index_ == 1)].position);
  Changed(true);
}

}  // namespace bl
