#pragma once

#include <QTableView>

namespace rz::gui {

// The journal's list: one column with grid lines, no headers, uniform row
// heights (so a long journal costs nothing to lay out), and a scroll that also
// works right after rows were added, before the view's delayed relayout has
// caught up with them.
//
// The column starts at its design width and widens to the longest line shown
// so far, so that no line is cut at the column's edge: a line wider than the
// view brings up the horizontal scroll bar.
class JournalView final : public QTableView {
  Q_OBJECT

 public:
  JournalView(int columnWidth, int rowHeight, QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;
  // Scrolls so that `row` is fully visible.
  void ScrollToRow(int row);

 private:
  // Widens the column to the widest of rows first..last, if need be.
  void FitRows(int first, int last);
};

}  // namespace rz::gui
