#pragma once

// The debug console's own texts, UTF-8. Latin letters that stand in Cyrillic
// words are written as plain ASCII and Cyrillic letters in Latin words as
// escapes, so that the exact bytes stay visible: the "O" of "OШИБКА" and the
// "C" of "Cправка" are Latin, the last letter of "txс" in the service COM list
// is the Cyrillic с (\u0441).

namespace rz::debugtext {

// Window.
inline constexpr const char* kCaption = "   Отладка RZ-контроллера";
inline constexpr const char* kTargetButtons[] = {"Ethernet", "SDRAM", "Flash", "Служебный COM", "Внешние COMы"};
inline constexpr const char* kExitButton = "Выход";
inline constexpr const char* kOperationLabel = "Операция";
inline constexpr const char* kAddressLabel = "Адрес";
inline constexpr const char* kDataLabel = "Данные";
inline constexpr const char* kJournalColumn = "Message";
inline constexpr const char* kHelpCaption = "Cправка";

// Status line; two blanks before "<ENTER>".
inline constexpr const char* kStatusIdle = "<TAB>-выбор операции  <ENTER>-выполнить";
inline constexpr const char* kStatusBusy = "<ESC>-прервать операцию";

// Field errors ("O" Latin).
inline constexpr const char* kOperationError = " *OШИБКА* в поле <Операция>";
inline constexpr const char* kAddressError = " *OШИБКА* в поле <Адрес>";
inline constexpr const char* kDataError = " *OШИБКА* в поле <Данные>";

// Journal.
inline constexpr const char* kSeparator = "-------------";
inline constexpr const char* kWorking3 = " Выполняю...";
inline constexpr const char* kWorking2 = " Выполняю..";
// The memory and service COM executors close without a dot, the channel
// executor with one.
inline constexpr const char* kDoneNoDot = " Операция выполнена";
inline constexpr const char* kAbortedNoDot = " Операция прервана";
inline constexpr const char* kDoneDot = " Операция выполнена.";
inline constexpr const char* kAbortedDot = " Операция прервана.";
inline constexpr const char* kSdramAddressCheck = " SDRAM ADDR: 1|0";
inline constexpr const char* kFlashAddressCheck = " FLASH ADDR: 1|0";
inline constexpr const char* kBusOk = " Шина данных: OK";
inline constexpr const char* kBusError = " Шина данных: ERR";
inline constexpr const char* kLatchPrefix = " Latch-регистр=";
inline constexpr const char* kAllChannels = " канал:все ";
inline constexpr const char* kChannel = " канал:";
inline constexpr const char* kSpeed = "скорость:";
inline constexpr const char* kTx0Tail = " TX=0,DTR=1,RTS=0";
inline constexpr const char* kDataPrefix = "данные:0x";
inline constexpr const char* kRegisterLabels[] = {"  DLL(0)=", "  DLM(1)=", "  IER(1)=", "  ISR(2)=", "  LCR(3)=",
                                                  "Latch(4)=", "  LSR(5)=", "  MSR(6)=", "  SPR(7)="};

// Operation lists shown when the operation field gets the focus, by target.
inline constexpr const char* kOperationLists[] = {
    "txc  |  w  |  wc  |  r  |  rc",
    "w  |  wc  |  r  |  rc | a",
    "w  | wc  |  r  |  rc | a",
    "tx\u0441  |  rts  |  dtr",
    "irq | rds | txd | tx0 | dac | db | dbc | sr | rl | rlc",
};

// Field hints.
inline constexpr const char* kNotUsed = "Не используется";
inline constexpr const char* kEthernetAddressHint = "Адрес: 0x0..0xF";
inline constexpr const char* kSdramAddressHint = "Адрес 32мб: 0x0000000..0x1FFFFFF";
inline constexpr const char* kFlashAddressHint = "Адрес 8мб: 0x000000..0x7FFFFF";
inline constexpr const char* kTx0ChannelHint = "Один канал: 0..31 | Все каналы: 32";
inline constexpr const char* kChannelHint = "Каналы: 0..31";
inline constexpr const char* kData16Hint = "Данные 16 бит: 0x0000..0xFFFF";
inline constexpr const char* kData32Hint = "Данные 32 бита: 0x00000000..0xFFFFFFFF";
inline constexpr const char* kData8Hint = "Данные 8 бит: 0x00..0xFF";
inline constexpr const char* kSpeedHint = "Скорость: 1200..115200";
inline constexpr const char* kByteHint = "Данные: 0x00..0xFF";

// Help texts, by target: each line ends in a line feed except the last line
// of the external COMs text.
inline constexpr const char* kHelpEthernet =
    " txc - Циклическая передача данных в линию\n"
    "         M: Frame[1000] -> Ethernet\n"
    "              goto M\n"
    "\n"
    "   w - Запись данных по адресу\n"
    "              outport16(Addr,Data)\n"
    "\n"
    " wc - Циклическая запись данных по адресу\n"
    "         M: outport16(Addr,Data)\n"
    "              goto M\n"
    "\n"
    "   r - Чтение данных из адреса\n"
    "              Data=inport16(Addr)\n"
    "\n"
    "  rc - Циклическое чтение данных из адреса\n"
    "         M: Data=inport16(Addr)\n"
    "              goto M\n";

inline constexpr const char* kHelpSdram =
    "  если A1,A0=0,0: write-read 32\n"
    "  если A1,A0=1,0: write-read 16\n"
    "  если A1,A0=x,1: write-read 8\n"
    "-----------------------------------------------------\n"
    "  w - Запись данных в SDRAM\n"
    "        memwrite(Addr,Data)\n"
    "\n"
    " wc - Циклическая запись данных в SDRAM\n"
    "       M: memwrite(Addr,Data)\n"
    "           goto M\n"
    "\n"
    "    r - Чтение данных из SDRAM\n"
    "         Data=memread(Addr)\n"
    "\n"
    "  rc - Циклическое чтение данных из SDRAM\n"
    "        M: Data=memread(Addr)\n"
    "            goto M\n"
    "\n"
    "  a - Циклическая проверка адресных линий SDRAM\n"
    "             1098 7654 3210 9876 5432 1098 7654 3210\n"
    " Addr1:  0000 0001 0101 0101 0101 0101 0101 0101\n"
    " Addr2:  0000 0000 1010 1010 1010 1010 1010 1010\n"
    "             M: Data=memread8(Addr1)\n"
    "                 Data=memread8(Addr2)\n"
    "                  goto M\n";

inline constexpr const char* kHelpFlash =
    "  если A1,A0=0,0: write-read 32\n"
    "  если A1,A0=1,0: write-read 16\n"
    "  если A1,A0=x,1: write-read 8\n"
    "-----------------------------------------------------\n"
    "  w - Запись данных во FLASH\n"
    "              memwrite(Addr,Data)\n"
    "\n"
    " wc - Циклическая запись во FLASH\n"
    "         M: memwrite(Addr,Data)\n"
    "              goto M\n"
    "\n"
    "    r - Чтение данных из FLASH\n"
    "              Data=memread(Addr)\n"
    "\n"
    "  rc - Циклическое чтение данных из FLASH\n"
    "         M: Data=memread(Addr)\n"
    "\n"
    "  a - Циклическая проверка адресных линий FLASH\n"
    "             1098 7654 3210 9876 5432 1098 7654 3210\n"
    " Addr1:  0000 0000 0101 0101 0101 0101 0101 0101\n"
    " Addr2:  0000 0000 0010 1010 1010 1010 1010 1010\n"
    "             M: Data=memread8(Addr1)\n"
    "                 Data=memread8(Addr2)\n"
    "                  goto M\n";

inline constexpr const char* kHelpServiceCom =
    " txc - Циклическая передача данных в плату\n"
    "         Скорость: 115200,8,n,1\n"
    "         M: Data -> RxD платы\n"
    "              goto M\n"
    "\n"
    " rts - Циклическая проверка RTS -> CTS,DCD\n"
    "         M: RTS = 0 / 1\n"
    "             delay(50mks)\n"
    "             goto M\n"
    "\n"
    " dtr - Циклическая проверка DTR -> DSR,RI\n"
    "         M: DTR = 0 / 1\n"
    "             delay(50mks)\n"
    "             goto M\n";

inline constexpr const char* kHelpExternalComs =
    " irq - Циклическая проверка прерывания\n"
    "        M: outport8(Base+1,0x02)  разрешение прерывания\n"
    "             outport8(Base+1,0x00)  запрет прерывания\n"
    "             goto M\n"
    " rds - Чтение статусных регистров\n"
    " txd - Циклическая передача данных в линию\n"
    "         M: Data -> TxD\n"
    "              goto M\n"
    " tx0 - TXD=постоянный <0>\n"
    "       DTR=1 (RS485 открыт на передачу)\n"
    "       RTS=0 (RS485 открыт на прием)\n"
    " dac - Циклическая проверка дешифратора адреса\n"
    "         M: inport8(Base+2)   a2a1a0=010\n"
    "              inport8(Base+5)   a2a1a0=101\n"
    "              goto M\n"
    " dbc - Циклическая проверка шины данных\n"
    "         M: Скорость^=0xFF\n"
    "              outport8(Base+7,Скорость)\n"
    "              inport8(Base+7)\n"
    "              goto M\n"
    "  db - Проверка шины данных\n"
    "          for(n=0;  n<512;  n++)\n"
    "             { outport8(Base+7,n)\n"
    "                if(n!=inport8(Base+7)) error=1\n"
    "              }\n"
    "  sr - Программный сброс канала\n"
    "   rl - Чтение Latch-регистра канала\n"
    "            outport8(Base+1,0x02) разрешаю прерывание\n"
    "            lr=inport8(Base+4)\n"
    "            outport8(Base+1,0x00) запрет прерывания\n"
    " rlc - Циклическое чтение Latch-регистра\n"
    "            outport8(Base+1,0x02) разрешаю прерывание\n"
    "        M: lr=inport8(Base+4)\n"
    "             goto M";
inline constexpr const char* kHelpTexts[] = {kHelpEthernet, kHelpSdram, kHelpFlash, kHelpServiceCom,
                                             kHelpExternalComs};

}  // namespace rz::debugtext
