#include "record/run_data.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

#include "boardtests/configuration_decode.h"
#include "record/record_host.h"

namespace rz {

const char* UnitOutcomeName(const RecordedUnit& unit) {
  bool aborted = false;
  for (const RecordedOperation& operation : unit.operations) {
    if (operation.outcome == Outcome::Failed) return OutcomeName(Outcome::Failed);
    aborted |= operation.outcome != Outcome::Success;
  }
  return OutcomeName(aborted ? Outcome::Aborted : Outcome::Success);
}

std::string UnitName(const RecordedUnit& unit, std::size_t index) {
  std::vector<std::string> parts;
  if (!unit.serial.empty()) parts.push_back(unit.serial);
  if (unit.identity.processor) parts.push_back("Uniq_ID " + UniqIdText(*unit.identity.processor));
  if (parts.empty()) parts.push_back(unit.downloaded ? "board not identified" : "before the first download");
  std::string name = std::to_string(index + 1) + ":";
  for (std::size_t i = 0; i < parts.size(); ++i) name += (i == 0 ? " " : ", ") + parts[i];
  return name;
}

namespace {

// Walks `in` as UTF-8: each character XML may hold (any valid one when not
// for XML) goes to `valid` as a piece of `in`, each sequence of anything
// else (a sequence cut short counts as its first byte alone) to `invalid`.
template <typename Valid, typename Invalid>
void WalkUtf8(const std::string& in, bool forXml, Valid valid, Invalid invalid) {
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
    bool ok = length != 0 && i + length <= in.size();
    for (std::size_t k = 1; ok && k < length; ++k) {
      const auto next = static_cast<unsigned char>(in[i + k]);
      ok = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::array<std::uint32_t, 5> kMinimum = {0, 0, 0x80, 0x800, 0x10000};
    if (ok) {
      ok = code >= kMinimum[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) &&
           (!forXml || (code != 0xFFFE && code != 0xFFFF &&
                         (code >= 0x20 || code == '\t' || code == '\n' || code == '\r')));
    }
    if (ok) {
      valid(i, length);
      i += length;
    } else {
      const std::size_t bad = length != 0 && i + length <= in.size() ? length : 1;
      invalid(i, bad);
      i += bad;
    }
  }
}

}  // namespace

// A board's stray bytes in the journal thus cannot make a record or a report
// unreadable.
std::string ValidText(const std::string& in, bool forXml) {
  std::string out;
  out.reserve(in.size());
  WalkUtf8(
      in, forXml, [&](std::size_t from, std::size_t length) { out.append(in, from, length); },
      [&](std::size_t, std::size_t) { out += "\xEF\xBF\xBD"; });
  return out;
}

std::string EscapedPath(const std::string& path) {
  bool valid = true;
  WalkUtf8(path, true, [](std::size_t, std::size_t) {}, [&](std::size_t, std::size_t) { valid = false; });
  if (valid) return path;
  std::string out;
  WalkUtf8(
      path, true,
      [&](std::size_t from, std::size_t length) {
        if (length == 1 && path[from] == '\\') {
          out += "\\\\";
        } else {
          out.append(path, from, length);
        }
      },
      [&](std::size_t from, std::size_t length) {
        for (std::size_t k = from; k < from + length; ++k) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(path[k]));
          out += hex;
        }
      });
  return out;
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

}  // namespace rz
