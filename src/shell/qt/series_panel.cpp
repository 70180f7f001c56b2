#include "shell/qt/series_panel.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

#include "platform/color_palette.h"
#include "platform/qt/qt_canvas.h"

namespace bl {

namespace {

platform::Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// Draws the popup's items the way the closed list shows its current one.
class ItemDelegate : public QStyledItemDelegate {
 public:
  explicit ItemDelegate(OwnerDrawnCombo& combo) : QStyledItemDelegate(&combo), combo_(combo) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    platform::QtCanvas canvas(*painter, {option.rect.right() + 1, option.rect.bottom() + 1});
    PaintSeriesListItem(canvas, combo_.Kind(), index.row(), ToRect(option.rect),
                        option.state.testFlag(QStyle::State_Selected), combo_.SlotColor());
  }
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return {40, 20};
  }

 private:
  OwnerDrawnCombo& combo_;
};

// Puts items into a list unless it holds them already, so that a refill keeps an open list as
// it is.
void SetItems(QComboBox& list, const std::vector<std::string>& items) {
  bool same = list.count() == static_cast<int>(items.size());
  for (int i = 0; same && i < list.count(); ++i)
    same = list.itemText(i) == QString::fromStdString(items[static_cast<std::size_t>(i)]);
  if (same) return;
  list.clear();
  for (const std::string& item : items) list.addItem(QString::fromStdString(item));
}

}  // namespace

OwnerDrawnCombo::OwnerDrawnCombo(SeriesListKind kind, QWidget* parent)
    : QComboBox(parent), kind_(kind) {
  int count = kMarkerItems;
  if (kind == SeriesListKind::Color) count = platform::kSlotColorCount;
  if (kind == SeriesListKind::Thickness) count = kThicknessItems;
  for (int i = 0; i < count; ++i) addItem(QString());
  setItemDelegate(new ItemDelegate(*this));
  setFocusPolicy(Qt::NoFocus);
}

void OwnerDrawnCombo::SetSlotColor(int color) {
  slotColor_ = color;
  update();
}

void OwnerDrawnCombo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  platform::QtCanvas canvas(p, {width(), height()});
  PaintSeriesListItem(canvas, kind_, currentIndex(), {0, 0, width(), height()}, false, slotColor_);
}

SeriesPanel::SeriesPanel(QWidget* parent) : QWidget(parent) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    Row& row = rows_[i];
    const int slot = static_cast<int>(i);
    row.series = new QComboBox(parent);
    row.operation = new QComboBox(parent);
    row.secondSeries = new QComboBox(parent);
    row.color = new OwnerDrawnCombo(SeriesListKind::Color, parent);
    row.line = new OwnerDrawnCombo(SeriesListKind::Thickness, parent);
    row.marker = new OwnerDrawnCombo(SeriesListKind::Marker, parent);
    row.axis = new QPushButton("Left Axis", parent);
    row.axis->setFocusPolicy(Qt::NoFocus);
    const std::pair<QComboBox*, graph::SlotField> lists[] = {
        {row.series, graph::SlotField::Series},
        {row.operation, graph::SlotField::Operation},
        {row.secondSeries, graph::SlotField::SecondSeries},
        {row.color, graph::SlotField::Color},
        {row.line, graph::SlotField::Thickness},
        {row.marker, graph::SlotField::Marker}};
    for (const auto& [list, field] : lists)
      QObject::connect(list, &QComboBox::currentIndexChanged, this, [this, slot, f = field](int v) {
        if (onChoose && v >= 0) onChoose(slot, f, v);
      });
    QObject::connect(row.axis, &QPushButton::clicked, this, [this, slot] {
      if (onToggleAxis) onToggleAxis(slot);
    });
  }
  hide();  // the rows are the main window's children; this widget only groups them
}

void SeriesPanel::LayOut(int w, int h) {
  const int titleRight = w - 255;
  const int listWidth = std::max(40, (titleRight - 50 - 44) / 2);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    const int y = h - 105 + 25 * static_cast<int>(i) + 1;
    row.series->setGeometry(50, y, listWidth, 23);
    row.operation->setGeometry(50 + listWidth + 2, y, 40, 23);
    row.secondSeries->setGeometry(50 + listWidth + 44, y, titleRight - (50 + listWidth + 44), 23);
    row.color->setGeometry(w - 248, y, 46, 23);
    row.line->setGeometry(w - 198, y, 46, 23);
    row.marker->setGeometry(w - 148, y, 46, 23);
    row.axis->setGeometry(w - 98, y, 96, 23);
  }
}

void SeriesPanel::Fill(const graph::GraphPanel& panel) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    const graph::SlotPanelRow& p = panel.rows[i];
    const QSignalBlocker blocks[] = {
        QSignalBlocker(row.series), QSignalBlocker(row.operation), QSignalBlocker(row.secondSeries),
        QSignalBlocker(row.color),  QSignalBlocker(row.line),      QSignalBlocker(row.marker)};
    SetItems(*row.series, panel.seriesItems);
    SetItems(*row.secondSeries, panel.seriesItems);
    SetItems(*row.operation, p.operations);
    row.series->setCurrentIndex(p.series);
    row.secondSeries->setCurrentIndex(p.secondSeries);
    row.operation->setCurrentIndex(p.operation);
    row.color->setCurrentIndex(p.color);
    row.line->setCurrentIndex(p.thickness);
    row.marker->setCurrentIndex(p.marker);
    for (OwnerDrawnCombo* c : {row.color, row.line, row.marker}) c->SetSlotColor(p.color);
    row.axis->setText(QString::fromStdString(p.axisText));
  }
}

void SeriesPanel::SetVisible(bool visible) {
  for (const Row& row : rows_)
    for (QWidget* w : std::initializer_list<QWidget*>{row.series, row.operation, row.secondSeries,
                                                      row.color, row.line, row.marker, row.axis})
      w->setVisible(visible);
}

}  // namespace bl
