#pragma once

// <windows.h> for the window's own files. Its MessageBox macro is dropped:
// the station's rz::MessageBox must keep its name here, since the core's
// functions that take one (compiled without this header) are called from
// these files. The window calls MessageBoxW by that name.
#include <windows.h>

#undef MessageBox
