// Forwarding of unit files to a shared folder that may be away: nothing
// leaves the spool before it is delivered, nothing delivered is replaced,
// and the files that waited go once the folder is back.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/host_system.h"
#include "history/unit_forwarder.h"
#include "temp_dir.h"

namespace rz::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& item : fs::directory_iterator(folder)) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void Put(const TempDir& dir, const std::string& name, const std::string& text) {
  dir.Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(Forwarding, FilesWaitWhileTheFolderIsAwayAndGoOnceWhenItIsBack) {
  TempDir dir;
  fs::create_directory(dir.File("spool"));
  Put(dir, "spool/1-a.json", "unit a");
  Put(dir, "spool/2-b.json", "unit b");
  Put(dir, "spool/.rz1-0.tmp", "half");
  HostSystem& system = PlatformHostSystem();

  ForwardRound round = DeliverSpool(system, dir.File("spool"), dir.File("share"));
  EXPECT_EQ(round.delivered, 0u);
  EXPECT_EQ(round.waiting, 2u);
  EXPECT_NE(round.problem.find("share"), std::string::npos) << round.problem;

  // One unit was delivered before (the spool copy outlived a crash): the
  // delivered file stays as it is.
  fs::create_directory(dir.File("share"));
  Put(dir, "share/2-b.json", "unit b as delivered");
  round = DeliverSpool(system, dir.File("spool"), dir.File("share"));
  EXPECT_EQ(round.delivered, 2u);
  EXPECT_EQ(round.waiting, 0u);
  EXPECT_EQ(round.problem, "");
  EXPECT_EQ(Names(dir.File("share")), (std::vector<std::string>{"1-a.json", "2-b.json"}));
  EXPECT_EQ(dir.Read("share/1-a.json"), "unit a");
  EXPECT_EQ(dir.Read("share/2-b.json"), "unit b as delivered");
  EXPECT_EQ(Names(dir.File("spool")), (std::vector<std::string>{".rz1-0.tmp"}));
}

TEST(Forwarding, TheForwarderDeliversOnItsOwnThreadAfterEachUnit) {
  TempDir dir;
  const auto waitFor = [](UnitForwarder& forwarder, std::size_t waiting) {
    for (int i = 0; i < 500 && forwarder.Status().waiting != waiting; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return forwarder.Status();
  };
  UnitForwarder forwarder(PlatformHostSystem(), dir.File("spool"), dir.File("share"), std::chrono::hours(1));
  std::string error;
  ASSERT_TRUE(forwarder.Open(error)) << error;
  ASSERT_TRUE(forwarder.Queue("1-a.json", "unit a", error)) << error;
  const UnitForwarder::State away = waitFor(forwarder, 1);
  EXPECT_EQ(away.waiting, 1u);
  EXPECT_NE(ForwardStatusText(away).find("1"), std::string::npos);

  fs::create_directory(dir.File("share"));
  ASSERT_TRUE(forwarder.Queue("2-b.json", "unit b", error)) << error;
  const UnitForwarder::State back = waitFor(forwarder, 0);
  EXPECT_EQ(back.waiting, 0u);
  EXPECT_EQ(ForwardStatusText(back), "");
  EXPECT_EQ(Names(dir.File("share")), (std::vector<std::string>{"1-a.json", "2-b.json"}));
  forwarder.Finish(std::chrono::seconds(5));
  // After the end, units still go into the spool: the next start sends them.
  ASSERT_TRUE(forwarder.Queue("3-c.json", "unit c", error)) << error;
  EXPECT_EQ(Names(dir.File("spool")), (std::vector<std::string>{"3-c.json"}));
}

}  // namespace
}  // namespace rz::testing
