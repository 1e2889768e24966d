#include "caption_fit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <algorithm>

namespace rz::gui {
namespace {

// Icon, three boxes and the margins, in title-bar heights (about 1.6 lines).
constexpr int kDecorationLines = 9;

}  // namespace

int CaptionWidth(const QWidget& window) {
  QFont font = QApplication::font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(window.windowTitle()) + kDecorationLines * metrics.height();
}

void FitToCaption(QWidget& window) {
  window.setMinimumWidth(std::max(window.minimumWidth(), CaptionWidth(window)));
}

void FitToCaption(QMessageBox& box) {
  // A message box resets its own minimum size; a spacer across its grid holds.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(CaptionWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

}  // namespace rz::gui
