#include <QApplication>

namespace rz::gui::test {
int RunStationWindowTests(int argc, char** argv);
int RunBoardSessionTests(int argc, char** argv);
int RunExtComWindowTests(int argc, char** argv);
int RunDebugWindowTests(int argc, char** argv);
int RunTransferDialogTests(int argc, char** argv);
int RunEthernetSwitchWindowTests(int argc, char** argv);
int RunOutsideEndTests(int argc, char** argv);
}  // namespace rz::gui::test

int main(int argc, char** argv) {
  // The tests need no display; a machine without one would abort in QApplication.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int failures = rz::gui::test::RunStationWindowTests(argc, argv);
  failures += rz::gui::test::RunBoardSessionTests(argc, argv);
  failures += rz::gui::test::RunExtComWindowTests(argc, argv);
  failures += rz::gui::test::RunDebugWindowTests(argc, argv);
  failures += rz::gui::test::RunTransferDialogTests(argc, argv);
  failures += rz::gui::test::RunEthernetSwitchWindowTests(argc, argv);
  // Last: it installs Qt's Russian translation for the rest of the process.
  failures += rz::gui::test::RunOutsideEndTests(argc, argv);
  return failures == 0 ? 0 : 1;
}
