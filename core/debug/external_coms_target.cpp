// The external COMs target: register-level operations on one of the board's
// 32 external serial channels through DebugChannel.

#include <array>

#include "context/station_context.h"
#include "debug/debug_executors.h"
#include "debug/debug_fields.h"
#include "debug/debug_texts.h"
#include "link/exchange.h"

namespace rz {

namespace {

struct ChannelKeyword {
  const char* word;
  std::uint8_t code;
};

constexpr std::uint8_t kIrq = 0x04, kTxd = 0x05, kDac = 0x06, kDb = 0x07, kRds = 0x08, kDbc = 0x09, kTx0 = 0x0F,
                       kRl = 0x10, kRlc = 0x11, kSr = 0x12;

constexpr std::array kKeywords = {
    ChannelKeyword{"irq", kIrq}, ChannelKeyword{"txd", kTxd}, ChannelKeyword{"dac", kDac},
    ChannelKeyword{"db", kDb},   ChannelKeyword{"rds", kRds}, ChannelKeyword{"dbc", kDbc},
    ChannelKeyword{"tx0", kTx0}, ChannelKeyword{"rl", kRl},   ChannelKeyword{"rlc", kRlc},
    ChannelKeyword{"sr", kSr},
};

struct SpeedEntry {
  std::uint32_t speed;
  std::uint8_t code;
};
constexpr std::array kSpeeds = {
    SpeedEntry{115200, 1}, SpeedEntry{57600, 2}, SpeedEntry{38400, 3}, SpeedEntry{19200, 4},
    SpeedEntry{9600, 5},   SpeedEntry{4800, 6},  SpeedEntry{2400, 7},  SpeedEntry{1200, 8},
};

constexpr std::uint32_t kLastChannel = 31;
constexpr std::uint32_t kEveryChannel = 32;  // tx0 only: all channels at once
constexpr std::size_t kRegisterBytes = 9;

bool IsCyclic(std::uint8_t code) {
  return code == kIrq || code == kTxd || code == kDac || code == kDbc || code == kTx0 || code == kRlc;
}

// Awaits one reply byte; on ESC the line becomes " Операция прервана.".
bool AwaitReply(DebugContext& ctx, SerialExchange& exchange, std::uint8_t& byte) {
  if (exchange.Await8(byte)) return true;
  ctx.ui.AddDebugLine(-1, debugtext::kAbortedDot);
  return false;
}

Outcome RunChannelOperation(DebugContext& ctx, std::uint32_t channel, std::uint8_t value, std::uint8_t code) {
  DebugUi& ui = ctx.ui;
  SerialExchange exchange(ctx.station);
  exchange.Write8(kOpDebugChannel);
  exchange.Write8(static_cast<std::uint8_t>(channel));
  exchange.Write8(value);
  exchange.Write8(code);
  if (IsCyclic(code)) {
    ui.AddDebugLine(0, debugtext::kWorking2);
    BlinkUntilAbort(ctx, " ", debugtext::kWorking2);
    StopCycle(ctx.station);
    ui.AddDebugLine(-1, debugtext::kAbortedDot);
    return Outcome::Success;
  }
  if (code == kSr) {
    ui.AddDebugLine(0, debugtext::kDoneDot);
    return Outcome::Success;
  }
  ui.AddDebugLine(0, debugtext::kWorking2);
  Outcome outcome = Outcome::Success;
  if (code == kRds) {
    std::array<std::uint8_t, kRegisterBytes> registers{};
    for (std::uint8_t& byte : registers) {
      if (!AwaitReply(ctx, exchange, byte)) return Outcome::Aborted;
    }
    for (std::size_t i = 0; i < kRegisterBytes; ++i) {
      ui.AddDebugLine(i == 0 ? -1 : 0, debugtext::kRegisterLabels[i] + Hex(registers[i], 2));
    }
  } else {
    std::uint8_t byte = 0;
    if (!AwaitReply(ctx, exchange, byte)) return Outcome::Aborted;
    if (code == kDb) {
      ui.AddDebugLine(-1, byte == 0 ? debugtext::kBusOk : debugtext::kBusError);
      if (byte != 0) outcome = Outcome::Failed;
    } else {
      ui.AddDebugLine(-1, debugtext::kLatchPrefix + Hex(byte, 2));
    }
  }
  ui.AddDebugLine(0, debugtext::kDoneDot);
  return outcome;
}

}  // namespace

std::uint8_t SpeedCode(std::uint32_t speed) {
  for (const SpeedEntry& entry : kSpeeds) {
    if (entry.speed == speed) return entry.code;
  }
  return 0;
}

const char* CheckExternalComs(const DebugFieldTexts& fields, DebugPlan& plan) {
  const ChannelKeyword* keyword = nullptr;
  for (const ChannelKeyword& k : kKeywords) {
    if (fields.operation == k.word) keyword = &k;
  }
  if (keyword == nullptr) return debugtext::kOperationError;
  const std::uint32_t channel = static_cast<std::uint32_t>(ParseDecimal(fields.address));
  if (!(channel <= kLastChannel || (channel == kEveryChannel && keyword->code == kTx0))) {
    return debugtext::kAddressError;
  }
  std::uint32_t value = 0;
  if (keyword->code == kTxd || keyword->code == kTx0) {
    value = static_cast<std::uint32_t>(ParseDecimal(fields.data));
    if (SpeedCode(value) == 0) return debugtext::kDataError;
  } else if (keyword->code == kDbc) {
    if (!ParseHexField(fields.data, value) || value > 0xFF) return debugtext::kDataError;
  }

  plan.address = channel;
  plan.data = value;
  plan.code = keyword->code;
  plan.echo = std::string(" ") + keyword->word;
  const std::string speed = std::to_string(value);
  if (keyword->code == kTx0 && channel == kEveryChannel) {
    plan.echo += debugtext::kAllChannels + speed + debugtext::kTx0Tail;
    return nullptr;
  }
  plan.echo += debugtext::kChannel + std::to_string(channel) + " ";
  if (keyword->code == kTxd) plan.echo += debugtext::kSpeed + speed;
  if (keyword->code == kTx0) plan.echo += speed + debugtext::kTx0Tail;
  if (keyword->code == kDbc) plan.echo += debugtext::kDataPrefix + Hex(value, 2).substr(2);
  return nullptr;
}

Outcome ExecuteChannelOperation(DebugContext& ctx, std::uint32_t channel, std::uint32_t value, std::uint8_t code) {
  PurgePort(ctx.station.Port());
  ctx.ui.SetDebugStatus(debugtext::kStatusBusy);
  // txd sends the speed's code; tx0 the low byte of the speed itself.
  const std::uint8_t valueByte = code == kTxd ? SpeedCode(value) : static_cast<std::uint8_t>(value);
  const Outcome outcome = RunChannelOperation(ctx, channel, valueByte, code);
  ctx.station.flags.ClearAbort();
  return outcome;
}

Outcome ExecuteChannelPlan(DebugContext& ctx, DebugPlan& plan) {
  return ExecuteChannelOperation(ctx, plan.address, plan.data, plan.code);
}

}  // namespace rz
