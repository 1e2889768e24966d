#include "flash_image.h"

#include <cstdio>
#include <memory>

#include "faults.h"
#include "options.h"

namespace rzsim {

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Splits off the text up to the next ':' (all of it when there is none).
std::string_view Field(std::string_view& rest) {
  const std::size_t colon = rest.find(':');
  const std::string_view field = rest.substr(0, colon);
  rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  return field;
}

// The optional last field ":first".
std::string FirstOnly(std::string_view rest, bool& firstOnly) {
  if (rest.empty()) return {};
  if (rest == "first") {
    firstOnly = true;
    return {};
  }
  return "expected ':first' or nothing after the address, not '" + std::string(rest) + "'";
}

}  // namespace

bool LoadFlash(const std::string& path, BoardMemory& memory, std::string& error) {
  const File file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  const std::size_t got = std::fread(memory.flash.data(), 1, memory.flash.size(), file.get());
  if (std::ferror(file.get()) || std::fgetc(file.get()) != EOF) {
    error = path + " is not a Flash image of at most 8 MB";
    return false;
  }
  std::fill(memory.flash.begin() + static_cast<std::ptrdiff_t>(got), memory.flash.end(), 0xFF);
  return true;
}

bool SaveFlash(const std::string& path, const BoardMemory& memory, std::string& error) {
  const File file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file || std::fwrite(memory.flash.data(), 1, memory.flash.size(), file.get()) != memory.flash.size() ||
      std::fflush(file.get()) != 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

std::string AddFlashRefusal(std::string_view value, FlashFaults& faults) {
  FlashRefusal refusal;
  std::string_view rest = value;
  const std::string_view command = Field(rest);
  if (command != "e" && command != "t" && command != "w") return "the command is e, t or w";
  refusal.command = static_cast<std::uint8_t>(command[0]);
  const auto address = ParseNumber(Field(rest), 0xFFFFFFFF);
  if (!address) return "expected CMD:ADDR:HALF[:first]";
  refusal.address = static_cast<std::uint32_t>(*address);
  const std::string_view half = Field(rest);
  // Words as a board reports them: what was to be written and what was read.
  if (half == "fl_0") {
    refusal.a = 0x12345678, refusal.b = 0x12340000;
  } else if (half == "fl_1") {
    refusal.a = 0x12345678, refusal.b = 0x00005678;
  } else if (half == "both") {
    refusal.a = 0x00000000, refusal.b = 0xFFFFFFFF;
  } else if (half == "equal") {
    refusal.a = 0x0000FFFF, refusal.b = 0x0000FFFF;
  } else {
    const std::size_t slash = half.find('/');
    const auto a = ParseNumber(half.substr(0, slash), 0xFFFFFFFF);
    const auto b = slash == std::string_view::npos ? std::nullopt : ParseNumber(half.substr(slash + 1), 0xFFFFFFFF);
    if (!a || !b) return "the half is fl_0, fl_1, both, equal or two words A/B";
    refusal.a = static_cast<std::uint32_t>(*a);
    refusal.b = static_cast<std::uint32_t>(*b);
  }
  std::string error = FirstOnly(rest, refusal.firstOnly);
  if (error.empty()) faults.refusals.push_back(refusal);
  return error;
}

std::string AddFlashReadFault(std::string_view value, bool loseByte, FlashFaults& faults) {
  FlashReadFault fault;
  fault.kind = loseByte ? FlashReadFault::Kind::kLoseByte : FlashReadFault::Kind::kBadChecksum;
  std::string_view rest = value;
  const auto address = ParseNumber(Field(rest), 0xFFFFFFFF);
  if (!address) return "expected ADDR[:first]";
  fault.address = static_cast<std::uint32_t>(*address);
  std::string error = FirstOnly(rest, fault.firstOnly);
  if (error.empty()) faults.reads.push_back(fault);
  return error;
}

}  // namespace rzsim
