// The Ethernet switch: its handler with the IP-address dialog, and the
// switching operation's serial commands and journal lines on a scripted port.

#include <gtest/gtest.h>

#include "app/ethernet_texts.h"
#include "app/texts.h"
#include "operations/control_handlers.h"
#include "operations/ethernet_switch.h"
#include "operations/operation_table.h"
#include "station_fixture.h"

namespace rz::testing {
namespace {

// A socket that is there and never carries anything (the switching operation
// only needs one to exist).
class IdleSocket final : public DatagramSocket {
 public:
  bool Bind(const Ipv4Endpoint&) override { return true; }
  bool SendTo(const std::uint8_t*, std::size_t, const Ipv4Endpoint&) override { return false; }
  int WaitReadable(std::chrono::microseconds) override { return 0; }
  long ReceiveFrom(std::uint8_t*, std::size_t, Ipv4Endpoint&, bool& wouldBlock) override {
    wouldBlock = true;
    return 0;
  }
};

class EthernetSwitchTest : public ScriptedStation {
 protected:
  void SetUp() override {
    StartWithProgram(64);
    station.udp.socket = std::make_unique<IdleSocket>();
  }
  // The operator clicks the check box (which changes its state first).
  StartResult Click() {
    ui.ethernet = !ui.ethernet;
    return OnEthernetSwitchClicked(station);
  }
  // The board answers once the command is out (the operation purges the port
  // before it sends, so nothing may be waiting earlier).
  void AnswerNextRead(std::vector<std::uint8_t> answer) {
    port->onRead = [this, answer, fed = false](int) mutable {
      if (!fed) port->Feed(answer);
      fed = true;
    };
  }
  Outcome RunSwitching(bool on, std::vector<std::uint8_t> answer) {
    ui.ethernet = on;
    if (!answer.empty()) AnswerNextRead(answer);
    const Outcome outcome = Run(&SwitchEthernet);
    if (!answer.empty()) port->onRead = nullptr;
    return outcome;
  }
};

TEST_F(EthernetSwitchTest, SwitchingOnWithQSendsTheAddressAndShowsIt) {
  station.udp.boardAddress.address = {10, 0, 0, 1};
  EXPECT_EQ(RunSwitching(true, {'Q'}), Outcome::Success);
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'a', 10, 0, 0, 1}));
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kEthernetEnabled, " IP:10.0.0.1"}));
  EXPECT_EQ(ui.addCalls[1].second, text::kEthernetConnecting);  // replaced by the answer
  EXPECT_TRUE(ui.ethernet);
  EXPECT_GE(port->purgesIn, 1);
  // Controls off and on again; the status line is left alone; the focus goes back.
  EXPECT_EQ(ui.enableCalls, (std::vector<bool>{false, true}));
  EXPECT_EQ(ui.status, "");
}

TEST_F(EthernetSwitchTest, ARefusalOrSilenceUnchecksTheSwitch) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> answer;
    int reads;
  };
  const Case cases[] = {{"answer x", {'x'}, 1}, {"silence", {}, 240}, {"Q on the 240th read only", {}, 240}};
  for (const Case& c : cases) {
    ui.journal = {};
    port->reads = 0;
    if (std::string(c.what).find("240th") != std::string::npos) {
      port->onRead = [this](int number) {
        if (number == 240) port->Feed({'Q'});
      };
    }
    EXPECT_EQ(RunSwitching(true, c.answer), Outcome::Failed) << c.what;
    port->onRead = nullptr;
    EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kEthernetConnecting, text::kEthernetConnectError}))
        << c.what;
    EXPECT_FALSE(ui.ethernet) << c.what;
    EXPECT_EQ(port->reads, c.reads) << c.what;
  }
}

TEST_F(EthernetSwitchTest, SwitchingOffSendsBAndPutsTheSwitchBackOnFailure) {
  EXPECT_EQ(RunSwitching(false, {'Q'}), Outcome::Success);
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'b'}));
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kEthernetDisabled}));
  EXPECT_FALSE(ui.ethernet);

  ui.journal = {};
  EXPECT_EQ(RunSwitching(false, {'q'}), Outcome::Failed);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kEthernetDisconnecting, text::kEthernetDisconnectError}));
  EXPECT_TRUE(ui.ethernet);
}

TEST_F(EthernetSwitchTest, EscWhileWaitingFailsAndTheFlagIsClearedAtTheEnd) {
  port->onRead = [this](int number) {
    if (number == 3) station.flags.RequestAbort();
  };
  EXPECT_EQ(RunSwitching(true, {}), Outcome::Aborted);
  EXPECT_EQ(port->reads, 3);
  EXPECT_FALSE(ui.ethernet);
  EXPECT_FALSE(station.flags.AbortRequested());
}

TEST_F(EthernetSwitchTest, WithoutASocketSwitchingOnReportsItAndOffIsStillSentOverCom) {
  station.udp.socket.reset();  // and no backend to create one
  EXPECT_EQ(RunSwitching(true, {'Q'}), Outcome::Failed);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kSocketOpenError}));
  EXPECT_FALSE(ui.ethernet);
  ui.journal = {};
  // Switching off needs no socket: the board hears it over the serial port.
  EXPECT_EQ(RunSwitching(false, {'Q'}), Outcome::Success);
  EXPECT_EQ(ui.Lines(), (std::vector<std::string>{"", text::kEthernetDisabled}));
  EXPECT_FALSE(port->written.empty());
}

TEST_F(EthernetSwitchTest, TheHandlerAsksForTheAddressAndKeepsARefusalUntilAnAcceptedEntry) {
  // A refused entry: the typed text in an error box, the switch unchecked.
  ui.ipDialogAnswers = {std::string("192.168.2.0")};
  EXPECT_EQ(Click(), StartResult::Refused);
  EXPECT_EQ(ui.ipDialogShown, (std::vector<std::string>{"192.168.2.200"}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, text::kErrorCaption);
  EXPECT_EQ(ui.messages[0].text, "192.168.2.0");
  EXPECT_FALSE(ui.messages[0].ownedByWindow);
  EXPECT_FALSE(ui.ethernet);
  EXPECT_FALSE(station.udp.addressValid);

  // ESC after that refusal changes nothing: the switch is unchecked at once.
  ui.ipDialogAnswers = {std::nullopt};
  EXPECT_EQ(Click(), StartResult::Refused);
  EXPECT_FALSE(ui.ethernet);
  EXPECT_FALSE(station.runner.Busy());
  EXPECT_EQ(ui.ipDialogShown.back(), "192.168.2.200");  // the stored address stayed

  // An accepted entry becomes the stored and the board address; the switching starts.
  ui.ipDialogAnswers = {std::string("300.1.1.1")};
  station.flags.RequestAbort();
  AnswerNextRead({'Q'});
  EXPECT_EQ(Click(), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(station.udp.storedAddress, (std::array<std::uint8_t, 4>{44, 1, 1, 1}));
  EXPECT_EQ(port->written, (std::vector<std::uint8_t>{'a', 44, 1, 1, 1}));
  EXPECT_TRUE(ui.ethernet);
  EXPECT_TRUE(station.udp.addressValid);
  EXPECT_GE(ui.journalFocused, 1);

  // While it is on every serial-only button refuses; the transfers do not.
  ui.messages.clear();
  EXPECT_EQ(PressButton(station, Button::Sdram), StartResult::Refused);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, text::kOnlyOverCom);
  dir.Write("small.bin", std::vector<std::uint8_t>(16, 0));
  ui.openFileAnswer = dir.File("small.bin");
  EXPECT_EQ(PressButton(station, Button::FileToFlash), StartResult::Started);
  station.runner.Wait();  // the image check refuses the file: nothing is sent

  // Switching off asks nothing.
  AnswerNextRead({'Q'});
  EXPECT_EQ(Click(), StartResult::Started);
  EXPECT_EQ(station.runner.Wait(), Outcome::Success);
  EXPECT_EQ(ui.ipDialogShown.size(), 3u);
  EXPECT_FALSE(ui.ethernet);
}

}  // namespace
}  // namespace rz::testing
