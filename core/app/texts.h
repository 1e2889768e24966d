#pragma once

// The station's own texts, UTF-8. Several mix Latin letters that look like
// Cyrillic ones into Cyrillic words; those letters are written as escapes
// (\u0421 is the Cyrillic С, plain ASCII letters are Latin) so that the exact
// bytes stay visible. The results log turns them into CP1251.

namespace rz::text {

// Captions of message boxes: file, port, socket and address errors, and (with a
// leading blank) refusals of a button and image-file checks.
inline constexpr const char* kErrorCaption = "Ошибка";
inline constexpr const char* kRefusalCaption = " Ошибка";

// Main window.
inline constexpr const char* kWindowCaption = "ВЕСК          2007          Тест RZ-контроллера v2.6f";
inline constexpr const char* kSoundLabel = "Sound";
// The label while the sound option is off: a single blank.
inline constexpr const char* kSoundLabelOff = " ";
// The label while writes over COM are read back (key V); a single blank otherwise.
inline constexpr const char* kVerifyLabel = "Verify";
inline constexpr const char* kVerifyLabelOff = " ";
inline constexpr const char* kEthernetSwitch = "Работа через Ethernet";
inline constexpr const char* kJournalColumn = "Message";
inline constexpr const char* kPortEntries[] = {"COM1", "COM2", "NONE"};
inline constexpr const char* kCpuEntries[] = {"CPU 74МГц", "CPU 90МГц"};

// Buttons in tab order (focus index 1..12), as the window template has them.
inline constexpr const char* kButtonCaptions[] = {
    "Загрузка программы", "Конфигурация",       "Тест служебн.COMа(v7)", "Тест SDRAM",
    "Тест FLASH",         "Тест ETHERNET",      "Тест RTC",              "Тест внешних COMов",
    "Отладка",            "Запись file->Flash", "Чтение Flash->file",    "Выход"};
// Captions set by the option keys; the "СОМ" here is Cyrillic.
inline constexpr const char* kServiceComV7 = "Тест служеб.\u0421\u041E\u041Cа(v7)";
inline constexpr const char* kServiceComV5 = "Тест служеб.\u0421\u041E\u041Cа(v5)";
inline constexpr const char* kFlashTestOn = "Тест Flash";
inline constexpr const char* kFlashTestOff = "xТест Flash";
inline constexpr const char* kFileToFlashAny = "Запись file.*->Flash";
inline constexpr const char* kFileToFlashRzi = "Запись file.rzi->Flash";

// Status line; two blanks before "<ENTER>", three before "<ESC>".
inline constexpr const char* kStatusIdle = "<TAB>-выбор операции  <ENTER>-выполнить";
inline constexpr const char* kStatusBusy = "<ESC>-прервать операцию";
inline constexpr const char* kStatusExtCom = "<ПРОБЕЛ>-Изменить параметры   <ESC>-прервать операцию";

// Refusals.
inline constexpr const char* kOnlyOverCom = "Функция работает только по COM";
inline constexpr const char* kNotAvailable = "Функция недоступна";
// Refusals the station adds where a front end without the window's disabled
// controls could otherwise ask for something the window never allows.
inline constexpr const char* kCpuSelectorDisabled =
    "Переключатель CPU недоступен: контроллер работает на 90 МГц (сначала загрузите программу заново)";
inline constexpr const char* kNoWorkerThread = "Операция не запущена: не удалось создать рабочий поток";

// Start-up and files.
inline constexpr const char* kFileOpenError = "Ошибка открытия файла ";
inline constexpr const char* kPortOpenError = "Ошибка открытия ";
inline constexpr const char* kFileCreateError = "Ошибка создания файла ";

// Journal: common.
inline constexpr const char* kSeparator = " ";
inline constexpr const char* kAborted = " Операция прервана.";
inline constexpr const char* kAbortedTimeout = " Операция прервана.(TimeOut)";
inline constexpr const char* kDone = " Операция выполнена.";

// Journal: port reselection ("С" Cyrillic, "OM" Latin).
inline constexpr const char* kCom1Opened = " Открыт \u0421OM1: 115200,8,n,1";
inline constexpr const char* kCom2Opened = " Открыт \u0421OM2: 115200,8,n,1";
inline constexpr const char* kCom1Failed = " **Ошибка открытия \u0421OM1";
inline constexpr const char* kCom2Failed = " **Ошибка открытия \u0421OM2";
inline constexpr const char* kNoPort = " **Ошибка открытия \u0421OM1/2";
// The open port's device went away during an operation: " *Порт COM1 отключён".
inline constexpr const char* kPortGonePrefix = " *Порт ";
inline constexpr const char* kPortGoneSuffix = " отключён";
// Notes (stderr of the command line) on waits that ended without ESC.
inline constexpr const char* kPortGoneNote = ": устройство порта пропало, операция прервана, порт закрыт";
inline constexpr const char* kSilenceNotePrefix = "плата молчит ";
inline constexpr const char* kSilenceNoteSuffix = " с: ожидание прервано, как по <ESC>";

// Journal: test-program download.
inline constexpr const char* kDownloadHeading = " == Загрузка программы в контроллер ==";
inline constexpr const char* kPressReset = " Нажмите кнопку <RESET>...";
inline constexpr const char* kProgramTooBig = " *Ошибка. Размер программы больше 24576 байт";
inline constexpr const char* kDownloadProgress = " Загрузка программы: ";
inline constexpr const char* kBoardReady = " Контроллер готов к работе.";

// Journal: configuration readout ("O" of "Oшибка" Latin, "M" of "MГц" Latin,
// "B" of the voltages Latin, "x" of "2x8" Latin).
inline constexpr const char* kCpuHeading = " == CPU ==";
inline constexpr const char* kSdramHeading = " == SDRAM ==";
inline constexpr const char* kFlashHeading = " == FLASH ==";
inline constexpr const char* kEthernetHeading = " == ETHERNET ==";
inline constexpr const char* kCpuReadError = " *Oшибка чтения параметров CPU.";
inline constexpr const char* kSdramReadError = " *Oшибка чтения параметров SDRAM.";
inline constexpr const char* kFlashReadError = " *Oшибка чтения параметров FLASH.";
inline constexpr const char* kEthernetReadError = " *Oшибка чтения параметров Ethernet.";
inline constexpr const char* kProcessor74 = " Процессор: EP7312-74MГц";
inline constexpr const char* kProcessor90 = " Процессор: EP7312-90MГц";

// Journal: CPU clock switch ("XX" Latin, "МГц" Cyrillic).
inline constexpr const char* kCpuSwitching = " CPU->XXМГц...";
inline constexpr const char* kCpuAt74 = " CPU->74МГц";
inline constexpr const char* kCpuAt90 = " CPU->90МГц";

}  // namespace rz::text
