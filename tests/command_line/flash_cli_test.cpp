// rzstation-cli's Flash operations end to end against the simulated board.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/cp1251.h"
#include "child_process.h"
#include "simulated_board.h"
#include "flash_script.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

class FlashCliTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("tst7312v26.bin", TestProgramBytes(2048)); }
  void StartBoard(std::vector<std::string> options = {}) {
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::move(options));
  }
  ProcessResult Run(std::vector<std::string> operations) {
    std::vector<std::string> args{RZ_CLI_PATH, "--workdir", dir.Path(), "--com1", dir.File("COM1")};
    args.insert(args.end(), operations.begin(), operations.end());
    return ChildProcess(args).Wait(std::chrono::minutes(5));
  }
  std::string Log() { return Cp1251ToUtf8(dir.Read("vesk_rz.log")); }

  TempDir dir;
  std::unique_ptr<SimulatedBoard> board;
};

TEST_F(FlashCliTest, FlashTestNeedsTheServiceMode) {
  StartBoard();
  ProcessResult result = Run({"flash-test"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, " Ошибка: Функция недоступна\n");
  EXPECT_EQ(result.out, "");
  EXPECT_NE(dir.Read("vesk_rz.log"), "");  // the header alone

  result = Run({"--flash-service", "download", "flash-test"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find(" == Тестирование FLASH ==\n Стирание <2x8 Кбайт> блока: 8\n"), std::string::npos);
  EXPECT_NE(Log().find(" Тестирование завершено успешно.\r\n"), std::string::npos);
}

// A full 8 MB signed image written and read back, compared byte for byte with
// the image and with what the board's Flash holds at its exit.
TEST_F(FlashCliTest, EightMegabyteRoundTrip) {
  StartBoard({"--flash-save", dir.File("flash.out")});
  const std::vector<std::uint8_t> image = Pattern(8388608, 9);
  dir.Write("image.rzi", SignedImage(image));
  const ProcessResult result = Run({"download", "write=" + dir.File("image.rzi"), "read=" + dir.File("back.bin") + ":8388608"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("\n == Запись <image.rzi> по \u0421OM ==\n Стирание Flash: 100% [Flash]\n"
                            " Запись Flash: 100%\n Запись завершена успешно.\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n == Чтение 8388608 байт в <back.bin> по \u0421OM ==\n Чтение Flash: 100%\n"
                            " Чтение завершено успешно.\n"),
            std::string::npos);
  const std::string back = dir.Read("back.bin");
  ASSERT_EQ(back.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), back.begin(), [](std::uint8_t a, char b) {
    return a == static_cast<std::uint8_t>(b);
  }));
  board.reset();  // the board saves its Flash as it exits
  EXPECT_EQ(dir.Read("flash.out"), back);
}

// A run whose outputs would overwrite its inputs (or each other) is refused
// before anything runs, naming both uses; every file stays as it was.
TEST_F(FlashCliTest, OutputsThatAreInputsStopTheRunBeforeItStarts) {
  StartBoard();
  dir.Write("image.bin", Pattern(1024, 3));
  const std::string image = dir.Read("image.bin");
  const std::string program = dir.Read("tst7312v26.bin");
  const struct {
    std::vector<std::string> args;
    const char* first;
    const char* second;
  } cases[] = {
      {{"--record", dir.File("image.bin"), "--flash-service", "download", "write=" + dir.File("image.bin")},
       "--record", "write="},
      {{"--record", dir.File("tst7312v26.bin"), "config"}, "тестовая программа", "--record"},
      {{"--record", dir.File("run.json"), "--junit", dir.Path() + "/./run.json", "config"}, "--record", "--junit"},
      {{"--junit", dir.File("vesk_rz.log"), "config"}, "журнал результатов", "--junit"},
      {{"read=" + dir.File("image.bin") + ":512", "write=" + dir.File("image.bin")}, "read=", "write="},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Run(c.args);
    EXPECT_EQ(result.exitCode, 2) << c.first;
    EXPECT_NE(result.err.find(c.first), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(c.second), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.Read("image.bin"), image);
    EXPECT_EQ(dir.Read("tst7312v26.bin"), program);
    EXPECT_EQ(dir.Read("vesk_rz.log"), "");
  }
}

TEST_F(FlashCliTest, BadCountsAndFilesAreRefusedWithoutHarm) {
  StartBoard();
  dir.Write("old.bin", std::vector<std::uint8_t>(10, 1));
  ProcessResult result = Run({"--keep-going", "read=" + dir.File("old.bin") + ":0",
                              "read=" + dir.File("new.bin") + ":9999999", "write=" + dir.File("missing.rzi"),
                              "read=" + dir.File("no/such/dir.bin") + ":5"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "Ошибка: Кол-во байт чтения: 0\nОшибка: Кол-во байт чтения: 9999999\n"
            "Ошибка: Ошибка открытия файла <missing.rzi> (нет такого файла или каталога)\n"
            "Ошибка: Ошибка создания файла <dir.bin> (нет такого файла или каталога)\n");
  EXPECT_EQ(dir.Read("old.bin").size(), 10u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.bin")));
  EXPECT_NE(dir.Read("vesk_rz.log"), "");

  // A raw file outside the Flash service mode.
  dir.Write("raw.bin", Pattern(600));
  result = Run({"download", "write=" + dir.File("raw.bin")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, " Ошибка: Ошибка сигнатуры файла\n");
  EXPECT_NE(result.out.find("\n == Запись <raw.bin> по \u0421OM ==\n Операция прервана.\n"), std::string::npos);

  result = ChildProcess({RZ_CLI_PATH, "read=x"}).Wait();
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("takes =FILE:COUNT"), std::string::npos);
}

// An existing file is replaced only by a read that completes; what a failed
// read got is kept beside it under a name stderr and the record give.
TEST_F(FlashCliTest, AFailedReadKeepsTheOldFileAndWhatItRead) {
  StartBoard({"--flash-bad-read", "1024"});
  dir.Write("keep.bin", {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'});
  ProcessResult result = Run({"--record", dir.File("run.json"), "download", "read=" + dir.File("keep.bin") + ":2048"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(dir.Read("keep.bin"), "precious");
  EXPECT_EQ(dir.Read("keep.bin.partial").size(), 1024u);
  EXPECT_NE(result.err.find("Прочитанные 1024 байт сохранены в " + dir.File("keep.bin.partial") + "; файл " +
                            dir.File("keep.bin") + " не изменен"), std::string::npos)
      << result.err;
  EXPECT_NE(dir.Read("run.json").find("\"file\": \"" + dir.File("keep.bin.partial") + "\""), std::string::npos);

  // A second failure takes the next free name; a new file keeps its bytes itself.
  result = Run({"--keep-going", "download", "read=" + dir.File("keep.bin") + ":2048",
                "read=" + dir.File("new.bin") + ":2048"});
  EXPECT_EQ(dir.Read("keep.bin.partial-2").size(), 1024u);
  EXPECT_EQ(dir.Read("new.bin").size(), 1024u);
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << "temporary file left: " << entry.path();
  }

  // A full disk (here: the file-size limit of one block) says so on stderr and
  // keeps what did fit.
  std::vector<std::string> limited{"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$@\"", "sh", RZ_CLI_PATH,
                                   "--workdir", dir.Path(), "--com1", dir.File("COM1"), "download",
                                   "read=" + dir.File("keep.bin") + ":8192"};
  result = ChildProcess(limited).Wait(std::chrono::minutes(1));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find(" *ОШИБКА*"), std::string::npos) << result.out;
  EXPECT_NE(result.err.find("Ошибка записи файла " + dir.File("keep.bin") + ": файл слишком велик"), std::string::npos)
      << result.err;
  EXPECT_EQ(dir.Read("keep.bin"), "precious");
  EXPECT_GT(dir.Read("keep.bin.partial-3").size(), 0u);
}

// FIFOs and device nodes are refused at once as transfer files and as record
// files, and never replaced.
TEST_F(FlashCliTest, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/null", dir.File("null"));
  for (const std::string& file : {dir.File("pipe"), dir.File("null"), dir.Path()}) {
    const auto started = std::chrono::steady_clock::now();
    ProcessResult result = Run({"--keep-going", "write=" + file, "read=" + file + ":100"});
    EXPECT_EQ(result.exitCode, 1);
    const std::size_t first = result.err.find("не обычный файл");
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_NE(result.err.find("не обычный файл", first + 1), std::string::npos) << result.err;
    for (const char* option : {"--record", "--junit"}) {
      result = Run({option, file, "port=NONE"});
      EXPECT_EQ(result.exitCode, 2) << result.err;
      EXPECT_NE(result.err.find("не обычный файл"), std::string::npos) << result.err;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("null")));
}

}  // namespace
}  // namespace rz::testing
