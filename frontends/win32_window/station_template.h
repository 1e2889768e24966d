#pragma once

#include "windows_api.h"

#include <vector>

namespace rz::win32 {

// The main window's dialog template (DLGTEMPLATEEX), built in memory from the
// core's control table (kMainWindowControls) for CreateDialogIndirectParamW:
// a modal frame with a caption but no system menu (so no close box), listed
// in the task bar, in Lucida Console 9 pt (or the fixed-width face that stands in for it, see
// FixedFontFace). The buttons are the only tab
// stops, in focus-index order; the first is the default button. The vector's
// storage is suitably aligned for the template.
std::vector<DWORD> StationDialogTemplate();

}  // namespace rz::win32
