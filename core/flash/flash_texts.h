#pragma once

// The Flash test's and the image transfers' own texts, UTF-8 (see app/texts.h
// for the look-alike letters: "С" of "СOM" is Cyrillic, "OM" Latin; the "M" of
// "Mбайт" in the size refusal is Latin; the "x" of "2x8" and "2x64" is Latin).

namespace rz::text {

// Fault masks of the Flash commands.
inline constexpr const char* kMaskFl0 = " *Ошибка: fl_0";
inline constexpr const char* kMaskFl1 = " *Ошибка: fl_1";
inline constexpr const char* kMaskBoth = " *Ошибка: fl_1,fl_0";
inline constexpr const char* kRetry = " Повтор";

// Flash test.
inline constexpr const char* kFlashTestHeading = " == Тестирование FLASH ==";
inline constexpr const char* kEraseSmall = " Стирание <2x8 Кбайт> блока: ";
inline constexpr const char* kEraseLarge = " Стирание <2x64 Кбайт> блока: ";
inline constexpr const char* kEraseAllOk = " Стирание Flash (8 Мбайт): OK";
inline constexpr const char* kTestSmall = " Запись-Чтение <2x8 Кбайт> блока: ";
inline constexpr const char* kTestLarge = " Запись-Чтение <2x64 Кбайт> блока: ";
inline constexpr const char* kTestAllOk = " Запись-чтение Flash (8 Мбайт): OK";
inline constexpr const char* kTestPassed = " Тестирование завершено успешно.";

// Image files.
inline constexpr const char* kImageSize = "Размер файла > 8 Mбайт";
inline constexpr const char* kImageSignature = "Ошибка сигнатуры файла";
inline constexpr const char* kImageChecksum = "Ошибка контрольной суммы";

// File to Flash.
inline constexpr const char* kWriteHeadingCom = " == Запись <%s> по \u0421OM ==";
inline constexpr const char* kEraseProgress = " Стирание Flash: ";
inline constexpr const char* kEraseDoneFile = " Стирание Flash: 100% [File]";
inline constexpr const char* kEraseDoneFlash = " Стирание Flash: 100% [Flash]";
inline constexpr const char* kWriteProgress = " Запись Flash: ";
inline constexpr const char* kWriteDone = " Запись Flash: 100%";
inline constexpr const char* kWritePassed = " Запись завершена успешно.";

// Flash to file.
inline constexpr const char* kReadHeadingCom = " == Чтение %d байт в <%s> по \u0421OM ==";
inline constexpr const char* kReadProgress = " Чтение Flash: ";
inline constexpr const char* kReadDone = " Чтение Flash: 100%";
inline constexpr const char* kReadFailed = " *ОШИБКА*";
inline constexpr const char* kReadPassed = " Чтение завершено успешно.";

// The transfers over Ethernet.
inline constexpr const char* kWriteHeadingUdp = " == Запись <%s> по Ethernet ==";
inline constexpr const char* kReadHeadingUdp = " == Чтение %d байт в <%s> по Ethernet ==";
inline constexpr const char* kEraseDoneUdp = " Стирание Flash: 100%";
inline constexpr const char* kEraseFailedUdp = " *ОШИБКА*";
inline constexpr const char* kWriteFailedUdp = " *Ошибка записи";
inline constexpr const char* kReadFailedUdp = " *Ошибка";

// Reading back what was written, and checking pieces read in doubt.
inline constexpr const char* kCheckProgress = " Проверка Flash: ";
inline constexpr const char* kCheckFailed = " *Ошибка проверки";
// "%s" in turn: the address, the word written, the word read (hexadecimal).
inline constexpr const char* kCheckMismatch = " *Адрес %s: записано %s, прочитано %s";

// Transfer buttons: files and the byte count.
inline constexpr const char* kOpenFileFailed = "Ошибка открытия файла <%s>";
inline constexpr const char* kCreateFileFailed = "Ошибка создания файла <%s>";
inline constexpr const char* kBadByteCount = "Кол-во байт чтения: %d";
inline constexpr const char* kFileFilter = "(*.*)";
inline constexpr const char* kFilePattern = "*.*";
inline constexpr const char* kByteCountTitle = " Кол-во  байт чтения ";
inline constexpr const char* kByteCountHint = "Кол-во (dec): 0..8388608";

}  // namespace rz::text
