#pragma once

#include <QTableView>

namespace rz::gui {

// The journal's list: one fixed-width column with grid lines, no headers,
// uniform row heights (so a long journal costs nothing to lay out), and a
// scroll that also works right after rows were added, before the view's
// delayed relayout has caught up with them.
class JournalView final : public QTableView {
  Q_OBJECT

 public:
  JournalView(int columnWidth, int rowHeight, QWidget* parent = nullptr);

  // Scrolls so that `row` is fully visible.
  void ScrollToRow(int row);
};

}  // namespace rz::gui
