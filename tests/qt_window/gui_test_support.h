#pragma once

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "operations/station.h"
#include "qt_station_ui.h"
#include "station_dlg.h"

namespace rz::gui::test {

// Counts the tones instead of playing them.
class RecordingSound final : public rz::SoundSink {
 public:
  void PlayAsync(int hertz, int) override {
    if (hertz == rz::kBeepHertz) ++beeps;
  }
  void Play(int, int) override { ++tones; }
  std::atomic<int> beeps{0};
  std::atomic<int> tones{0};
};

// A machine without serial devices.
class NoSerialDevices final : public rz::SerialBackend {
 public:
  std::unique_ptr<rz::SerialDevice> Open(const std::string& path, std::string& error) override {
    error = "no such device: " + path;
    return nullptr;
  }
};

struct CapturedMessage {
  rz::MessageBox box;
  QWidget* owner = nullptr;
};

// A station with its window, shown and active, whose message boxes are
// captured instead of shown.
class StationRig {
 public:
  explicit StationRig(rz::SerialBackend* serial = nullptr)
      : station(ui, sound, serial != nullptr ? *serial : noSerial_) {
    ui.SetMessagePresenter([this](const rz::MessageBox& box, QWidget* owner) {
      messages.push_back({box, owner});
    });
    // The IP-address dialog answers from `ipAnswers` (nothing left: ESC).
    ui.SetIpAddressPresenter([this](const std::string& shown, QWidget*) -> std::optional<std::string> {
      ipShown.push_back(shown);
      if (ipAnswers.empty()) return std::nullopt;
      std::optional<std::string> answer = ipAnswers.front();
      ipAnswers.erase(ipAnswers.begin());
      return answer;
    });
    window = std::make_unique<CStationDlg>(station, ui);
  }
  ~StationRig() {
    // Nothing may outlive the window while still calling into it.
    // ESC until it ends; an operation that ESC cannot end is a hang of its own.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (station.runner.Busy()) {
      station.flags.RequestAbort();
      if (std::chrono::steady_clock::now() > end) {
        std::fprintf(stderr, "an operation did not end on ESC within 10 s\n");
        std::abort();
      }
      if (!station.runner.WaitFor(std::chrono::milliseconds(10))) QTest::qWait(10);
    }
    window.reset();
  }

  bool Show() {
    window->show();
    QApplication::setActiveWindow(window.get());
    return QTest::qWaitForWindowActive(window.get());
  }

  // Sends a key to whatever has the keyboard focus, as the keyboard would.
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : window.get(), static_cast<Qt::Key>(key),
                    modifiers);
  }

  // A key that QTest cannot spell, such as a Cyrillic letter.
  void PressLetter(int key, const QString& text, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target != nullptr ? target : window.get(), &press);
  }

  int FocusIndex() const { return station.flags.focusIndex.load(); }
  QPushButton* Button(int focusIndex) const { return window->Button(focusIndex); }

  NoSerialDevices noSerial_;
  RecordingSound sound;
  QtStationUi ui;
  rz::Station station;
  std::unique_ptr<CStationDlg> window;
  std::vector<CapturedMessage> messages;
  std::vector<std::optional<std::string>> ipAnswers;
  std::vector<std::string> ipShown;
};

}  // namespace rz::gui::test
