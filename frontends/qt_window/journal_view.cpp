#include "journal_view.h"

#include <QHeaderView>
#include <QStyle>

#include <algorithm>

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

void JournalView::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  if (model == nullptr) return;
  connect(model, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { FitRows(first, last); });
  connect(model, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& from, const QModelIndex& to) { FitRows(from.row(), to.row()); });
  FitRows(0, model->rowCount() - 1);
}

void JournalView::FitRows(int first, int last) {
  const QFontMetrics metrics = fontMetrics();
  // The delegate's text margin on each side, and the grid line.
  const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
  int widest = columnWidth(0);
  for (int row = first; row <= last; ++row) {
    const QString text = model()->data(model()->index(row, 0)).toString();
    widest = std::max(widest, metrics.horizontalAdvance(text) + margins);
  }
  if (widest > columnWidth(0)) setColumnWidth(0, widest);
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
