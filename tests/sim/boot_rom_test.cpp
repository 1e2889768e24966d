#include <gtest/gtest.h>

#include "board_harness.h"

namespace rzsim::testing {
namespace {

TEST(BootRom, WholeDownloadAnswersAtEachStageAndStartsTheProgram) {
  BoardHarness h;
  EXPECT_EQ(h.Take(), B("<"));
  h.Send(Bytes(2047, 0), 9600);
  EXPECT_TRUE(h.Take().empty()) << "'>' before the 2048th byte";
  h.Send({0}, 9600);
  EXPECT_EQ(h.Take(), B(">"));
  EXPECT_EQ(h.board.LineBaud(), 115200u);

  h.Send({'+', 0x10, 0x01, 0, 0}, 115200);  // N = 272, least significant byte first
  h.Send(Bytes(271, 0x11), 115200);
  EXPECT_TRUE(h.Take().empty()) << "'F' before the last byte";
  EXPECT_FALSE(h.board.ProgramRunning());
  h.Send({0x11}, 115200);
  EXPECT_EQ(h.Take(), B("F"));
  EXPECT_TRUE(h.board.ProgramRunning());
  EXPECT_EQ(h.board.bootRom().SecondStageLength(), 272u);
}

TEST(BootRom, ZeroLengthSecondStageFinishesAtOnce) {
  BoardHarness h;
  EXPECT_EQ(h.Download(0), B("<>F"));
}

TEST(BootRom, BytesBeforePlusAreIgnored) {
  BoardHarness h;
  h.Take();
  h.Send(Bytes(2048, 0), 9600);
  h.Take();
  h.Send({0x00, 'F', 0xFF, '+', 1, 0, 0, 0, 0x42}, 115200);
  EXPECT_EQ(h.Take(), B("F"));
}

TEST(BootRom, StationAtTheWrongSpeedIsNotHeard) {
  // First stage sent at 115200: the boot ROM listens at 9600.
  BoardHarness wrongFirst;
  wrongFirst.Take();
  wrongFirst.Send(Bytes(4096, 0), 115200);
  EXPECT_TRUE(wrongFirst.Take().empty());
  EXPECT_EQ(wrongFirst.board.Garbled(), 4096u);

  // Station forgets to switch to 115200 after '>'.
  BoardHarness stayed;
  stayed.Take();
  stayed.Send(Bytes(2048, 0), 9600);
  EXPECT_EQ(stayed.Take(), B(">"));
  stayed.Send({'+', 0, 0, 0, 0}, 9600);
  EXPECT_TRUE(stayed.Take().empty());
  EXPECT_FALSE(stayed.board.ProgramRunning());
}

TEST(BootRom, ByteAcceptedWhenEitherSpeedSampleMatches) {
  BoardHarness h;
  h.Take();
  h.Send(Bytes(2047, 0), 9600);
  h.board.Receive(0, {9600, 115200});  // the station switched right after writing
  EXPECT_EQ(h.Take(), B(">"));
  h.board.Receive('+', {9600, 115200});  // switched just before writing
  for (int i = 0; i < 4; ++i) h.board.Receive(0, {57600, 9600});  // neither matches
  EXPECT_EQ(h.board.bootRom().stage(), BootRom::Stage::kLength);
}

TEST(BootRom, ResetStartsOverMidDownload) {
  BoardHarness h;
  h.Take();
  h.Send(Bytes(1000, 0), 9600);
  h.board.Reset();
  EXPECT_EQ(h.Take(), B("<"));
  h.Send(Bytes(1048, 0), 9600);
  EXPECT_TRUE(h.Take().empty()) << "bytes before the reset still counted";
  h.Send(Bytes(1000, 0), 9600);
  EXPECT_EQ(h.Take(), B(">"));
}

TEST(BootRomFaults, NoiseComesBeforeTheAnnounceAndNeverContainsIt) {
  Faults f;
  f.bootNoise = 600;
  BoardHarness h(f);
  const Bytes out = h.Take();
  ASSERT_EQ(out.size(), 601u);
  EXPECT_EQ(out.back(), '<');
  for (std::size_t i = 0; i + 1 < out.size(); ++i) EXPECT_NE(out[i], '<') << "at " << i;
}

TEST(BootRomFaults, SilentBoardSendsNothing) {
  Faults f;
  f.silent = true;
  BoardHarness h(f);
  EXPECT_TRUE(h.Download(4).empty());
  h.Send({'j'}, 115200);
  EXPECT_TRUE(h.Take().empty());
}

TEST(BootRomFaults, MissingAcknowledgements) {
  Faults noAck;
  noAck.noBootAck = true;
  BoardHarness a(noAck);
  EXPECT_EQ(a.Download(4), B("<"));
  EXPECT_FALSE(a.board.ProgramRunning());

  Faults noDone;
  noDone.noBootDone = true;
  BoardHarness d(noDone);
  EXPECT_EQ(d.Download(4), B("<>"));
  d.Send({'s'}, 115200);
  EXPECT_TRUE(d.Take().empty()) << "the program must not run";
}

TEST(BootRomFaults, LostByteInEitherStageAndInEveryDownload) {
  Faults first;
  first.loseByte = 100;
  BoardHarness a(first);
  EXPECT_EQ(a.Download(8), B("<"));
  a.Send({0}, 9600);  // one more byte makes up for the lost one
  EXPECT_EQ(a.Take(), B(">"));

  Faults second;
  second.loseByte = 2048 + 5 + 3;  // the third byte of the second stage
  BoardHarness b(second);
  EXPECT_EQ(b.Download(8), B("<>"));
  b.board.Reset();
  EXPECT_EQ(b.Download(8), B("<>")) << "the fault holds for every download";
}

}  // namespace
}  // namespace rzsim::testing
