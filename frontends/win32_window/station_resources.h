// Resource ids of the station's main window, shared by the resource script
// and the code (preprocessor definitions only, so that the resource compiler
// can read them). The controls' ids are in the core's control table.
#pragma once

#define IDI_STATION 128
