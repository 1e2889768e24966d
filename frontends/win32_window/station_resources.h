// Resource and control ids of the station's main window, shared by the
// resource script and the code (preprocessor definitions only, so that the
// resource compiler can read them).
#pragma once

#define IDD_STATION_DIALOG 102
#define IDI_STATION 128

// Operation buttons, in tab order (focus index 1..12).
#define IDC_DOWNLOAD 1000
#define IDC_CONFIGURATION 1002
#define IDC_SERVICE_COM 1001
#define IDC_SDRAM 1021
#define IDC_FLASH_TEST 1003
#define IDC_ETHERNET_TEST 1009
#define IDC_RTC 1067
#define IDC_EXTERNAL_COM 1036
#define IDC_DEBUG 1010
#define IDC_FILE_TO_FLASH 1004
#define IDC_FLASH_TO_FILE 1005
#define IDC_EXIT 1006

#define IDC_STATUS_LINE 1014
#define IDC_JOURNAL 1007
#define IDC_SELECTOR_FRAME 1033
#define IDC_ETHERNET_SWITCH 1042
#define IDC_PORT_SELECTOR 1059
#define IDC_CPU_SELECTOR 1060
#define IDC_SOUND_LABEL 1034
