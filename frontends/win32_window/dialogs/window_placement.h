#pragma once

#include <windows.h>

namespace rz::win32 {

// Activates `window` and brings it to the foreground, so that the first key
// the operator presses reaches it rather than the program that started it.
void BringToForeground(HWND window);

// Moves a top-level window so that it is centred on its owner, kept on the
// owner's monitor. A window without a visible owner stays where it is.
void CentreOnOwner(HWND window);

// While it exists, every dialog box and message box that the constructing
// thread opens over an owner is centred on that owner once it has initialised
// (before it is shown). Construct one for the lifetime of a main window.
class CentreDialogsOnOwner {
 public:
  CentreDialogsOnOwner();
  ~CentreDialogsOnOwner();
  CentreDialogsOnOwner(const CentreDialogsOnOwner&) = delete;
  CentreDialogsOnOwner& operator=(const CentreDialogsOnOwner&) = delete;

 private:
  HHOOK hook_;
};

}  // namespace rz::win32
