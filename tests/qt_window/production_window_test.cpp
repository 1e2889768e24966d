// The window with a production profile: one download press runs the whole
// sequence against the simulated board and ends with the verdict; ESC stops
// the sequence.

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

#include "app/texts.h"
#include "boardtests/board_test_texts.h"
#include "operations/operation_table.h"
#include "gui_test_support.h"
#include "posix/serial_posix.h"
#include "production/auto_sequence.h"
#include "session/startup.h"
#include "simulated_board.h"

namespace rz::gui::test {
namespace {

// The sample profile's limits with a sequence of the test's own.
rz::Profile SampleWithSequence(const std::string& sequence) {
  std::ifstream in(RZ_SAMPLE_PROFILE);
  std::stringstream text;
  text << in.rdbuf();
  std::string error;
  std::optional<rz::Profile> profile = rz::ParseProfile(text.str(), error);
  std::optional<rz::Profile> steps =
      rz::ParseProfile(R"({"product": "x", "sequence": )" + sequence + "}", error);
  if (!profile || !steps) qFatal("profile: %s", error.c_str());
  profile->steps = steps->steps;
  profile->askSerial = false;
  return *profile;
}

}  // namespace

class ProductionWindowTest : public QObject {
  Q_OBJECT

  struct Rig {
    explicit Rig(std::vector<std::string> boardOptions, const std::string& sequence)
        : board(dir.filePath("COM1").toStdString(), std::move(boardOptions)),
          rig(&serial),
          profile(SampleWithSequence(sequence)),
          production(rig.station, profile, nullptr) {
      std::ofstream(dir.filePath(QString::fromUtf8(rz::kTestProgramFileName)).toStdString(), std::ios::binary)
          << std::string(4096, '\x5A');
      rig.station.portPaths.com1 = board.Link();
      rig.station.observer = &production;
    }
    ~Rig() {
      production.Stop([] { QTest::qWait(5); });
      rz::StopStation(rig.station);
    }
    std::vector<std::string> Journal() const { return rig.window->Journal().Lines().Lines(); }

    QTemporaryDir dir;
    rz::testing::SimulatedBoard board;
    rz::PosixSerialBackend serial;
    StationRig rig;
    rz::Profile profile;
    rz::AutoSequence production;
  };

 private slots:
  void oneDownloadPressRunsTheSequenceAndShowsTheVerdict() {
    Rig r({"--eth-voltage", "0"}, R"(["download", "config", "service-com"])");
    QVERIFY(rz::StartStation(r.rig.station, r.dir.path().toStdString()));
    QVERIFY(r.rig.Show());
    r.rig.Press(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(r.rig.window->StatusLine()->text().contains(QStringLiteral("БРАК")), 20000);
    const std::vector<std::string> journal = r.Journal();
    // The operations' own lines stand unchanged before the verdict's.
    const auto heading = std::find(journal.begin(), journal.end(), " ==== RZ controller board: БРАК ====");
    QVERIFY(heading != journal.end());
    QCOMPARE(*(heading - 2), std::string(" Тестирование завершено успешно."));  // the service COM test ran
    QCOMPARE(*(heading + 1), std::string(" *config.ethernet.supplyMillivolts = 5000 mV (норма = 3300)"));
    QCOMPARE(static_cast<int>(journal.end() - heading), 2);
    QCOMPARE(r.rig.window->StatusLine()->text(), QStringLiteral("RZ controller board: БРАК"));
    QTRY_VERIFY(r.rig.Button(1)->isEnabled());
    QVERIFY(r.rig.messages.empty());
    // The remark (units waiting for the shared folder) follows the status
    // text, and goes when there is nothing to say.
    std::string remark = "Не отправлено в общий каталог: 2";
    r.rig.window->WatchStatusRemark([&remark] { return remark; });
    QTRY_COMPARE(r.rig.window->StatusLine()->text(),
                 QStringLiteral("RZ controller board: БРАК   [Не отправлено в общий каталог: 2]"));
    remark.clear();
    QTRY_COMPARE(r.rig.window->StatusLine()->text(), QStringLiteral("RZ controller board: БРАК"));
  }

  void escStopsTheSequenceAsIncomplete() {
    Rig r({}, R"(["download", "rtc", "service-com"])");
    QVERIFY(rz::StartStation(r.rig.station, r.dir.path().toStdString()));
    QVERIFY(r.rig.Show());
    r.rig.Press(Qt::Key_Return);
    // The RTC test counts down.
    QTRY_VERIFY_WITH_TIMEOUT(!r.Journal().empty() && r.Journal().back().rfind(rz::text::kRtcProgress, 0) == 0, 20000);
    // The window's own controls start nothing while the sequence runs.
    QCOMPARE(rz::StartOperation(r.rig.station, *rz::FindOperationRow(rz::Button::Configuration), nullptr),
             rz::StartResult::Busy);
    r.rig.Press(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(r.rig.window->StatusLine()->text().contains(QStringLiteral("НЕ ЗАВЕРШЕНО")), 20000);
    const std::vector<std::string> journal = r.Journal();
    QVERIFY(std::find(journal.begin(), journal.end(), " *rtc: прервано") != journal.end());
    QVERIFY(std::find(journal.begin(), journal.end(), std::string(rz::text::kServiceComHeading)) == journal.end());
  }
};

int RunProductionWindowTests(int argc, char** argv) {
  ProductionWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace rz::gui::test

#include "production_window_test.moc"
