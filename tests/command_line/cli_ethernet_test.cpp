// rzstation-cli's Ethernet switch words and --local-address, against the
// simulated board on loopback.

#include <gtest/gtest.h>

#include "app/ip_address.h"
#include "child_process.h"
#include "flash_script.h"
#include "loopback_udp.h"
#include "simulated_board.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

class CliEthernetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("tst7312v26.bin", TestProgramBytes(2048));
    board = std::make_unique<SimulatedBoard>(dir.File("COM1"), std::vector<std::string>{});
  }
  // The command line with the station on its loopback address. Every
  // ethernet=on: address must be a loopback one, or the test fails here
  // before anything runs.
  // `limit` only guards against a hang: an 8 MB transfer of 32768 exchanges
  // slows down far more than the rest on a loaded machine.
  ProcessResult Run(const std::vector<std::string>& operations,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::vector<std::string> args{RZ_CLI_PATH,  "--workdir",       dir.Path(), "--com1", dir.File("COM1"),
                                  "--local-address", FormatIpv4(pair.station), "--keep-going"};
    for (const std::string& word : operations) {
      const std::string on = "ethernet=on:";
      if (word.rfind(on, 0) == 0) {
        const auto address = ParseIpAddressText(word.substr(on.size()));
        if (address && !RequireLoopback(*address, "board address")) return {};
      }
      args.push_back(word);
    }
    return ChildProcess(args).Wait(limit);
  }

  TempDir dir;
  LoopbackPair pair = NextLoopbackPair();
  std::unique_ptr<SimulatedBoard> board;
};

TEST_F(CliEthernetTest, OnRefusesSerialOnlyOperationsUntilOff) {
  const std::string address = FormatIpv4(pair.board);
  const ProcessResult result = Run({"download", "ethernet=on:" + address, "config", "ethernet=off", "cpu=74"});
  EXPECT_EQ(result.exitCode, 1);  // config was refused
  EXPECT_NE(result.out.find("\n Разрешена работа через Ethernet.\n IP:" + address + "\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\n Запрещена работа через Ethernet.\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(" CPU->74МГц"), std::string::npos) << result.out;  // serial again after off
  EXPECT_EQ(result.err, " Ошибка: Функция работает только по COM\n");
}

TEST_F(CliEthernetTest, ARefusedAddressShowsTheTypedTextAndFails) {
  const ProcessResult result = Run({"ethernet=on:10.00.0.1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Ошибка: 10.00.0.1\n");
  EXPECT_EQ(result.out, "");
}

TEST_F(CliEthernetTest, LocalAddressMustBeADottedQuad) {
  ProcessResult result = ChildProcess({RZ_CLI_PATH, "--local-address", "localhost", "config"}).Wait();
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--local-address"), std::string::npos);
  result = ChildProcess({RZ_CLI_PATH, "--help"}).Wait();
  EXPECT_NE(result.out.find("ethernet=on:IPV4|ethernet=off"), std::string::npos);
  EXPECT_NE(result.out.find("--local-address IPV4"), std::string::npos);
}

TEST_F(CliEthernetTest, AnAddressAlreadyInUseIsReportedOnce) {
  LoopbackPeer occupant(pair.station);  // holds the station's address and port
  const ProcessResult result = Run({"ethernet=on:" + FormatIpv4(pair.board)});
  EXPECT_EQ(result.exitCode, 1);
  // Start-up and the switching operation each try once.
  EXPECT_EQ(result.err, "Ошибка: Socket Local Address error\nОшибка: Socket Local Address error\n");
  EXPECT_EQ(result.out, "\n *Ошибка открытия сокета.\n");
}

TEST_F(CliEthernetTest, AFullSignedImageWrittenAndReadBackOverUdp) {
  const std::vector<std::uint8_t> image = Pattern(8388608, 9);
  dir.Write("full.bin", SignedImage(image));
  const std::string address = FormatIpv4(pair.board);
  const ProcessResult result =
      Run({"download", "ethernet=on:" + address, "write=" + dir.File("full.bin"), "read=" + dir.File("back.bin") + ":8388608", "ethernet=off"},
          std::chrono::seconds(150));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  // Writes are read back; a read whose answers came unusually late on a
  // loaded machine may check a few pieces again (" Проверка Flash").
  for (const char* line : {"\n == Запись <full.bin> по Ethernet ==\n Стирание Flash: 100% [Flash]\n"
                           " Запись Flash: 100%\n Проверка Flash: 100%\n",
                           "Flash: 100%\n Запись завершена успешно.\n",
                           "\n == Чтение 8388608 байт в <back.bin> по Ethernet ==\n Чтение Flash: 100%\n",
                           "Flash: 100%\n Чтение завершено успешно.\n"}) {
    EXPECT_NE(result.out.find(line), std::string::npos) << line << result.out;
  }
  const std::string back = dir.Read("back.bin");
  ASSERT_EQ(back.size(), image.size());
  EXPECT_TRUE(std::equal(image.begin(), image.end(), back.begin(),
                         [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

}  // namespace
}  // namespace rz::testing
