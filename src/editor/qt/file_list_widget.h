#pragma once

#include <QTreeWidget>
#include <functional>

#include "editor/file_list.h"

namespace bl::editor {

// The file list under the editor ("EditorFiles"): a tree of the FileList's roots, each with an
// expand button, and their items. It follows the model after every change; a double click on an
// item is handed to onActivate.
class FileListWidget : public QTreeWidget {
 public:
  explicit FileListWidget(FileList& list, QWidget* parent = nullptr);
  ~FileListWidget() override;

  std::function<void(FileListRef item)> onActivate;

  // Rebuilds the tree from the model now (changes are otherwise taken in once control returns
  // to the event loop, never while the tree is handling an event of its own).
  void Rebuild();
  // The model's item shown by a tree item.
  FileListRef RefOf(const QTreeWidgetItem* item) const;
  // The tree item that shows a model item, or null.
  QTreeWidgetItem* ItemOf(FileListRef ref) const;

 private:
  void ScheduleRebuild();

  FileList& list_;
  bool rebuildPending_ = false;
};

}  // namespace bl::editor
