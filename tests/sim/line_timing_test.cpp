#include <gtest/gtest.h>

#include "line_speed.h"
#include "pacer.h"

namespace rzsim {
namespace {

using std::chrono::milliseconds;

const Clock::time_point kT0 = Clock::time_point() + std::chrono::hours(1);

TEST(Pacer, FirstStageAndSecondStageTakeTheirWireTime) {
  // Bytes arrive all at once; the line lets them through at 960 bytes/s.
  LinePacer pacer;
  pacer.StartIfIdle(kT0);
  EXPECT_EQ(pacer.Take(kT0, 9600, 2048), 0u);
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(1), 9600, 2048), 0u) << "a byte takes 1.04 ms";
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(100), 9600, 2048), 96u);
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(2000), 9600, 2048 - 96), 1920u - 96u);
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(2200), 9600, 128), 128u) << "never more than is queued";

  // 22528 bytes at 115200 take about 1.96 s; the whole download about 4.1 s.
  LinePacer fast;
  fast.StartIfIdle(kT0);
  EXPECT_EQ(fast.Take(kT0 + milliseconds(1955), 115200, 22528), 22521u);
  EXPECT_EQ(fast.Take(kT0 + milliseconds(1956), 115200, 7), 7u);
}

TEST(Pacer, IdleLineStartsWhenBytesArrive) {
  LinePacer pacer;
  pacer.StartIfIdle(kT0);
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(5), 9600, 1), 1u);
  // Idle for a second: a new byte still needs its full 1.04 ms.
  pacer.StartIfIdle(kT0 + milliseconds(1000));
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(1001), 9600, 10), 0u);
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(1003), 9600, 10), 2u);
  // The queue never emptied: the line goes on from where it was.
  EXPECT_EQ(pacer.Take(kT0 + milliseconds(1005), 9600, 8), 2u);
  EXPECT_EQ(pacer.NextDone(9600), kT0 + ByteTime(9600) * 5 + milliseconds(1000));
}

TEST(LineSpeedWatch, ResetsShortlyAfterEachSwitchTo9600) {
  LineSpeedWatch watch(38400);
  watch.Observe(115200, kT0);
  EXPECT_FALSE(watch.PendingReset());
  watch.Observe(9600, kT0 + milliseconds(10));
  EXPECT_FALSE(watch.TakeDueReset(kT0 + milliseconds(109)));
  watch.Observe(9600, kT0 + milliseconds(105));  // staying at 9600 does not postpone it
  EXPECT_TRUE(watch.TakeDueReset(kT0 + milliseconds(110)));
  EXPECT_FALSE(watch.TakeDueReset(kT0 + milliseconds(500))) << "once per switch";
  watch.Observe(9600, kT0 + milliseconds(600));
  EXPECT_FALSE(watch.PendingReset());
  watch.Observe(115200, kT0 + milliseconds(700));
  watch.Observe(9600, kT0 + milliseconds(800));
  EXPECT_TRUE(watch.TakeDueReset(kT0 + milliseconds(900)));
}

TEST(LineSpeedWatch, StartingAt9600IsNoSwitch) {
  LineSpeedWatch watch(9600);
  watch.Observe(9600, kT0);
  EXPECT_FALSE(watch.PendingReset());
}

}  // namespace
}  // namespace rzsim
