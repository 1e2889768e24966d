#pragma once

class QCoreApplication;

namespace rz::gui {

// Makes Qt's own texts Russian (the standard buttons, the file dialogs, the
// overwrite question) with the translations installed with Qt, and makes
// Russian the default locale. Returns false when no translation was found;
// the window then still works, with Qt's English texts.
bool InstallRussianTranslation(QCoreApplication& app);

}  // namespace rz::gui
