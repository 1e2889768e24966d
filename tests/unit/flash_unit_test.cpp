// The Flash unit, the image file checks and the Flash operations over a
// scripted port: the bytes on the wire, the reply rule and the journal.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/texts.h"
#include "flash/flash_channel.h"
#include "flash/flash_test.h"
#include "flash/flash_texts.h"
#include "flash/flash_unit.h"
#include "flash/image_file.h"
#include "flash/transfer_handlers.h"
#include "flash_script.h"
#include "operations/control_handlers.h"
#include "operations/operation_table.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FlashMap, BlocksCoverTheFlashWithoutGaps) {
  std::uint32_t next = 0;
  for (int i = 0; i < kFlashBlocks; ++i) {
    EXPECT_EQ(FlashBlockAddress(i), next) << i;
    next += FlashBlockSize(i);
  }
  EXPECT_EQ(next, kFlashBytes);
  EXPECT_EQ(FlashBlockAddress(8), 0x20000u);
  EXPECT_EQ(FlashBlockSize(8), 0x20000u);
}

TEST(FlashMap, MasksOfTheReplyWords) {
  struct Case {
    std::uint32_t a, b;
    const char* text;
  };
  for (const Case& c : {Case{0x12345678, 0x12340000, " *Ошибка: fl_0"}, Case{0x12345678, 0x00005678, " *Ошибка: fl_1"},
                        Case{0x00000000, 0xFFFFFFFF, " *Ошибка: fl_1,fl_0"}, Case{0x0000FFFF, 0x0000FFFF, ""}}) {
    EXPECT_EQ(std::string(FaultMaskText(FaultMask(c.a, c.b))), c.text) << std::hex << c.a << " " << c.b;
  }
}

TEST(ImageFile, ChecksInOrder) {
  const Bytes signed8M = SignedImage(Pattern(kFlashBytes));
  Bytes changed = SignedImage(Pattern(1000));
  changed[500] ^= 0x10;
  Bytes threeOfFour = SignedImage(Pattern(100));
  threeOfFour[3] = 'X';
  struct Case {
    const char* what;
    Bytes file;
    bool serviceMode;
    const char* refusal;
    bool isSigned;
  };
  const Case cases[] = {
      {"empty", {}, true, text::kImageSize, false},
      {"signature alone", {'V', 'E', 'S', 'K'}, true, text::kImageSize, false},
      {"empty signed image", SignedImage({}), false, nullptr, true},
      {"8 MB signed image", signed8M, false, nullptr, true},
      {"one byte over", [&] { Bytes b = signed8M; b.push_back(0); return b; }(), true, text::kImageSize, false},
      {"one changed byte, service mode", changed, true, text::kImageChecksum, true},
      {"one changed byte", changed, false, text::kImageChecksum, true},
      {"three of four signature bytes", threeOfFour, false, text::kImageSignature, false},
      {"three of four, service mode", threeOfFour, true, nullptr, false},
      {"raw file of 8388613 bytes, service mode", Bytes(kMaxImageFileBytes, 0), true, nullptr, false},
  };
  for (const Case& c : cases) {
    MemoryFile file(c.file);
    const ImageCheck check = CheckImageFile(file, c.serviceMode);
    EXPECT_EQ(check.refusal == nullptr ? "" : check.refusal, std::string(c.refusal == nullptr ? "" : c.refusal))
        << c.what;
    EXPECT_EQ(check.isSigned, c.isSigned) << c.what;
  }
  // The erase bound equals the size (shown as "[File]") only for a raw file in
  // the service mode, or a signed file of exactly 8388608 bytes.
  MemoryFile exact(SignedImage(Pattern(kFlashBytes - 5)));
  const ImageCheck exactCheck = CheckImageFile(exact, false);
  EXPECT_EQ(exactCheck.size, kFlashBytes);
  EXPECT_EQ(EraseBound(exactCheck, false), exactCheck.size);
  EXPECT_EQ(EraseBound({nullptr, false, 20000}, true), 20000u);
  EXPECT_EQ(EraseBound({nullptr, false, 20000}, false), kFlashBytes);
}

// The pieces of an image: their lengths and addresses, and the image they add up to.
TEST(ImageFile, PiecesLeaveOutTheChecksumByte) {
  struct Case {
    std::size_t imageBytes;
    bool isSigned;
    std::size_t pieces;
    std::size_t lastPiece;
  };
  for (const Case& c : {Case{20000, false, 40, 32}, Case{1024, true, 2, 512}, Case{1023, true, 2, 511},
                        Case{1, true, 1, 1}, Case{0, true, 0, 0}, Case{512, false, 1, 512}}) {
    const Bytes image = Pattern(c.imageBytes);
    MemoryFile file(c.isSigned ? SignedImage(image) : image);
    const ImageCheck check = CheckImageFile(file, true);
    ASSERT_EQ(check.refusal, nullptr);
    // Bytes added after the check are never written: exactly the checked size is.
    file.store->insert(file.store->end(), 700, 0xEE);
    ImagePieces pieces(file, check);
    std::array<std::uint8_t, 512> buffer{};
    Bytes written;
    std::vector<std::size_t> lengths;
    std::uint32_t percent = 0;
    for (std::size_t n; (n = pieces.Next(buffer, percent)) > 0;) {
      EXPECT_EQ(pieces.Address(), written.size());
      EXPECT_LT(percent, 100u);
      written.insert(written.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
      lengths.push_back(n);
    }
    EXPECT_EQ(written, image) << c.imageBytes;
    EXPECT_EQ(lengths.size(), c.pieces) << c.imageBytes;
    EXPECT_EQ(lengths.empty() ? 0 : lengths.back(), c.lastPiece) << c.imageBytes;
    EXPECT_FALSE(pieces.Truncated());
  }
  // A file that became shorter than its check ends the pieces as truncated.
  MemoryFile file(Pattern(1500));
  const ImageCheck check = CheckImageFile(file, true);
  file.store->resize(1000);
  ImagePieces pieces(file, check);
  std::array<std::uint8_t, 512> buffer{};
  std::uint32_t percent = 0;
  EXPECT_EQ(pieces.Next(buffer, percent), 512u);
  EXPECT_EQ(pieces.Next(buffer, percent), 0u);
  EXPECT_TRUE(pieces.Truncated());
}

TEST(ImageFile, ErasePercentagesOfTheWholeFlash) {
  std::vector<std::uint32_t> shown;
  for (int i = 0; i < EraseBlockCount(kFlashBytes); ++i) shown.push_back(ErasePercent(FlashBlockAddress(i), kFlashBytes));
  ASSERT_EQ(shown.size(), 71u);
  EXPECT_EQ(std::vector<std::uint32_t>(shown.begin(), shown.begin() + 12),
            (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0, 1, 1, 1, 3, 4, 6}));
  EXPECT_EQ(shown.back(), 98u);
  // A raw file of 20000 bytes erases blocks 0 and 1 only.
  EXPECT_EQ(EraseBlockCount(20000), 2);
  EXPECT_EQ(EraseBlockCount(0x8000), 2);
  EXPECT_EQ(EraseBlockCount(0x8001), 3);
}

TEST(ImageFile, ReadCountsAndPieces) {
  struct Count {
    const char* text;
    std::uint32_t count;
    bool valid;
  };
  for (const Count& c : {Count{"", 0, false}, Count{"0", 0, false}, Count{"9999999", 9999999, false},
                         Count{"8388609", 8388609, false}, Count{"8388608", 8388608, true}, Count{"12ab", 12, true},
                         Count{"x12", 0, false}, Count{"99999999999", 0xFFFFFFFF, false}}) {
    EXPECT_EQ(ByteCountFromText(c.text), c.count) << c.text;
    EXPECT_EQ(ReadCountValid(c.count), c.valid) << c.text;
  }
  EXPECT_EQ(ReadPieceCount(512), 1);
  EXPECT_EQ(ReadPieceAt(512, 0).percent, 0u);
  EXPECT_EQ(ReadPieceCount(100), 1);
  EXPECT_EQ(ReadPieceAt(100, 0).percent, 100u);
  EXPECT_EQ(ReadPieceAt(100, 0).length, 100u);
  EXPECT_EQ(ReadPieceCount(kFlashBytes), 16384);
  EXPECT_EQ(ReadPieceAt(kFlashBytes, 16383).percent, 99u);
  EXPECT_EQ(ReadPieceAt(1000, 1).address, 512u);
}

TEST(ImageFile, NamesShowTheLastComponentForEitherSeparator) {
  for (const auto& [path, name] : std::vector<std::pair<std::string, std::string>>{
           {"image.bin", "image.bin"},
           {"/tmp/rz/image.bin", "image.bin"},
           {"C:\\rz\\image.bin", "image.bin"},
           {"C:/rz\\sub/image.bin", "image.bin"},
           {"dir\\", ""}}) {
    EXPECT_EQ(FileNameOf(path), name) << path;
  }
}

// Bytes that a text-mode file would change (0x1A, CR LF) reach the disk and come back unchanged.
TEST(ImageFile, DiskFilesAreBinary) {
  TempDir dir;
  HostSystem& system = PlatformHostSystem();
  std::string reason;
  const std::vector<std::uint8_t> bytes{'\x1a', '\r', '\n', '\n', 0, '\r', 'x', '\x1a'};
  {
    const auto out = CreateFileForWriting(system, dir.File("binary.bin"), reason, nullptr);
    ASSERT_NE(out, nullptr) << reason;
    ASSERT_TRUE(out->Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(out->Complete());
  }
  const auto in = OpenFileForReading(system, dir.File("binary.bin"), reason);
  ASSERT_NE(in, nullptr) << reason;
  EXPECT_EQ(in->Size(), bytes.size());
  std::vector<std::uint8_t> back(bytes.size() + 4);
  ASSERT_TRUE(in->Seek(1));
  EXPECT_EQ(in->Read(back.data(), back.size()), bytes.size() - 1);
  EXPECT_TRUE(std::equal(bytes.begin() + 1, bytes.end(), back.begin()));
  EXPECT_EQ(OpenFileForReading(system, dir.Path(), reason), nullptr);  // a folder is no file
}

TEST(FlashText, PlaceholdersTakeAnyText) {
  const std::string name(300, 'n');
  EXPECT_EQ(FormatText(text::kOpenFileFailed, name), "Ошибка открытия файла <" + name + ">");
  EXPECT_EQ(FormatText(FormatText(text::kReadHeadingCom, "100"), "%s%d.bin"),
            " == Чтение 100 байт в <%s%d.bin> по \u0421OM ==");
}

// Operations over a scripted port.
class FlashScripted : public ScriptedStation {
 protected:
  void SetUp() override { StartWithProgram(64); }
  std::vector<std::string> ProgressTexts(const std::string& prefix) {
    std::vector<std::string> texts;
    for (const auto& [mode, line] : ui.addCalls) {
      if (line.rfind(prefix, 0) == 0) texts.push_back(line);
    }
    return texts;
  }
};

TEST_F(FlashScripted, FlashTestWireBytesAndAnyOtherStatusByteIsSuccess) {
  station.flags.soundOption = 1;
  station.flags.flashServiceMode = 1;
  FlashScript board(port, [](const FlashCommand&, int n) { return Bytes{static_cast<std::uint8_t>(n % 2 ? 'Q' : 'x')}; });
  ASSERT_EQ(PressButton(station, Button::Flash), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  ASSERT_EQ(board.commands.size(), 142u);
  for (int i = 0; i < kFlashBlocks; ++i) {
    EXPECT_EQ(board.commands[static_cast<std::size_t>(i)].op, 'e');
    EXPECT_EQ(board.commands[static_cast<std::size_t>(i)].address, FlashBlockAddress(i));
    const FlashCommand& t = board.commands[static_cast<std::size_t>(71 + i)];
    EXPECT_EQ(t.op, 't');
    EXPECT_EQ(t.address, FlashBlockAddress(i));
    EXPECT_EQ(t.length, i < 8 ? 0x4000u : 0x20000u);
  }
  EXPECT_EQ(Bytes(port->written.begin(), port->written.begin() + 5), (Bytes{'e', 0, 0, 0, 0}));
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{" ", text::kFlashTestHeading, " Стирание <2x8 Кбайт> блока: 8",
                                                  " Стирание <2x64 Кбайт> блока: 63", text::kEraseAllOk, " ",
                                                  " Запись-Чтение <2x8 Кбайт> блока: 8",
                                                  " Запись-Чтение <2x64 Кбайт> блока: 63", text::kTestAllOk,
                                                  text::kTestPassed}));
  EXPECT_EQ(sound.Tones().size(), 6u);
  EXPECT_EQ(ui.nextControlRequests, (std::vector<int>{5}));
}

TEST_F(FlashScripted, FlashTestAbortsOnEscAndStillSignals) {
  station.flags.soundOption = 1;
  port->onRead = [this](int number) {
    if (number == 3) station.flags.RequestAbort();
  };
  EXPECT_EQ(Run(&FlashTest), Outcome::Aborted);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{" ", text::kFlashTestHeading, " Стирание <2x8 Кбайт> блока: 1",
                                                  text::kAborted}));
  EXPECT_EQ(sound.Tones().size(), 6u);
  EXPECT_EQ(station.flags.abort.load(), 0);
  EXPECT_EQ(ui.status, text::kStatusIdle);
}

TEST_F(FlashScripted, WriteSendsPiecesWithTheirChecksumAndRetriesOnce) {
  const Bytes image = Pattern(1300);
  station.flags.flashServiceMode = 1;
  station.flags.soundOption = 1;
  FlashScript board(port, [](const FlashCommand&, int n) {
    // The second piece is refused in fl_1 once.
    return n == 2 ? FlashScript::Refusal(0x00010000, 0) : Bytes{'Q'};
  });
  FileToFlashJob job{"raw.bin", std::make_unique<MemoryFile>(image)};
  EXPECT_EQ(FileToFlashOverCom(station, job), Outcome::Success);
  EXPECT_EQ(job.file, nullptr);  // the worker took the file and closed it
  ASSERT_EQ(board.commands.size(), 5u);
  EXPECT_EQ(board.commands[0].op, 'e');
  Bytes written;
  for (std::size_t i : {1u, 2u, 4u}) {
    const FlashCommand& w = board.commands[i];
    EXPECT_EQ(w.op, 'w');
    EXPECT_EQ(w.address, written.size());
    EXPECT_EQ(w.length, w.data.size());
    EXPECT_EQ(static_cast<std::uint8_t>(w.checksum + [&] {
                std::uint8_t sum = 0;
                for (std::uint8_t b : w.data) sum = static_cast<std::uint8_t>(sum + b);
                return sum;
              }()),
              0);
    written.insert(written.end(), w.data.begin(), w.data.end());
  }
  EXPECT_EQ(board.commands[3].data, board.commands[2].data);
  EXPECT_EQ(written, image);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " == Запись <raw.bin> по \u0421OM ==", text::kEraseDoneFile,
                                                  " Запись Flash: 39% Повтор", text::kWriteDone, text::kWritePassed}));
  EXPECT_EQ(ProgressTexts(" Запись Flash: "),
            (std::vector<std::string>{" Запись Flash: ", " Запись Flash: 0%", " Запись Flash: 39%",
                                      " Запись Flash: 39% Повтор", " Запись Flash: 39%", " Запись Flash: 78%",
                                      text::kWriteDone}));
  EXPECT_EQ(sound.Tones().size(), 6u);
}

TEST_F(FlashScripted, RefusedImageSendsNothing) {
  FileToFlashJob job{"raw.bin", std::make_unique<MemoryFile>(Pattern(100))};
  EXPECT_EQ(FileToFlashOverCom(station, job), Outcome::Failed);
  EXPECT_TRUE(port->written.empty());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, text::kRefusalCaption);
  EXPECT_EQ(ui.messages[0].text, text::kImageSignature);
  EXPECT_FALSE(ui.messages[0].ownedByWindow);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " == Запись <raw.bin> по \u0421OM ==", text::kAborted}));
}

// A read reply that stops short: every missing position keeps the last byte
// received, after 224 empty attempts each.
TEST_F(FlashScripted, ReadLastByteRuleAndTheSilentRetry) {
  FlashScript board(port, [](const FlashCommand&, int n) {
    // 1 + 1 + 170 + (170) + checksum (170) adds up to 512: good.
    if (n == 0) return Bytes{1, 1, 170};
    return Bytes{};
  });
  std::array<std::uint8_t, 4> data{};
  const int readsBefore = port->reads;
  EXPECT_TRUE(ReadFlashBlock(station, 0x200, data));
  EXPECT_EQ(data, (std::array<std::uint8_t, 4>{1, 1, 170, 170}));
  EXPECT_EQ(port->reads - readsBefore, 1 + 2 * kReadAttemptsPerByte);  // the whole reply asked for once
  EXPECT_EQ(Bytes(port->written.begin(), port->written.end()), (Bytes{'r', 0, 2, 0, 0, 4, 0, 0, 0}));
  // Nothing at all: every position is the opcode 'r', which is no good checksum.
  EXPECT_FALSE(ReadFlashBlock(station, 0, std::span<std::uint8_t>(data.data(), 1)));
}

Bytes ReadReply(const Bytes& flash, const FlashCommand& c, bool good) {
  Bytes r(flash.begin() + c.address, flash.begin() + c.address + c.length);
  std::uint8_t sum = 0;
  for (std::uint8_t b : r) sum = static_cast<std::uint8_t>(sum + b);
  r.push_back(static_cast<std::uint8_t>(0u - sum + (good ? 0 : 1)));
  return r;
}

TEST_F(FlashScripted, ReadRetriesOnceSilentlyAndKeepsWhatItRead) {
  const Bytes flash = Pattern(1500);
  // Piece 1 bad once (accepted on the retry), piece 2 (the remainder) bad twice.
  FlashScript board(port, [&](const FlashCommand& c, int n) { return ReadReply(flash, c, n != 1 && n != 3 && n != 4); });
  auto file = std::make_unique<MemoryFile>();
  const auto kept = file->store;
  FlashToFileJob job{"out.bin", 1500, std::move(file)};
  EXPECT_EQ(FlashToFileOverCom(station, job), Outcome::Failed);
  ASSERT_EQ(board.commands.size(), 5u);
  EXPECT_EQ(board.commands[4].length, 476u);
  EXPECT_EQ(ProgressTexts(" Чтение Flash: "),
            (std::vector<std::string>{" Чтение Flash: ", " Чтение Flash: 0%", " Чтение Flash: 34%",
                                      " Чтение Flash: 100%", " Чтение Flash: 100% *ОШИБКА*"}));
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", " == Чтение 1500 байт в <out.bin> по \u0421OM ==",
                                                  " Чтение Flash: 100% *ОШИБКА*", text::kAborted}));
  EXPECT_EQ(*kept, Bytes(flash.begin(), flash.begin() + 1024));
  EXPECT_TRUE(sound.Tones().empty());
}

TEST_F(FlashScripted, EscDuringAReplyFailsItsRetryTooAndAFullDiskEndsTheRead) {
  const Bytes flash = Pattern(2048);
  FlashScript board(port, [&](const FlashCommand& c, int) { return ReadReply(flash, c, true); });
  port->onRead = [this](int number) {
    if (number == 2) station.flags.RequestAbort();  // the second piece
  };
  FlashToFileJob job{"out.bin", 2048, std::make_unique<MemoryFile>()};
  EXPECT_EQ(FlashToFileOverCom(station, job), Outcome::Aborted);
  EXPECT_EQ(board.commands.size(), 3u);  // piece 1 and its retry, which fails at once
  EXPECT_EQ(ui.Lines().back(), text::kAborted);
  EXPECT_EQ(ui.Lines()[2], " Чтение Flash: 25% *ОШИБКА*");
  EXPECT_EQ(station.flags.abort.load(), 0);

  ui.journal.Clear();
  port->onRead = nullptr;
  auto full = std::make_unique<MemoryFile>();
  full->writesLeft = 1;
  FlashToFileJob second{"out.bin", 2048, std::move(full)};
  EXPECT_EQ(FlashToFileOverCom(station, second), Outcome::Failed);
  EXPECT_EQ(ui.Lines()[2], " Чтение Flash: 25% *ОШИБКА*");
}

// A channel's read of a piece is one attempt and leaves the journal alone, so
// that other callers than the transfer can use it.
TEST_F(FlashScripted, ChannelReadOfAPieceIsOneSilentAttempt) {
  const Bytes flash = Pattern(1024);
  FlashScript board(port, [&](const FlashCommand& c, int n) { return ReadReply(flash, c, n == 1); });
  const std::unique_ptr<FlashChannel> channel = SerialFlashChannel(station);
  const std::size_t linesBefore = ui.addCalls.size();
  std::array<std::uint8_t, 512> piece{};
  EXPECT_FALSE(channel->ReadPiece(512, piece));
  EXPECT_TRUE(channel->ReadPiece(512, piece));
  EXPECT_EQ(Bytes(piece.begin(), piece.end()), Bytes(flash.begin() + 512, flash.end()));
  EXPECT_EQ(board.commands.size(), 2u);
  EXPECT_EQ(ui.addCalls.size(), linesBefore);
}

// The transfer buttons' handlers: dialogs, files, counts and their messages.
class TransferButtons : public FlashScripted {
 protected:
  StartResult Press(Button button, const OperationArgs* args = nullptr) {
    const StartResult result = StartOperation(station, *FindOperationRow(button), args);
    if (result == StartResult::Started) {
      while (station.runner.Busy()) station.flags.RequestAbort();  // the port is silent
      station.runner.Wait();
    }
    return result;
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir.File(name)); }
};

TEST_F(TransferButtons, FilesThatCannotBeOpenedOrCreated) {
  ui.openFileAnswer = dir.File("missing.rzi");
  EXPECT_EQ(Press(Button::FileToFlash), StartResult::Refused);
  ui.saveFileAnswer = dir.File("no-folder/out.bin");
  EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].caption, text::kErrorCaption);
  EXPECT_EQ(ui.messages[0].text, "Ошибка открытия файла <missing.rzi>");
  EXPECT_TRUE(ui.messages[0].ownedByWindow);
  EXPECT_EQ(ui.messages[1].text, "Ошибка создания файла <out.bin>");
  // The system's own reason follows (its wording is the system's).
  EXPECT_FALSE(ui.messages[1].details.empty());
#ifndef _WIN32
  EXPECT_EQ(ui.messages[1].details, "нет такого файла или каталога");
#endif
  EXPECT_EQ(ui.byteCountAsked, 0);
#ifndef _WIN32
  // A FIFO picked in either dialog is refused at once, with the reason.
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  ui.openFileAnswer = ui.saveFileAnswer = dir.File("pipe");
  EXPECT_EQ(Press(Button::FileToFlash), StartResult::Refused);
  EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
  ASSERT_EQ(ui.messages.size(), 4u);
  EXPECT_EQ(ui.messages[2].text, "Ошибка открытия файла <pipe>");
  EXPECT_EQ(ui.messages[3].text, "Ошибка создания файла <pipe>");
  EXPECT_EQ(ui.messages[3].details, NotARegularFileReason(PathKind::Other));
#endif
  ui.messages.resize(2);
  ui.dialogFolders.resize(2);
  EXPECT_EQ(ui.dialogFolders, (std::vector<std::string>(2, std::filesystem::current_path().string())));
  // Cancelling a dialog does nothing at all.
  ui.openFileAnswer.reset();
  ui.saveFileAnswer.reset();
  EXPECT_EQ(Press(Button::FileToFlash), StartResult::Refused);
  EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_TRUE(ui.Lines().empty());
  EXPECT_EQ(ui.journalFocused, 0);
  EXPECT_EQ(station.flags.focusIndex.load(), 11);
}

// In the window a transfer's file is chosen after the run has started: one
// that is a file of the run (the results log, the record) is refused.
TEST_F(TransferButtons, AFileOfTheRunChosenInADialogIsRefused) {
  dir.Write("run.json", Bytes(10, 1));
  station.runFiles = {{dir.File("vesk_rz.log"), "журнал результатов", true}, {dir.File("run.json"), "--record", true}};
  ui.openFileAnswer = dir.File("run.json");
  EXPECT_EQ(Press(Button::FileToFlash), StartResult::Refused);
  ui.saveFileAnswer = dir.Path() + "/./vesk_rz.log";
  EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Ошибка открытия файла <run.json>");
  EXPECT_NE(ui.messages[0].details.find("--record"), std::string::npos) << ui.messages[0].details;
  EXPECT_EQ(ui.messages[1].text, "Ошибка создания файла <vesk_rz.log>");
  EXPECT_NE(ui.messages[1].details.find("журнал результатов"), std::string::npos) << ui.messages[1].details;
  EXPECT_EQ(ui.byteCountAsked, 0);
  EXPECT_FALSE(Exists("vesk_rz.log"));
}

TEST_F(TransferButtons, BadByteCountLeavesAnExistingFileAloneAndNoNewOne) {
  dir.Write("old.bin", Bytes(100, 7));
  station.flags.RequestAbort();  // an old ESC: cleared only when the transfer starts
  for (std::uint32_t count : {0u, 8388609u, 9999999u}) {
    ui.saveFileAnswer = dir.File("old.bin");
    ui.byteCountAnswer = count;
    EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
    EXPECT_EQ(ui.messages.back().text, "Кол-во байт чтения: " + std::to_string(count));
    EXPECT_EQ(ui.messages.back().caption, text::kErrorCaption);
    EXPECT_EQ(dir.Read("old.bin"), std::string(100, '\7'));
    ui.saveFileAnswer = dir.File("new.bin");
    EXPECT_EQ(Press(Button::FlashToFile), StartResult::Refused);
    EXPECT_FALSE(Exists("new.bin"));
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary file left: " << entry.path();
  }
  ui.saveFileAnswer = dir.File("old.bin");
  EXPECT_EQ(station.flags.abort.load(), 1);
  ui.byteCountAnswer = 8388608;
  EXPECT_EQ(Press(Button::FlashToFile), StartResult::Started);
  EXPECT_EQ(ui.Lines()[1], " == Чтение 8388608 байт в <old.bin> по \u0421OM ==");
  EXPECT_EQ(ui.journalFocused, 1);
}

TEST_F(TransferButtons, CommandLineChecksTheCountBeforeTouchingTheFile) {
  dir.Write("old.bin", Bytes(100, 7));
  OperationArgs args;
  std::string error;
  const OperationRow* row = nullptr;
  for (const std::string& word : {"read=" + dir.File("old.bin") + ":0", "read=" + dir.File("new.bin") + ":",
                                 "read=" + dir.File("new.bin") + ":8388609x"}) {
    ASSERT_TRUE(ParseOperationWord(word, row, args, error)) << error;
    EXPECT_EQ(StartOperation(station, *row, &args), StartResult::Refused);
  }
  EXPECT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[2].text, "Кол-во байт чтения: 8388609");
  EXPECT_EQ(dir.Read("old.bin").size(), 100u);
  EXPECT_FALSE(Exists("new.bin"));
  EXPECT_EQ(ui.byteCountAsked, 0);
  EXPECT_TRUE(ui.dialogFolders.empty());
  for (const char* bad : {"read", "read=", "read=file", "read=:5", "write", "write="}) {
    EXPECT_FALSE(ParseOperationWord(bad, row, args, error)) << bad;
  }
  ASSERT_TRUE(ParseOperationWord("read=a:b:12", row, args, error));
  EXPECT_EQ(args.file, "a:b");
  EXPECT_EQ(args.readCount, 12u);
}

TEST_F(TransferButtons, WithTheEthernetSwitchOnTheyUseTheEthernetChannel) {
  ui.ethernet = true;
  ui.openFileAnswer = dir.File("x");
  EXPECT_EQ(Press(Button::FileToFlash), StartResult::Refused);  // no such file
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text, text::kOnlyOverCom);
  EXPECT_EQ(ui.dialogFolders.size(), 1u);
  const TransferWorkers workers = EthernetTransferWorkers();
  EXPECT_EQ(workers.fileToFlash, &FileToFlashOverUdp);
  EXPECT_EQ(workers.flashToFile, &FlashToFileOverUdp);
}

}  // namespace
}  // namespace rz::testing
