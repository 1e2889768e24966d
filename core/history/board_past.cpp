#include "history/board_past.h"

namespace rz {
namespace {

// "раз" or "раза" after a count: 2, 3, 4, 22, ... but not 12, 13, 14.
const char* TimesWord(std::size_t count) {
  const std::size_t last = count % 10;
  const bool teens = count % 100 >= 11 && count % 100 <= 14;
  return !teens && last >= 2 && last <= 4 ? "раза" : "раз";
}

// "2026-12-09T07:05:31.042+03:00" as "09.12.2026 07:05".
std::string ShownDate(const std::string& iso) {
  if (iso.size() < 16) return iso;
  return iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4) + " " + iso.substr(11, 5);
}

// The last value of `field` the board had before that differs from `now`;
// empty when every earlier one that is known equals it (or `now` is unknown).
std::string OtherBefore(const std::vector<const HistoryEntry*>& past, std::string HistoryEntry::*field,
                        const std::string& now) {
  if (now.empty()) return "";
  for (auto it = past.rbegin(); it != past.rend(); ++it) {
    const std::string& before = (*it)->*field;
    if (!before.empty() && before != now) return before;
  }
  return "";
}

}  // namespace

std::vector<std::string> BoardPastLines(const std::vector<HistoryEntry>& history, const HistoryEntry& board) {
  if (board.uniqId.empty()) return {};
  std::vector<const HistoryEntry*> past;
  for (const HistoryEntry& entry : history) {
    if (entry.uniqId == board.uniqId && entry.unitId != board.unitId) past.push_back(&entry);
  }
  if (past.empty()) return {" История: плата с этим Uniq_ID на станциях прежде не проверялась"};
  const HistoryEntry& last = *past.back();
  std::vector<std::string> lines = {" История: проверялась " + std::to_string(past.size()) + " " +
                                    TimesWord(past.size()) + ", последний раз " + ShownDate(last.start) + " (" +
                                    last.result + (last.station.empty() ? "" : ", станция " + last.station) + ")"};
  const std::string security = OtherBefore(past, &HistoryEntry::flashSecurityId, board.flashSecurityId);
  const std::string serial = OtherBefore(past, &HistoryEntry::serial, board.serial);
  std::string warning;
  if (!security.empty()) warning = "другим ID защиты Flash (" + security + ")";
  if (!serial.empty()) warning += (warning.empty() ? "" : " и ") + std::string("другим серийным номером (") + serial + ")";
  if (!warning.empty()) lines.push_back(" *Внимание: этот Uniq_ID прежде был с " + warning);
  return lines;
}

}  // namespace rz
