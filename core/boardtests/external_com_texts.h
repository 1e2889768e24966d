#pragma once

// The texts of the external channel test and its parameters dialog, UTF-8
// (see app/texts.h for the conventions). In the title "COM" is Latin and "ов"
// Cyrillic; "0123" and "00FF" are digits and Latin letters.

namespace rz::text {

inline constexpr const char* kExtComTitle = " =Тестирование внешних COMов=";

// Header row 1, by line mode 0..4 and speed code 1..8.
inline constexpr const char* kExtComLineModes[] = {" RS485-Mon", " RS485-HDupl", " CL20-nEcho", " Duplex",
                                                   " Внут.петля"};
inline constexpr const char* kExtComSpeeds[] = {"115200,8n1", "57600,8n1", "38400,8n1", "19200,8n1",
                                                "9600,8n1",   "4800,8n1",  "2400,8n1",  "1200,8n1"};
inline constexpr const char* kExtComUnknownSpeed = "???,8n1";
inline constexpr const char* kExtComCodes[] = {" Код:0123", " Код:00FF"};

// Header row 2, by FIFO mode 0..3.
inline constexpr const char* kExtComChannel = " Канал";
inline constexpr const char* kExtComFifoModes[] = {"  Byte Mode", "  sFIFO+IRQ", "   LatchRG ", "   pFIFO+IRQ "};
inline constexpr const char* kExtComUnknownFifo = "  ???";
inline constexpr const char* kExtComErrors = "  Ошибки";

inline constexpr const char* kExtComAbsent = "--       -";
// Below the table when a cycle limit ends a run that tested no channel.
inline constexpr const char* kExtComNothingTested = " *Ни один канал не протестирован.";

// The parameters dialog.
inline constexpr const char* kParamsCaption = " Параметры тестирования";
inline constexpr const char* kParamsSpeedLabel = "Скорость";
inline constexpr const char* kParamsTestLabel = "Тест";
inline constexpr const char* kParamsBlockLabel = "Размер блока";
inline constexpr const char* kParamsLineLabel = "Режим";
inline constexpr const char* kParamsCodeLabel = "Тестовый код";
inline constexpr const char* kParamsChannelsLabel = "Количество каналов";
inline constexpr const char* kParamsSpeeds[] = {"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"};
inline constexpr const char* kParamsFifoModes[] = {"Байтовый режим", "последов. FIFO+IRQ", "Latch-регистр",
                                                   "параллел. FIFO+IRQ"};
inline constexpr const char* kParamsLineModes[] = {"RS485-Монитор", "RS485-Полудуплекс", "CL20-блокировка <эхо>",
                                                   "Дуплекс", "Внутреняя петля"};
inline constexpr const char* kParamsCodes[] = {"0-1-2-3", "FF-00-FF"};
inline constexpr const char* kParamsChannelCounts[] = {"16", "32"};
inline constexpr const char* kParamsOk = "OK";
inline constexpr const char* kParamsCancel = "Cancel";

}  // namespace rz::text
