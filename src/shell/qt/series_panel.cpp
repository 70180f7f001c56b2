#include "shell/qt/series_panel.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

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

// Default slot colours: red, yellow, green and blue.
constexpr int kDefaultColors[] = {1, 3, 5, 9};

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
    row.series = new QComboBox(parent);
    row.operation = new QComboBox(parent);
    for (const char* op : {"+", "-", "*", "/"}) row.operation->addItem(op);
    row.secondSeries = new QComboBox(parent);
    row.color = new OwnerDrawnCombo(SeriesListKind::Color, parent);
    row.color->setCurrentIndex(kDefaultColors[i]);
    row.line = new OwnerDrawnCombo(SeriesListKind::Thickness, parent);
    row.line->setCurrentIndex(1);
    row.marker = new OwnerDrawnCombo(SeriesListKind::Marker, parent);
    row.marker->setCurrentIndex(0);
    for (OwnerDrawnCombo* c : {row.color, row.line, row.marker}) c->SetSlotColor(kDefaultColors[i]);
    row.axis = new QPushButton("Left Axis", parent);
    row.axis->setFocusPolicy(Qt::NoFocus);
    QObject::connect(row.color, &QComboBox::currentIndexChanged, row.color, [&row](int color) {
      for (OwnerDrawnCombo* c : {row.color, row.line, row.marker}) c->SetSlotColor(color);
    });
  }
  SetSeriesCount(48);
  rows_[0].series->setCurrentIndex(1);  // slot 1 shows series 1 at start
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

void SeriesPanel::SetSeriesCount(int count) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    for (QComboBox* list : {rows_[i].series, rows_[i].secondSeries}) {
      const int current = list->currentIndex();
      list->clear();
      list->addItem(QString());
      for (int s = 1; s <= count; ++s) list->addItem(QString("#%1: ").arg(s));
      list->setCurrentIndex(current >= 0 && current <= count ? current : 0);
    }
  }
}

void SeriesPanel::SetVisible(bool visible) {
  for (const Row& row : rows_)
    for (QWidget* w : std::initializer_list<QWidget*>{row.series, row.operation, row.secondSeries,
                                                      row.color, row.line, row.marker, row.axis})
      w->setVisible(visible);
}

}  // namespace bl
