#include "record/run_record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>

#include "app/host_system.h"
#include "app/texts.h"
#include "boardtests/configuration_decode.h"
#include "operations/operation_table.h"
#include "operations/station.h"
#include "record/record_host.h"
#include "record/xml_writer.h"

#ifndef RZ_VERSION
#define RZ_VERSION "unknown"
#endif

namespace rz {
namespace {

std::string OperationName(const OperationRow& row) {
  if (row.cliWord != nullptr) return row.cliWord;
  const auto index = static_cast<std::size_t>(row.button) - 1;
  return index < std::size(text::kButtonCaptions) ? text::kButtonCaptions[index] : "unknown";
}

// `in` as valid UTF-8, anything else replaced by U+FFFD; for XML also the
// characters XML 1.0 cannot hold. A board's stray bytes in the journal thus
// cannot make a record or a report unreadable.
std::string ValidText(const std::string& in, bool forXml) {
  static constexpr const char* kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size();) {
    const auto c = static_cast<unsigned char>(in[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (c < 0x80) {
      length = 1;
      code = c;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      code = c & 0x07;
    }
    bool valid = length != 0 && i + length <= in.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(in[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::array<std::uint32_t, 5> kMinimum = {0, 0, 0x80, 0x800, 0x10000};
    if (valid) {
      valid = code >= kMinimum[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) &&
              (!forXml || (code != 0xFFFE && code != 0xFFFF &&
                            (code >= 0x20 || code == '\t' || code == '\n' || code == '\r')));
    }
    if (valid) {
      out.append(in, i, length);
      i += length;
    } else {
      out += kReplacement;
      i += length != 0 && i + length <= in.size() ? length : 1;
    }
  }
  return out;
}

// The board's identity as the journal showed it, "" for a section not read.
std::vector<std::pair<std::string, std::string>> BoardTexts(const BoardIdentity& board) {
  const auto& cpu = board.processor;
  const auto& flash = board.flash;
  return {{"processor", cpu ? ProcessorText(*cpu) : ""},
          {"uniqId", cpu ? UniqIdText(*cpu) : ""},
          {"randomId", cpu ? RandomIdText(*cpu) : ""},
          {"sdramSize", board.sdram ? SdramSizeText(*board.sdram) : ""},
          {"flashType", flash ? FlashTypeText(*flash) : ""},
          {"flashSecurityId", flash ? SecurityIdText(*flash) : ""}};
}

std::string Hex(unsigned value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
  return buffer;
}

template <typename T>
nlohmann::json OrNull(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

// The identity: the texts above, then each section's values (null for a
// section not read, and for a code the station has no name for).
nlohmann::json BoardJson(const BoardIdentity& board) {
  nlohmann::json json = nlohmann::json::object();
  for (const auto& [key, value] : BoardTexts(board)) json[key] = value;
  json["sdram"] = nullptr;
  if (const auto& sdram = board.sdram) {
    json["sdram"] = {{"configWord", Hex(sdram->configWord, 8)},
                     {"chips", BoardIdentity::Sdram::kChips},
                     {"chipMegabytes", OrNull(sdram->chipMegabytes)},
                     {"chipWidthBits", OrNull(sdram->chipWidthBits)},
                     {"casLatency", OrNull(sdram->casLatency)},
                     {"totalMegabytes", OrNull(sdram->TotalMegabytes())}};
  }
  json["flash"] = nullptr;
  if (const auto& flash = board.flash) {
    const bool knownMaker = flash->maker != BoardIdentity::FlashMaker::Unknown;
    json["flash"] = {{"busWidthBits", flash->busWidthBits},
                     {"makerCode", Hex(flash->makerCode, 4)},
                     {"maker", knownMaker ? nlohmann::json(FlashMakerName(flash->maker)) : nlohmann::json(nullptr)},
                     {"deviceCode", Hex(flash->deviceCode, 4)},
                     {"cfi", flash->cfi}};
  }
  json["ethernet"] = nullptr;
  if (const auto& ethernet = board.ethernet) {
    const auto& mv = ethernet->supplyMillivolts;
    json["ethernet"] = {{"eeprom", OrNull(ethernet->eeprom)},
                        {"fullDuplex", OrNull(ethernet->fullDuplex)},
                        {"baseAddress", Hex(ethernet->baseAddress, 4)},
                        {"interrupt", ethernet->irq ? "IRQ" + std::to_string(*ethernet->irq) : "disabled"},
                        {"supplyVolts", mv ? nlohmann::json(*mv / 1000.0) : nlohmann::json(nullptr)}};
  }
  return json;
}

std::string XmlText(const std::string& in) { return ValidText(in, true); }

std::string Seconds(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

}  // namespace

bool HashFile(HostSystem& system, const std::string& path, std::string& sha256, std::uint64_t& size,
              std::string& reason) {
  // Through the host system: a path that is no longer a regular file is
  // refused instead of waited on.
  const std::unique_ptr<ExclusiveFile> in = system.OpenNotShared(path, reason);
  if (!in) {
    reason = "cannot open " + path + ": " + reason;
    return false;
  }
  Sha256 hash;
  if (!hash.Available()) {
    reason = "SHA-256 is not available";
    return false;
  }
  size = 0;
  std::array<std::uint8_t, 65536> buffer;
  for (std::size_t got; (got = in->Read(buffer.data(), buffer.size())) > 0;) {
    hash.Update(buffer.data(), got);
    size += got;
  }
  if (size != in->Size()) {
    reason = "cannot read " + path;
    return false;
  }
  Sha256::Digest digest{};
  if (!hash.Finish(digest)) {
    reason = "SHA-256 is not available";
    return false;
  }
  sha256.clear();
  for (const std::uint8_t byte : digest) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    sha256 += hex;
  }
  return true;
}

std::string Iso8601(std::chrono::system_clock::time_point moment) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count() % 1000;
  long offset = 0;
  const std::tm local = LocalTimeOf(seconds, offset);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char text[64];
  std::snprintf(text, sizeof text, "%s.%03d%c%02ld:%02ld", date, static_cast<int>(millis < 0 ? 0 : millis),
                offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
  return text;
}

const char* RecordedOutcomeName(std::optional<Outcome> outcome) {
  return outcome ? OutcomeName(*outcome) : "refused";
}

RunRecord::RunRecord(Station& station, std::string program)
    : station_(station), program_(std::move(program)), host_(HostName()), start_(std::chrono::system_clock::now()) {}

bool RunRecord::Open(const RecordFiles& files, std::string& error) {
  std::lock_guard lock(mutex_);
  files_ = files;
  WriteLocked();
  error = writeError_;
  return error.empty();
}

void RunRecord::OperationStarted(const OperationRow&) {
  const int lines = station_.Ui().JournalLineCount();
  std::lock_guard lock(mutex_);
  journalBefore_ = lines;
  runningSince_ = std::chrono::steady_clock::now();
  runningStart_ = std::chrono::system_clock::now();
}

void RunRecord::OperationEnded(const OperationRow& row, std::optional<Outcome> outcome) {
  const auto ended = std::chrono::steady_clock::now();
  Entry entry;
  entry.name = OperationName(row);
  entry.outcome = outcome;
  int from = 0;
  {
    std::lock_guard lock(mutex_);
    entry.start = runningStart_;
    entry.seconds = std::chrono::duration<double>(ended - runningSince_).count();
    from = journalBefore_;
  }
  // The operation's own lines: those added since it started (the journal only
  // grows while an operation runs; its last line may be rewritten in place).
  StationUi& ui = station_.Ui();
  const int count = ui.JournalLineCount();
  for (int line = std::min(from, count); line < count; ++line) {
    entry.journal.push_back(ValidText(ui.JournalLineText(line), false));
  }
  if (!station_.transferFile.empty() || !station_.transferNote.empty()) {
    Transfer transfer;
    transfer.file = station_.transferFile;
    transfer.note = station_.transferNote;
    if (transfer.file.empty()) {
      transfer.error = "no file was kept";
    } else if (!HashFile(station_.System(), transfer.file, transfer.sha256, transfer.size, transfer.error)) {
      transfer.size = 0;
    }
    entry.transfer = std::move(transfer);
  }

  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
  WriteLocked();
}

void RunRecord::BoardIdentified(const BoardIdentity& identity) {
  std::lock_guard lock(mutex_);
  board_ = identity;
}

bool RunRecord::Finish(std::string& error) {
  std::lock_guard lock(mutex_);
  end_ = std::chrono::system_clock::now();
  WriteLocked();
  error = writeError_;
  return error.empty();
}

nlohmann::json RunRecord::Json() const {
  std::lock_guard lock(mutex_);
  return JsonLocked();
}

std::string RunRecord::JUnitXml() const {
  std::lock_guard lock(mutex_);
  return JUnitLocked();
}

nlohmann::json RunRecord::JsonLocked() const {
  nlohmann::json operations = nlohmann::json::array();
  for (const Entry& entry : entries_) {
    nlohmann::json operation = {{"name", entry.name},
                                {"start", Iso8601(entry.start)},
                                {"durationSeconds", std::round(entry.seconds * 1000) / 1000},
                                {"outcome", RecordedOutcomeName(entry.outcome)},
                                {"journal", entry.journal}};
    if (entry.transfer) {
      nlohmann::json transfer = {{"file", entry.transfer->file}};
      if (entry.transfer->error.empty()) {
        transfer["size"] = entry.transfer->size;
        transfer["sha256"] = entry.transfer->sha256;
      } else {
        transfer["error"] = entry.transfer->error;
      }
      if (!entry.transfer->note.empty()) transfer["note"] = entry.transfer->note;
      operation["transfer"] = std::move(transfer);
    }
    operations.push_back(std::move(operation));
  }
  nlohmann::json board = nullptr;
  if (board_) board = BoardJson(*board_);
  const StationFlags& flags = station_.flags;
  return {{"station", {{"program", program_}, {"version", RZ_VERSION}}},
          {"host", host_},
          {"start", Iso8601(start_)},
          {"end", end_ ? nlohmann::json(Iso8601(*end_)) : nlohmann::json(nullptr)},
          {"complete", end_.has_value()},
          {"workDir", station_.workDir},
          {"ports", {{"COM1", station_.portPaths.com1}, {"COM2", station_.portPaths.com2}}},
          {"options",
           {{"serviceCom", flags.serviceComVariant.load() == 1 ? "v7" : "v5"},
            {"flashServiceMode", flags.flashServiceMode.load() == 1},
            {"sound", flags.soundOption.load() == 1}}},
          {"board", std::move(board)},
          {"operations", std::move(operations)}};
}

std::string RunRecord::JUnitLocked() const {
  int failures = 0;
  double total = 0;
  for (const Entry& entry : entries_) {
    if (entry.outcome != Outcome::Success) ++failures;
    total += entry.seconds;
  }
  XmlWriter xml;
  xml.Open("testsuites");
  xml.Open("testsuite");
  xml.Attribute("name", XmlText(program_));
  xml.Attribute("tests", std::to_string(entries_.size()));
  xml.Attribute("failures", std::to_string(failures));
  xml.Attribute("errors", "0");
  xml.Attribute("skipped", "0");
  xml.Attribute("time", Seconds(total));
  xml.Attribute("timestamp", Iso8601(start_));
  xml.Attribute("hostname", XmlText(host_));

  xml.Open("properties");
  const auto property = [&](const char* name, const std::string& value) {
    xml.Open("property");
    xml.Attribute("name", name);
    xml.Attribute("value", XmlText(value));
    xml.Close();
  };
  property("version", RZ_VERSION);
  property("COM1", station_.portPaths.com1);
  property("COM2", station_.portPaths.com2);
  if (board_) {
    for (const auto& [key, value] : BoardTexts(*board_)) property(("board." + key).c_str(), value);
  }
  xml.Close();

  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    xml.Open("testcase");
    // Numbered, as a run may hold the same operation several times.
    xml.Attribute("name", XmlText(std::to_string(i + 1) + " " + entry.name));
    xml.Attribute("classname", XmlText(program_ + "." + entry.name));
    xml.Attribute("time", Seconds(entry.seconds));
    if (entry.outcome != Outcome::Success) {
      const char* outcome = RecordedOutcomeName(entry.outcome);
      xml.Open("failure");
      xml.Attribute("type", outcome);
      xml.Attribute("message", XmlText(entry.name + ": " + outcome));
      xml.Close();
    }
    std::string out;
    for (const std::string& line : entry.journal) out += line + "\n";
    if (entry.transfer) {
      out += "file " + entry.transfer->file + (entry.transfer->error.empty()
                                                   ? ", " + std::to_string(entry.transfer->size) +
                                                         " bytes, SHA-256 " + entry.transfer->sha256
                                                   : ": " + entry.transfer->error) + "\n";
      if (!entry.transfer->note.empty()) out += entry.transfer->note + "\n";
    }
    xml.Open("system-out");
    xml.Text(XmlText(out));
    xml.Close();
    xml.Close();
  }
  xml.Close();
  xml.Close();
  return xml.Document();
}

void RunRecord::WriteLocked() {
  // A write that fails keeps the previous record whole; the first failure is
  // kept for the end of the run, later ones are tried again each time.
  std::string reason;
  if (!files_.json.empty()) {
    const std::string text = JsonLocked().dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!ReplaceWholeFile(station_.System(), files_.json, text, reason) && writeError_.empty()) {
      writeError_ = "Ошибка записи протокола работы " + files_.json + ": " + reason;
    }
  }
  if (!files_.junit.empty()) {
    if (!ReplaceWholeFile(station_.System(), files_.junit, JUnitLocked(), reason) && writeError_.empty()) {
      writeError_ = "Ошибка записи отчета JUnit " + files_.junit + ": " + reason;
    }
  }
}

}  // namespace rz
