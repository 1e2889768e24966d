#pragma once

// Journal texts of the SDRAM, Ethernet, RTC and service COM tests, UTF-8.
// Latin letters that look like Cyrillic ones are plain ASCII here; the Cyrillic
// ones among them are escapes (\u0441 is the Cyrillic es), as in app/texts.h.

namespace rz::text {

// Common endings of the board tests.
inline constexpr const char* kTestPassed = " Тестирование завершено успешно.";

// SDRAM test: the "M" of "Mб" and the "O" of "*Oшибки." are Latin, the "с" of
// the pause figure is Cyrillic; " *Ошибка." is Cyrillic throughout.
inline constexpr const char* kSdramConfigError = " *Ошибка чтения параметров SDRAM.";
// Followed by the word read, eight hexadecimal digits.
inline constexpr const char* kSdramUnknownConfig = " *Неизвестная конфигурация SDRAM: 0x";
inline constexpr const char* kSdramWritePrefix = ".Запись SDRAM(";  // " %d" before, "%d Mб): " after
inline constexpr const char* kSdramReadPrefix = "   Чтение SDRAM(";
inline constexpr const char* kSdramSizeSuffix = " Mб): ";
inline constexpr const char* kSdramPause = "   Пауза на регенерацию: ";
inline constexpr const char* kSdramSeconds = "\u0441";
inline constexpr const char* kKilobytes = " Кбайт";
inline constexpr const char* kSdramBlockError = " *Ошибка.";
inline constexpr const char* kSdramPhaseErrors = "*Oшибки.";
inline constexpr const char* kSdramAborted = "   Операция прервана.";
inline constexpr const char* kSdramPassed = "   Тестирование завершено успешно.";
inline constexpr const char* kOk = "OK";

// Ethernet test.
inline constexpr const char* kEthernetProgress = " Тестирование Ethernet: ";
inline constexpr const char* kEthernetDone = " Тестирование Ethernet: 100%";
inline constexpr const char* kEthernetInitError = " *Ошибка инициализации.";
inline constexpr const char* kEthernetStepErrors = " *Ошибки";

// RTC test: the "c" of the seconds and the "O" of "*Oшибки." are Latin.
inline constexpr const char* kRtcProgress = " Тестирование RTC: ";
inline constexpr const char* kRtcSeconds = "c";
inline constexpr const char* kRtcErrors = "*Oшибки.";

// Service COM test: "COMa" of the heading is Latin; the "*Ошибка" endings are
// Cyrillic.
inline constexpr const char* kServiceComHeading = " == Тестирование служебного COMa ==";
inline constexpr const char* kServiceLoop = " TxD->RxD: ";
inline constexpr const char* kServiceLoopOk = " TxD->RxD: OK";
inline constexpr const char* kServiceLoopError = " *Ошибка";
inline constexpr const char* kRtsCheck = " RTS->CTS,DCD: ";
inline constexpr const char* kDtrDsrCheck = " DTR->DSR,RI: ";
inline constexpr const char* kDtrDcdCheck = " DTR->DCD: ";
inline constexpr const char* kLineOk = "OK";
inline constexpr const char* kLineNotConnected = "NC";
inline constexpr const char* kLineError = "*Ошибка.";

}  // namespace rz::text
