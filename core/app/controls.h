#pragma once

#include <cstdint>
#include <initializer_list>

#include "app/outcome.h"
#include "app/texts.h"
#include "app/unit_rect.h"

namespace rz {

// The operation buttons of the main window, numbered by their focus index.
enum class Button : std::uint8_t {
  Download = 1,
  Configuration = 2,
  ServiceCom = 3,
  Sdram = 4,
  Flash = 5,
  Ethernet = 6,
  Rtc = 7,
  ExternalCom = 8,
  Debug = 9,
  FileToFlash = 10,
  FlashToFile = 11,
  Exit = 12,
};

// What a control of the main window is. Each window renders a role with its
// own toolkit's control.
enum class ControlRole : std::uint8_t {
  Button,          // an operation button: a tab stop; the first one is the default button
  StatusLine,      // centred text in a sunken frame
  Journal,         // the journal list, one column, no header; not a tab stop
  SelectorFrame,   // a frame round the selectors
  EthernetSwitch,  // a check box
  PortSelector,    // drop-down lists; their height includes the open list
  CpuSelector,
  SoundLabel,      // plain text
  VerifyLabel,     // plain text
};

// One control of the main window.
struct ControlRow {
  ControlRole role;
  int id;               // unique in the window (the native window's control id)
  const char* caption;  // the text it starts with, UTF-8
  UnitRect rect;
  Button button{};      // ControlRole::Button: the button it is
};

// The main window: its size, and its controls in creation (and tab) order.
// The buttons come first, in focus-index order. Adding a button is one row
// here (and its enumerator in Button) plus its operation.
inline constexpr UnitRect kMainWindowRect{0, 0, 353, 355};
inline constexpr ControlRow kMainWindowControls[] = {
    {ControlRole::Button, 1000, text::kButtonCaptions[0], {6, 5, 93, 18}, Button::Download},
    {ControlRole::Button, 1002, text::kButtonCaptions[1], {6, 25, 93, 18}, Button::Configuration},
    {ControlRole::Button, 1001, text::kButtonCaptions[2], {6, 45, 93, 18}, Button::ServiceCom},
    {ControlRole::Button, 1021, text::kButtonCaptions[3], {6, 65, 93, 18}, Button::Sdram},
    {ControlRole::Button, 1003, text::kButtonCaptions[4], {6, 85, 93, 18}, Button::Flash},
    {ControlRole::Button, 1009, text::kButtonCaptions[5], {6, 105, 93, 18}, Button::Ethernet},
    {ControlRole::Button, 1067, text::kButtonCaptions[6], {6, 125, 93, 18}, Button::Rtc},
    {ControlRole::Button, 1036, text::kButtonCaptions[7], {6, 145, 93, 18}, Button::ExternalCom},
    {ControlRole::Button, 1010, text::kButtonCaptions[8], {6, 165, 93, 18}, Button::Debug},
    {ControlRole::Button, 1004, text::kButtonCaptions[9], {6, 185, 93, 18}, Button::FileToFlash},
    {ControlRole::Button, 1005, text::kButtonCaptions[10], {6, 205, 93, 18}, Button::FlashToFile},
    {ControlRole::Button, 1006, text::kButtonCaptions[11], {6, 225, 93, 18}, Button::Exit},
    {ControlRole::StatusLine, 1014, "", {6, 333, 340, 18}},
    {ControlRole::Journal, 1007, "", {106, 28, 240, 303}},
    {ControlRole::SelectorFrame, 1033, "", {106, 2, 240, 23}},
    {ControlRole::EthernetSwitch, 1042, text::kEthernetSwitch, {213, 11, 96, 10}},
    {ControlRole::PortSelector, 1059, "", {111, 9, 34, 57}},
    {ControlRole::CpuSelector, 1060, "", {153, 9, 51, 57}},
    {ControlRole::SoundLabel, 1034, text::kSoundLabel, {317, 12, 21, 8}},
    {ControlRole::VerifyLabel, 1035, text::kVerifyLabel, {6, 250, 93, 8}},
};

namespace controls_detail {

constexpr int CountRows(ControlRole role) {
  int count = 0;
  for (const ControlRow& row : kMainWindowControls) count += row.role == role;
  return count;
}

}  // namespace controls_detail

// The focus index runs 1..kButtonCount.
inline constexpr int kButtonCount = controls_detail::CountRows(ControlRole::Button);

// The row of a button (by focus index) or of a control other than a button
// (by its role), or nullptr.
constexpr const ControlRow* FindControl(Button button) {
  for (const ControlRow& row : kMainWindowControls) {
    if (row.role == ControlRole::Button && row.button == button) return &row;
  }
  return nullptr;
}
constexpr const ControlRow* FindControl(ControlRole role) {
  for (const ControlRow& row : kMainWindowControls) {
    if (row.role == role && role != ControlRole::Button) return &row;
  }
  return nullptr;
}
// The same rows, for the table's own controls (the lookups above never fail
// for them: the checks below prove it at compile time).
constexpr const ControlRow& ControlOf(Button button) { return *FindControl(button); }
constexpr const ControlRow& ControlOf(ControlRole role) { return *FindControl(role); }

// The focus index of the button with control id `id`, or 0.
constexpr int FocusIndexOfControl(int id) {
  for (const ControlRow& row : kMainWindowControls) {
    if (row.role == ControlRole::Button && row.id == id) return static_cast<int>(row.button);
  }
  return 0;
}

namespace controls_detail {

// Buttons first, in focus-index order up to the exit button; every other role
// exactly once; ids unique.
constexpr bool TableIsWellFormed() {
  int position = 0;
  for (const ControlRow& row : kMainWindowControls) {
    ++position;
    if ((row.role == ControlRole::Button) != (position <= kButtonCount)) return false;
    if (row.role == ControlRole::Button && static_cast<int>(row.button) != position) return false;
    int sameId = 0;
    for (const ControlRow& other : kMainWindowControls) sameId += other.id == row.id;
    if (sameId != 1) return false;
  }
  for (const ControlRole role : {ControlRole::StatusLine, ControlRole::Journal, ControlRole::SelectorFrame,
                                 ControlRole::EthernetSwitch, ControlRole::PortSelector, ControlRole::CpuSelector,
                                 ControlRole::SoundLabel, ControlRole::VerifyLabel}) {
    if (CountRows(role) != 1) return false;
  }
  return kButtonCount >= static_cast<int>(Button::Exit);
}
static_assert(TableIsWellFormed(), "main window controls: buttons first in focus-index order, roles once, ids unique");

}  // namespace controls_detail

// What became of a start request.
enum class StartResult {
  Started,       // the worker runs
  Refused,       // refused with a message box (Ethernet switch, Flash mode)
  Busy,          // another operation runs: refused, nothing changed
  NotAvailable,  // this station has no such operation (yet)
};

}  // namespace rz
