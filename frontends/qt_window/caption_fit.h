#pragma once

#include <Qt>

class QMessageBox;
class QWidget;

namespace rz::gui {

// A small dialog's caption: the title alone, no system menu and no boxes (ESC
// cancels it; a window manager that shows a close box all the same cancels
// it too).
inline constexpr Qt::WindowFlags kSmallDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// The width a window needs for its whole caption to show in a window
// manager's title bar: the caption in a bold application font, the icon and
// up to three boxes beside it, and the bar's margins.
int CaptionWidth(const QWidget& window);

// Makes a small window at least as wide as its caption needs.
void FitToCaption(QWidget& window);

// The same for a message box, which sizes itself to its text when shown.
void FitToCaption(QMessageBox& box);

}  // namespace rz::gui
