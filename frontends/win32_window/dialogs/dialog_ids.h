#pragma once

// Resource ids of the dialog templates in dialogs.rc and of their controls.
// Plain #defines: the resource compiler reads this file too.

// Debug console.
#define IDD_DEBUG 134
#define IDC_DEBUG_ETHERNET 1022
#define IDC_DEBUG_SDRAM 1023
#define IDC_DEBUG_FLASH 1024
#define IDC_DEBUG_SERVICE_COM 1025
#define IDC_DEBUG_EXTERNAL_COMS 1037
#define IDC_DEBUG_EXIT 1006
#define IDC_DEBUG_OPERATION 1031
#define IDC_DEBUG_ADDRESS 1029
#define IDC_DEBUG_DATA 1030
#define IDC_DEBUG_JOURNAL 1007
#define IDC_DEBUG_STATUS 1014
#define IDC_DEBUG_OPERATION_LABEL 1033
#define IDC_DEBUG_ADDRESS_LABEL 1034
#define IDC_DEBUG_DATA_LABEL 1035

// Parameters of the external channel test.
#define IDD_TEST_PARAMS 144
#define IDC_PARAMS_SPEED_LABEL 1033
#define IDC_PARAMS_SPEED 1059
#define IDC_PARAMS_TEST_LABEL 1035
#define IDC_PARAMS_FIFO 1060
#define IDC_PARAMS_BLOCK_LABEL 1034
#define IDC_PARAMS_BLOCK 1019
#define IDC_PARAMS_LINE_LABEL 1036
#define IDC_PARAMS_LINE 1061
#define IDC_PARAMS_CODE_LABEL 1068
#define IDC_PARAMS_CODE 1069
#define IDC_PARAMS_CHANNELS_LABEL 1072
#define IDC_PARAMS_CHANNELS 1071
#define IDC_PARAMS_FRAME 1014

// Byte count of the Flash-to-file transfer.
#define IDD_BYTE_COUNT 145
#define IDC_BYTE_COUNT_EDIT 1000
#define IDC_BYTE_COUNT_HINT 1001

// Board address for the work through Ethernet.
#define IDD_IP_ADDRESS 146
#define IDC_IP_ADDRESS_EDIT 1000

// Serial number of the board.
#define IDD_SERIAL_NUMBER 147
#define IDC_SERIAL_NUMBER_EDIT 1000
