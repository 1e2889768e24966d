#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace rz::gui {

// The file dialogs of the Flash transfer buttons: one filter "(*.*)" that
// offers every file, starting in `folder`, no default extension. The save
// dialog asks before it overwrites an existing file.
std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* owner, const QString& folder);
std::unique_ptr<QFileDialog> MakeSaveFileDialog(QWidget* owner, const QString& folder);

}  // namespace rz::gui
