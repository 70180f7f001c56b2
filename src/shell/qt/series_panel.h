#pragma once

#include <QComboBox>
#include <QWidget>
#include <array>
#include <functional>

#include "graph/graph_input.h"
#include "shell/series_panel_items.h"

class QPushButton;

namespace bl {

// A list whose items the main window draws: markers, colour swatches or line widths.
class OwnerDrawnCombo : public QComboBox {
 public:
  OwnerDrawnCombo(SeriesListKind kind, QWidget* parent = nullptr);
  // The row's colour, which markers and lines are drawn in.
  void SetSlotColor(int color);
  int SlotColor() const { return slotColor_; }
  SeriesListKind Kind() const { return kind_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  SeriesListKind kind_;
  int slotColor_ = 1;
};

// The controls of the graph view under the graph: one row per slot with the series, operation
// and second series lists, the colour, line and marker lists and the axis button.
class SeriesPanel : public QWidget {
 public:
  struct Row {
    QComboBox* series = nullptr;
    QComboBox* operation = nullptr;
    QComboBox* secondSeries = nullptr;
    OwnerDrawnCombo* color = nullptr;
    OwnerDrawnCombo* line = nullptr;
    OwnerDrawnCombo* marker = nullptr;
    QPushButton* axis = nullptr;
  };

  explicit SeriesPanel(QWidget* parent);

  // Places the rows for a client area of w x h pixels (rows of 25 pixels from y = h - 105).
  void LayOut(int w, int h);
  // Shows the slots as the panel record has them. Filling fires none of the handlers below.
  void Fill(const graph::GraphPanel& panel);
  const Row& RowAt(int i) const { return rows_[static_cast<std::size_t>(i)]; }
  void SetVisible(bool visible);

  // A choice in one of a slot's lists (the entry chosen) and the axis button.
  std::function<void(int slot, graph::SlotField field, int value)> onChoose;
  std::function<void(int slot)> onToggleAxis;

 private:
  std::array<Row, 4> rows_;
};

}  // namespace bl
