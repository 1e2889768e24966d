#include "win32/serial_win32.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <thread>

#include "serial_input_buffer.h"
#include "win32/win32_text.h"

namespace rz {
namespace {

using Clock = std::chrono::steady_clock;

// A write may wait this long (plus a little per byte) for the line before it
// gives up: a board that stopped reading must not hold the operation, and ESC
// must be felt within a second, as on POSIX.
constexpr DWORD kWriteStallMs = 500;
constexpr DWORD kWriteMsPerByte = 2;  // covers rates down to about 5000 baud

// "COM7" (any case) becomes "\\.\COM7", the name that reaches every COM port
// (the short name alone reaches COM1..COM9 only); other names stay as given.
std::wstring DeviceName(const std::string& path) {
  return win32::Wide(ComPortNumber(path) > 0 ? "\\\\.\\" + path : path);
}

BYTE ParityCode(std::uint8_t parity) {
  switch (parity) {
    case 1: return ODDPARITY;
    case 2: return EVENPARITY;
    default: return NOPARITY;
  }
}

class Win32SerialDevice final : public SerialDevice {
 public:
  // Sets the time-outs at once: whatever the driver held before (all zeros
  // would be "wait for every byte", also for writes) is never used.
  explicit Win32SerialDevice(HANDLE handle) : handle_(handle) { UseReadTimeout(std::chrono::milliseconds(0)); }
  ~Win32SerialDevice() override { ::CloseHandle(handle_); }
  Win32SerialDevice(const Win32SerialDevice&) = delete;
  Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

  bool ApplyLineSettings(const LineSettings& settings, std::string& error) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) {
      error = "не удалось прочитать параметры линии: " + win32::LastErrorReason();
      return false;
    }
    dcb.BaudRate = settings.baud;
    dcb.ByteSize = settings.dataBits;
    dcb.Parity = ParityCode(settings.parity);
    dcb.StopBits = settings.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = settings.parity != 0 ? TRUE : FALSE;
    // No flow control of any kind; DTR and RTS held off.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(handle_, &dcb)) {
      error = "не удалось установить параметры линии: " + win32::LastErrorReason();
      return false;
    }
    // A device without modem lines (a virtual port) refuses these, which is fine.
    ::EscapeCommFunction(handle_, CLRDTR);
    ::EscapeCommFunction(handle_, CLRRTS);
    return true;
  }

  void PurgeOutput() override { ::PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR); }

  void PurgeInput() override {
    ::PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
    buffer_.Clear();
  }

  void Drain() override { ::FlushFileBuffers(handle_); }

  std::size_t Write(const std::uint8_t* data, std::size_t n) override {
    std::size_t done = 0;
    while (done < n) {
      DWORD written = 0;
      const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 20));
      // A write that timed out returns what went out: the line has stalled.
      if (!::WriteFile(handle_, data + done, ask, &written, nullptr)) {
        NoteFailure();
        break;
      }
      if (written == 0) break;
      done += written;
    }
    return done;
  }

  std::size_t Read(std::uint8_t* data, std::size_t n, std::chrono::milliseconds timeout) override {
    const auto deadline = Clock::now() + timeout;
    std::size_t got = buffer_.Take(data, n);
    if (got == n) return got;
    // What has arrived already goes into the buffer, without waiting.
    if (!FillWithArrived()) return Failed(got, deadline);
    got += buffer_.Take(data + got, n - got);
    if (got == n) return got;
    // The rest is waited for by the driver, under the read's time-out.
    UseReadTimeout(timeout);
    DWORD read = 0;
    if (!::ReadFile(handle_, data + got, static_cast<DWORD>(n - got), &read, nullptr)) return Failed(got, deadline);
    return got + read;
  }

  bool Gone() const override { return gone_; }

 private:
  // A read the driver failed: the device may have gone away (adapter
  // pulled). Nothing will come, but the read still lasts its time so that
  // callers never spin.
  std::size_t Failed(std::size_t got, Clock::time_point deadline) {
    NoteFailure();
    std::this_thread::sleep_until(deadline);
    return got;
  }

  // Marks the device gone when the last error says so: the errors of a USB
  // serial driver whose device was removed, and of a handle whose device has
  // no more file behind it.
  void NoteFailure() {
    switch (::GetLastError()) {
      case ERROR_BAD_COMMAND:
      case ERROR_ACCESS_DENIED:
      case ERROR_OPERATION_ABORTED:
      case ERROR_DEVICE_REMOVED:
      case ERROR_DEV_NOT_EXIST:
      case ERROR_INVALID_HANDLE:
      case ERROR_NOT_READY:
        gone_ = true;
        break;
      default: break;
    }
  }

  // Gives the driver `timeout` as the total read time-out (and the write
  // time-outs) unless it has it already: the station reads with one time-out
  // almost always, so this costs a system call only when it changes.
  void UseReadTimeout(std::chrono::milliseconds timeout) {
    if (timeout == readTimeout_) return;
    COMMTIMEOUTS comm{};
    if (timeout.count() <= 0) {
      // "Return at once with what is there"; to the system all zeros would
      // mean "wait until every byte has come".
      comm.ReadIntervalTimeout = MAXDWORD;
    } else {
      comm.ReadTotalTimeoutConstant = static_cast<DWORD>(timeout.count());
    }
    comm.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
    comm.WriteTotalTimeoutConstant = kWriteStallMs;
    if (::SetCommTimeouts(handle_, &comm)) readTimeout_ = timeout;
  }

  // Reads the bytes the driver holds already into the buffer. Returns false
  // when the device reports that it is gone.
  bool FillWithArrived() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle_, &errors, &status)) return false;
    const DWORD waiting = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(buffer_.RoomSize()));
    if (waiting == 0) return true;
    DWORD read = 0;
    if (!::ReadFile(handle_, buffer_.Room(), waiting, &read, nullptr)) return false;
    buffer_.Added(read);
    return true;
  }

  HANDLE handle_;
  bool gone_ = false;
  std::chrono::milliseconds readTimeout_{-1};  // what the driver has; -1: not set yet
  SerialInputBuffer buffer_;
};

}  // namespace

int ComPortNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 9 || name[3] == '0') return 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  }
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

std::unique_ptr<SerialDevice> Win32SerialBackend::Open(const std::string& path, std::string& error) {
  // Share mode 0: Windows gives a COM port to one program at a time.
  const HANDLE handle = ::CreateFileW(DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD why = ::GetLastError();
    if (why == ERROR_ACCESS_DENIED || why == ERROR_SHARING_VIOLATION) {
      error = win32::ShownPath(path) + ": порт занят другой программой (порт открывается монопольно)";
    } else {
      error = win32::ShownPath(path) + ": " + win32::SystemReason(why);
    }
    return nullptr;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(handle, &dcb)) {
    error = win32::ShownPath(path) + ": это не последовательный порт";
    ::CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<Win32SerialDevice>(handle);
}

}  // namespace rz
