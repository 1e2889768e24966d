#include "journal_view.h"

#include <QHeaderView>

namespace rz::gui {

JournalView::JournalView(int columnWidth, int rowHeight, QWidget* parent) : QTableView(parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  setShowGrid(true);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  // Not a tab stop: only the button handlers put the focus here.
  setFocusPolicy(Qt::NoFocus);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setDefaultSectionSize(columnWidth);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(rowHeight);
}

void JournalView::ScrollToRow(int row) {
  const QModelIndex index = model() != nullptr ? model()->index(row, 0) : QModelIndex();
  if (!index.isValid()) return;
  // The scroll range grows only at the next relayout; bring it up to date so
  // that the new last line can be reached now.
  updateGeometries();
  scrollTo(index);
}

}  // namespace rz::gui
