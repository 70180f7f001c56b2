#include "editor/qt/file_list_widget.h"

#include <QHeaderView>
#include <QTimer>
#include <string>

#include "platform/qt/qt_fonts.h"

namespace bl::editor {

FileListWidget::FileListWidget(FileList& list, QWidget* parent) : QTreeWidget(parent), list_(list) {
  setObjectName("EditorFiles");
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
    // A tree that has not caught up with the list yet shows items that may be gone.
    if (rebuildPending_) return;
    const FileListRef ref = RefOf(item);
    const std::string text(FileListText(list_, ref));
    // Activation may open a file and so change the list: let the tree finish its event first.
    // Should the list have changed under the click meanwhile, the click is dropped rather than
    // given to whatever item now stands in that place.
    QTimer::singleShot(0, this, [this, ref, text] {
      if (onActivate && FileListText(list_, ref) == text) onActivate(ref);
    });
  });
  list_.changed = [this] { ScheduleRebuild(); };
  Rebuild();
}

FileListWidget::~FileListWidget() { list_.changed = nullptr; }

void FileListWidget::ScheduleRebuild() {
  if (rebuildPending_) return;
  rebuildPending_ = true;
  QTimer::singleShot(0, this, [this] { Rebuild(); });
}

void FileListWidget::Rebuild() {
  rebuildPending_ = false;
  // The roots keep the expansion the user gave them; a root that has just gained items opens,
  // so that the files a project brought in are in sight.
  std::vector<bool> expanded;
  std::vector<int> shown;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    expanded.push_back(topLevelItem(i)->isExpanded());
    shown.push_back(topLevelItem(i)->childCount());
  }
  clear();
  for (std::size_t r = 0; r < list_.roots.size(); ++r) {
    const FileListRoot& root = list_.roots[r];
    auto* item = new QTreeWidgetItem(this, {platform::ToQt(root.text)});
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    for (const std::string& child : root.children)
      new QTreeWidgetItem(
          item, {QString::fromLocal8Bit(child.data(), static_cast<qsizetype>(child.size()))});
    const bool grew = r < shown.size() && static_cast<int>(root.children.size()) > shown[r];
    if (grew || (r < expanded.size() && expanded[r])) item->setExpanded(true);
  }
}

FileListRef FileListWidget::RefOf(const QTreeWidgetItem* item) const {
  if (!item) return {};
  // Qt's index lookups take non-const items; nothing is changed through them.
  auto* mutableItem = const_cast<QTreeWidgetItem*>(item);
  if (QTreeWidgetItem* parent = mutableItem->parent())
    return {indexOfTopLevelItem(parent), parent->indexOfChild(mutableItem)};
  return {indexOfTopLevelItem(mutableItem), -1};
}

QTreeWidgetItem* FileListWidget::ItemOf(FileListRef ref) const {
  QTreeWidgetItem* root = topLevelItem(ref.root);
  if (!root || ref.child < 0) return root;
  return root->child(ref.child);
}

}  // namespace bl::editor
