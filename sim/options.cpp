#include "options.h"

#include "ext_channels_options.h"
#include "flash_image.h"

#include <algorithm>
#include <array>
#include <limits>
#include <sstream>

namespace rzsim {

namespace {

// Flash codes given one by one; they apply over the chip type, whatever the order.
struct FlashOverrides {
  std::optional<std::uint8_t> busWidth;
  std::optional<std::uint32_t> manufacturer;
  std::optional<std::uint32_t> device;
  std::optional<std::uint32_t> cfi;
};

struct ParseState {
  SimConfig& config;
  FlashOverrides flash;
};

// Applies an option's value; returns what was wrong with it, or "" when fine.
using Apply = std::string (*)(std::string_view value, ParseState& st);

enum class Group { kConnection, kBoard, kFaults, kOther };

struct Option {
  Group group;
  std::string_view name;      // without the leading "--"
  std::string_view argument;  // placeholder in the usage text; empty for a switch
  std::string_view help;      // lines after the first are indented in the usage text
  Apply apply;
};

constexpr std::uint64_t kMax8 = 0xFF;
constexpr std::uint64_t kMax16 = 0xFFFF;
constexpr std::uint64_t kMax32 = 0xFFFFFFFF;
constexpr std::uint64_t kMaxNoise = 65536;
constexpr std::uint64_t kMaxDelayMs = 600000;

// A count of milliseconds with up to three decimals ("2", "0.5"), kept in
// microseconds.
std::string Milliseconds(std::string_view value, std::uint32_t& micros) {
  const std::size_t dot = value.find('.');
  const std::string_view whole = value.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : value.substr(dot + 1);
  const auto ms = whole.empty() ? std::optional<std::uint64_t>(0) : ParseNumber(whole, kMaxDelayMs);
  const bool digits = fraction.size() <= 3 && std::all_of(fraction.begin(), fraction.end(), [](char c) {
                        return c >= '0' && c <= '9';
                      });
  if (value.empty() || !ms || *ms > kMaxDelayMs || !digits || (whole.empty() && fraction.empty())) {
    return "'" + std::string(value) + "' is not a count of milliseconds (at most " + std::to_string(kMaxDelayMs) +
           ", up to three decimals)";
  }
  std::uint64_t us = *ms * 1000;
  std::uint64_t scale = 100;
  for (const char c : fraction) {
    us += static_cast<std::uint64_t>(c - '0') * scale;
    scale /= 10;
  }
  micros = static_cast<std::uint32_t>(us);
  return {};
}

std::string Hex(std::uint64_t value) {
  std::ostringstream s;
  s << "0x" << std::uppercase << std::hex << value;
  return s.str();
}

template <typename T>
std::string Number(std::string_view value, T& target, std::uint64_t max) {
  const auto n = ParseNumber(value, std::numeric_limits<std::uint64_t>::max());
  if (!n) return "'" + std::string(value) + "' is not a number";
  if (*n > max) return std::string(value) + " is too large (at most " + Hex(max) + ")";
  target = static_cast<T>(*n);
  return {};
}

template <typename T>
std::string OptionalNumber(std::string_view value, std::optional<T>& target, std::uint64_t max) {
  T n{};
  std::string error = Number(value, n, max);
  if (error.empty()) target = n;
  return error;
}

// A list of exactly N 32-bit numbers separated by commas.
template <std::size_t N>
std::string NumberList(std::string_view value, std::array<std::uint32_t, N>& target) {
  std::array<std::uint32_t, N> parsed{};
  std::size_t count = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = value.find(',', start);
    const std::string_view item =
        value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (count == N) return "expected " + std::to_string(N) + " numbers separated by commas";
    std::string error = Number(item, parsed[count], kMax32);
    if (!error.empty()) return error;
    ++count;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (count != N) return "expected " + std::to_string(N) + " numbers separated by commas";
  target = parsed;
  return {};
}

// "PASS:ADDR": a pass of the SDRAM test (1 or 2) and a byte address in it.
std::string SdramPlace(std::string_view value, SdramFault& fault) {
  const std::size_t colon = value.find(':');
  if (colon == std::string_view::npos) return "expected PASS:ADDR, for example 1:0x12340";
  std::string error = Number(value.substr(0, colon), fault.pass, kMax32);
  if (error.empty() && fault.pass != 1 && fault.pass != 2) error = "the pass is 1 or 2";
  if (error.empty()) error = Number(value.substr(colon + 1), fault.address, kMax32);
  return error;
}

// Letters of the UDP commands 'E', 'W' and 'R'.
std::string UdpCommandList(std::string_view value, std::string& target) {
  if (value.empty() || value.find_first_not_of("EWR") != std::string_view::npos) {
    return "'" + std::string(value) + "' is not a list of the letters E, W and R";
  }
  target = value;
  return {};
}

std::string FlashChipNames() {
  std::string names;
  for (const FlashChip& chip : FlashChips()) {
    if (!names.empty()) names += ", ";
    names += chip.name;
  }
  return names;
}

const Option kOptions[] = {
    {Group::kConnection, "link", "PATH",
     "make PATH a symbolic link to the terminal (an existing link is replaced; removed at exit)",
     [](std::string_view v, ParseState& st) -> std::string {
       if (v.empty()) return "the path is empty";
       st.config.linkPath = v;
       return {};
     }},
    {Group::kConnection, "auto-reset", "",
     "reset the board whenever the station switches its line to 9600 baud (default)",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.autoReset = true;
       return {};
     }},
    {Group::kConnection, "no-auto-reset", "", "reset only at start and on SIGUSR1",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.autoReset = false;
       return {};
     }},
    {Group::kConnection, "pace", "",
     "carry bytes no faster than the line's baud rate allows (10 bits per byte)",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.pace = true;
       return {};
     }},

    {Group::kBoard, "sdram-config", "WORD", "SDRAM configuration word (default 0x122)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.sdramConfig, kMax32); }},
    {Group::kBoard, "flash-chip", "CHIP",
     "Flash chip type: at49bv322a (default), at49bv321, at49bv322at, at49bv321t, k8d3216ub, k8d3216ut, 28f320b3t, 28f320b3b",
     [](std::string_view v, ParseState& st) -> std::string {
       const auto chip = FindFlashChip(v);
       if (!chip) return "unknown chip '" + std::string(v) + "' (known: " + FlashChipNames() + ")";
       st.config.model.flash = *chip;
       return {};
     }},
    {Group::kBoard, "flash-bus-width", "N", "Flash data bus width in bits (default 32)",
     [](std::string_view v, ParseState& st) { return OptionalNumber(v, st.flash.busWidth, kMax8); }},
    {Group::kBoard, "flash-manufacturer", "CODE", "Flash manufacturer code, over the chip type's",
     [](std::string_view v, ParseState& st) { return OptionalNumber(v, st.flash.manufacturer, kMax32); }},
    {Group::kBoard, "flash-device", "CODE", "Flash device code, over the chip type's",
     [](std::string_view v, ParseState& st) { return OptionalNumber(v, st.flash.device, kMax32); }},
    {Group::kBoard, "flash-cfi", "WORD", "Flash CFI word, over the chip type's",
     [](std::string_view v, ParseState& st) { return OptionalNumber(v, st.flash.cfi, kMax32); }},
    {Group::kBoard, "cpu-id", "U,R1,R2,R3,R4", "processor unique ID and random-ID words",
     [](std::string_view v, ParseState& st) -> std::string {
       std::array<std::uint32_t, 5> words{};
       std::string error = NumberList(v, words);
       if (!error.empty()) return error;
       st.config.model.cpu.unique = words[0];
       for (std::size_t i = 0; i < 4; ++i) st.config.model.cpu.random[i] = words[i + 1];
       return {};
     }},
    {Group::kBoard, "security-id", "W0,W1,W2,W3", "Flash security ID words",
     [](std::string_view v, ParseState& st) { return NumberList(v, st.config.model.securityId); }},
    {Group::kBoard, "eth-eeprom", "N", "Ethernet EEPROM: 0 none, 1 fitted (default 1)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.ethernet.eeprom, kMax8); }},
    {Group::kBoard, "eth-duplex", "N", "Ethernet duplex: 0 half, 1 full (default 0)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.ethernet.duplex, kMax8); }},
    {Group::kBoard, "eth-base", "ADDR", "Ethernet controller base address (default 0x300)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.ethernet.base, kMax16); }},
    {Group::kBoard, "eth-irq", "N",
     "Ethernet interrupt line: 0..3, anything else disabled (default 1)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.ethernet.irq, kMax16); }},
    {Group::kBoard, "eth-voltage", "N", "Ethernet supply: 0 is 5.0 V, 1 is 3.3 V (default 1)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.ethernet.voltage, kMax8); }},

    {Group::kBoard, "ext-timing", "BYTE",
     "access-timing byte of the external channels (default 0x00; bits 2-4 set the access time)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.model.extChannels.accessTiming, kMax8); }},
    {Group::kBoard, "ext-map", "POS=BYTE,...",
     "channel-map entries of the external channels (default: channel i at position i; 0xFF or above 31 marks an absent position); may be repeated",
     [](std::string_view v, ParseState& st) { return ApplyExtMap(v, st.config.model.extChannels); }},
    {Group::kBoard, "ext-status", "CH:B1,B2,...",
     "status bytes of channel CH's 1st, 2nd, ... test, the last repeating (default 0x00; e.g. 0x14, 0x01 error, 0x02, 0x48, 0xFF failure); may be repeated",
     [](std::string_view v, ParseState& st) { return ApplyExtStatus(v, st.config.model.extChannels); }},
    {Group::kBoard, "ext-fifo", "POS:A,B,C,D",
     "FIFO counters of a position (default: A and B the block size, C and D 0); may be repeated",
     [](std::string_view v, ParseState& st) { return ApplyExtFifo(v, st.config.model.extChannels); }},
    {Group::kBoard, "flash-load", "FILE", "the Flash holds FILE's bytes at start (at most 8 MB; the rest erased)",
     [](std::string_view v, ParseState& st) -> std::string {
       if (v.empty()) return "the path is empty";
       st.config.flashLoad = v;
       return {};
     }},
    {Group::kBoard, "flash-save", "FILE", "write the whole 8 MB Flash into FILE at exit",
     [](std::string_view v, ParseState& st) -> std::string {
       if (v.empty()) return "the path is empty";
       st.config.flashSave = v;
       return {};
     }},

    {Group::kFaults, "eth-switch-answer", "BYTE",
     "answer 'a' and 'b' (Ethernet work on and off) with BYTE, not 'Q'; only 'Q' switches",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.udp.switchAnswer, kMax8); }},
    {Group::kFaults, "eth-switch-silent", "", "give no answer to 'a' and 'b'",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.udp.switchSilent = true;
       return {};
     }},
    {Group::kFaults, "udp-drop-first", "K", "answer none of the first K datagrams",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.udp.dropFirst, kMax32); }},
    {Group::kFaults, "udp-drop-every", "N", "answer no N-th datagram (the N-th, 2N-th, ...)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.udp.dropEvery, kMax32); }},
    {Group::kFaults, "udp-delay", "MS",
     "send every answer MS milliseconds after its request (a fraction such as 0.5 allowed)",
     [](std::string_view v, ParseState& st) { return Milliseconds(v, st.config.faults.udp.delayUs); }},
    {Group::kFaults, "udp-bad-magic", "CMDS", "answer the commands CMDS (letters of EWR) with a wrong magic",
     [](std::string_view v, ParseState& st) { return UdpCommandList(v, st.config.faults.udp.badMagic); }},
    {Group::kFaults, "udp-short", "CMDS", "answer the commands CMDS one byte short",
     [](std::string_view v, ParseState& st) { return UdpCommandList(v, st.config.faults.udp.shortReply); }},
    {Group::kFaults, "udp-long", "CMDS", "answer the commands CMDS one byte long",
     [](std::string_view v, ParseState& st) { return UdpCommandList(v, st.config.faults.udp.longReply); }},
    {Group::kFaults, "udp-fail", "CMDS", "answer the commands CMDS with status 'F'",
     [](std::string_view v, ParseState& st) { return UdpCommandList(v, st.config.faults.udp.failStatus); }},
    {Group::kFaults, "udp-faulty", "N",
     "the four faults above hit only the first N answers they apply to (default: all)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.udp.faultyReplies, kMax32); }},
    {Group::kFaults, "udp-stranger", "",
     "before every answer, send a forged one (data zeroed) from the board's address with 1 added to its last number",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.udp.stranger = true;
       return {};
     }},
    {Group::kFaults, "udp-stranger-port", "",
     "before every answer, send a forged one (data zeroed) from the board's own address and port 13331",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.udp.strangerPort = true;
       return {};
     }},
    {Group::kFaults, "udp-duplicate", "N", "send every N-th answer twice (1: every answer)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.udp.duplicateEvery, kMax32); }},
    {Group::kFaults, "udp-duplicate-delay", "MS", "send the copy of a duplicated answer MS milliseconds after it",
     [](std::string_view v, ParseState& st) {
       return Number(v, st.config.faults.udp.duplicateDelayMs, kMaxDelayMs);
     }},
    {Group::kFaults, "silent", "", "the board never sends anything",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.silent = true;
       return {};
     }},
    {Group::kFaults, "boot-noise", "N", "the boot ROM sends N noise bytes before '<'",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.bootNoise, kMaxNoise); }},
    {Group::kFaults, "no-boot-ack", "", "no '>' after the first stage (the boot ROM hangs)",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.noBootAck = true;
       return {};
     }},
    {Group::kFaults, "no-boot-done", "", "no 'F' after the download (the program never starts)",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.noBootDone = true;
       return {};
     }},
    {Group::kFaults, "lose-byte", "N",
     "lose the Nth byte (from 1) the boot ROM receives in every download",
     [](std::string_view v, ParseState& st) -> std::string {
       std::string error = Number(v, st.config.faults.loseByte, kMax32);
       if (error.empty() && st.config.faults.loseByte == 0) return "bytes are counted from 1";
       return error;
     }},
    {Group::kFaults, "eth-fail", "", "the Ethernet controller does not answer ('i' gets 'q')",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.ethFail = true;
       return {};
     }},
    {Group::kFaults, "eth-bad-close", "BYTE", "close the Ethernet parameters with BYTE, not 'Q'",
     [](std::string_view v, ParseState& st) -> std::string {
       std::string error = Number(v, st.config.faults.ethClose, kMax8);
       if (error.empty() && st.config.faults.ethClose == 'Q') return "0x51 ('Q') is the sound closing byte";
       return error;
     }},
    {Group::kFaults, "clock-answer", "BYTE",
     "the board's answer to the clock switch (default 0x39, the switch to 90 MHz happens; 0x51 'Q': stays at 74 MHz)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.clockAnswer, kMax8); }},

    {Group::kFaults, "sdram-error", "PASS:ADDR",
     "the SDRAM word at ADDR reads back with a bit flipped in the compare of PASS (1 or 2); may be given several times",
     [](std::string_view v, ParseState& st) -> std::string {
       SdramFault fault;
       std::string error = SdramPlace(v, fault);
       if (error.empty()) st.config.faults.sdramErrors.push_back(fault);
       return error;
     }},
    {Group::kFaults, "sdram-write-fail", "PASS:ADDR",
     "the write of the SDRAM block holding ADDR fails in PASS (1 or 2)",
     [](std::string_view v, ParseState& st) -> std::string {
       SdramFault fault;
       std::string error = SdramPlace(v, fault);
       if (error.empty()) st.config.faults.sdramWriteFail = fault;
       return error;
     }},
    {Group::kFaults, "sdram-silent-from", "N",
     "the program hangs at the Nth (from 1) SDRAM block command after the download and answers nothing more",
     [](std::string_view v, ParseState& st) -> std::string {
       std::string error = Number(v, st.config.faults.sdramSilentFrom, kMax32);
       if (error.empty() && st.config.faults.sdramSilentFrom == 0) return "commands are counted from 1";
       return error;
     }},
    {Group::kFaults, "eth-step-fail", "K",
     "the Kth (from 1) Ethernet test step after the controller's initialisation answers 'q'",
     [](std::string_view v, ParseState& st) -> std::string {
       std::string error = Number(v, st.config.faults.ethStepFail, kMax32);
       if (error.empty() && st.config.faults.ethStepFail == 0) return "steps are counted from 1";
       return error;
     }},
    {Group::kFaults, "rtc-start", "N",
     "the RTC counter at power-on (default 1000); it counts seconds and wraps at 32 bits",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.rtcStart, kMax32); }},
    {Group::kFaults, "rtc-stopped", "", "the RTC does not count",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.rtcStopped = true;
       return {};
     }},
    {Group::kFaults, "rtc-fast", "", "the RTC counts two seconds for every second",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.rtcFast = true;
       return {};
     }},
    {Group::kFaults, "service-mismatch", "K",
     "the service port's loop changes the byte of index K (from 0)",
     [](std::string_view v, ParseState& st) {
       return OptionalNumber(v, st.config.faults.serviceMismatch, kMax32);
     }},
    {Group::kFaults, "service-status", "BYTE",
     "the line status byte after the service port's loop (default 0: every line answers)",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.serviceStatus, kMax8); }},
    {Group::kFaults, "service-words", "OLD,TRUE,READ",
     "the three line words after the line status byte (default 0,1,1)",
     [](std::string_view v, ParseState& st) { return NumberList(v, st.config.faults.serviceWords); }},
    {Group::kFaults, "service-variant", "v7|v5",
     "the program knows only this variant's service port command ('C' v7, 'c' v5; default both)",
     [](std::string_view v, ParseState& st) -> std::string {
       if (v != "v7" && v != "v5") return "takes v7 or v5, not '" + std::string(v) + "'";
       st.config.faults.serviceVariant = v == "v7" ? 'C' : 'c';
       return {};
     }},
    {Group::kFaults, "ext-refuse-params", "", "refuse the external channels' parameter set ('k' gets 'q')",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.extChannels.refuseParams = true;
       return {};
     }},
    {Group::kFaults, "ext-silent-from", "OP[:N]",
     "the external channel commands go silent from the Nth (default 1st) command OP on: n, k, h, u, p or z",
     [](std::string_view v, ParseState& st) { return ApplyExtSilentFrom(v, st.config.faults.extChannels); }},
    {Group::kFaults, "bad-data-bus", "",
     "the external channels' data bus is faulty ('g' db answers 1, dbc reads back a wrong bit)",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.faults.badDataBus = true;
       return {};
     }},
    {Group::kFaults, "flash-fault", "CMD:ADDR:HALF[:first]",
     "answer the Flash command CMD (e erase, t test, w write) whose range holds ADDR with 'q' and two words "
     "differing in HALF: fl_0, fl_1, both, equal (no half named) or the words A/B; on every attempt, or with "
     ":first on the first only (repeatable)",
     [](std::string_view v, ParseState& st) { return AddFlashRefusal(v, st.config.faults.flash); }},
    {Group::kFaults, "flash-bad-read", "ADDR[:first]",
     "a wrong checksum in the 'r' reply whose range holds ADDR, on every attempt or the first only (repeatable)",
     [](std::string_view v, ParseState& st) { return AddFlashReadFault(v, false, st.config.faults.flash); }},
    {Group::kFaults, "flash-lose-byte", "ADDR[:first]",
     "the 'r' reply whose range holds ADDR lacks the byte at ADDR, on every attempt or the first only (repeatable)",
     [](std::string_view v, ParseState& st) { return AddFlashReadFault(v, true, st.config.faults.flash); }},
    {Group::kFaults, "flash-silent-from", "N",
     "the board goes silent from the Nth 'w' or 'r' command on (counted together, from 1)",
     [](std::string_view v, ParseState& st) -> std::string {
       std::string error = Number(v, st.config.faults.flash.silentFromPiece, kMax32);
       if (error.empty() && st.config.faults.flash.silentFromPiece == 0) return "commands are counted from 1";
       return error;
     }},
    {Group::kFaults, "flash-ack-without-write", "PIECE",
     "every write ('w' over the line or 'W' over UDP) acknowledges the 512 bytes at Flash offset PIECE*512 "
     "(PIECE from 0) as done but leaves them unprogrammed, also on a rewrite; the rest of the write takes "
     "(repeatable)",
     [](std::string_view v, ParseState& st) -> std::string {
       std::uint32_t piece = 0;
       std::string error = Number(v, piece, kFlashWritePieces - 1);
       if (error.empty()) st.config.faults.flash.ackWithoutWrite.push_back(piece);
       return error;
     }},

    {Group::kFaults, "flash-write-delay", "MS",
     "answer every Flash write ('w' over the line or 'W' over UDP) MS milliseconds later, so that writing an "
     "image takes longer",
     [](std::string_view v, ParseState& st) { return Number(v, st.config.faults.flash.writeDelayMs, kMaxDelayMs); }},

    {Group::kOther, "verbose", "", "report resets, download stages, clock switches and bytes lost to a speed mismatch on stderr",
     [](std::string_view, ParseState& st) -> std::string {
       st.config.verbose = true;
       return {};
     }},
};

const Option* FindOption(std::string_view name) {
  for (const Option& option : kOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

void ApplyFlashOverrides(const FlashOverrides& o, FlashIdentity& flash) {
  if (o.busWidth) flash.busWidth = *o.busWidth;
  if (o.manufacturer) flash.manufacturer = *o.manufacturer;
  if (o.device) flash.device = *o.device;
  if (o.cfi) flash.cfi = *o.cfi;
}

// Writes `text` from the current column `indent`, breaking lines between
// words so none passes `width`; continuation lines start at `indent`.
void WrapInto(std::ostringstream& s, std::string_view text, std::size_t indent, std::size_t width) {
  std::size_t column = indent;
  bool first = true;
  while (!text.empty()) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text = space == std::string_view::npos ? std::string_view{} : text.substr(space + 1);
    if (!first && column + 1 + word.size() > width) {
      s << '\n' << std::string(indent, ' ');
      column = indent;
      first = true;
    }
    if (!first) {
      s << ' ';
      ++column;
    }
    s << word;
    column += word.size();
    first = false;
  }
}

ParseResult Error(std::string text) { return {ParseResult::Kind::kError, std::move(text)}; }

}  // namespace

std::optional<std::uint64_t> ParseNumber(std::string_view text, std::uint64_t max) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    if (value > (max - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  return value;
}

ParseResult ParseOptions(const std::vector<std::string>& args, SimConfig& config) {
  ParseState st{config, {}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "-h" || arg == "--help") return {ParseResult::Kind::kHelp, {}};
    if (arg.size() < 3 || arg.substr(0, 2) != "--") {
      return Error("unexpected argument '" + std::string(arg) + "'");
    }
    std::string_view name = arg.substr(2);
    std::optional<std::string_view> value;
    if (const auto eq = name.find('='); eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const Option* option = FindOption(name);
    const std::string shown = "--" + std::string(name);
    if (!option) return Error("unknown option '" + shown + "'");
    if (option->argument.empty()) {
      if (value) return Error(shown + " takes no value");
      value = std::string_view{};
    } else if (!value) {
      if (i + 1 == args.size()) return Error(shown + " needs a value (" + std::string(option->argument) + ")");
      value = args[++i];
    }
    std::string error = option->apply(*value, st);
    if (!error.empty()) return Error(shown + ": " + error);
  }
  ApplyFlashOverrides(st.flash, config.model.flash);
  return {};
}

std::string UsageText() {
  constexpr std::size_t kHelpColumn = 28;
  constexpr std::size_t kWidth = 79;
  std::ostringstream s;
  s << "Usage: rzboard-sim [OPTION]...\n"
       "Simulated RZ board: the boot ROM and the test program on a pseudo-terminal.\n"
       "Once the station switches Ethernet work on ('a'), the board also answers the\n"
       "Flash commands over UDP at the address the station sent, port 13330 (on one\n"
       "machine a loopback address such as 127.0.0.2).\n"
       "Prints one line with the terminal's path, then runs until SIGTERM or SIGINT.\n"
       "SIGUSR1 presses the RESET button. Numbers are decimal or 0x-prefixed hex.\n";
  const std::pair<Group, const char*> groups[] = {
      {Group::kConnection, "Line"}, {Group::kBoard, "Board"}, {Group::kFaults, "Faults"}, {Group::kOther, "Other"}};
  for (const auto& [group, heading] : groups) {
    s << '\n' << heading << ":\n";
    for (const Option& option : kOptions) {
      if (option.group != group) continue;
      std::string head = "  --" + std::string(option.name);
      if (!option.argument.empty()) head += " " + std::string(option.argument);
      if (head.size() + 1 > kHelpColumn) {
        s << head << '\n' << std::string(kHelpColumn, ' ');
      } else {
        s << head << std::string(kHelpColumn - head.size(), ' ');
      }
      WrapInto(s, option.help, kHelpColumn, kWidth);
      s << '\n';
    }
  }
  s << "  -h, --help" << std::string(kHelpColumn - 12, ' ') << "show this text and exit\n";
  return s.str();
}

}  // namespace rzsim
