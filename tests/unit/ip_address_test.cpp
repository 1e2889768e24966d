// The IP-address dialog's parser and the command line's address words: text
// only, nothing is sent.

#include <gtest/gtest.h>

#include "app/ip_address.h"
#include "operations/operation_table.h"

namespace rz {
namespace {

using Address = std::array<std::uint8_t, 4>;

TEST(IpAddressText, AcceptsRefusesAndTakesTheLowEightBits) {
  struct Case {
    const char* text;
    std::optional<Address> expected;
  };
  const Case cases[] = {
      {"192.168.2.200", Address{192, 168, 2, 200}},
      {"192.168.2.0", std::nullopt},       // a last byte of 0
      {"10.0.0.1", Address{10, 0, 0, 1}},  // zeros written as one character
      {"10.00.0.1", std::nullopt},         // a zero of two characters
      {"0.0.0.1", Address{0, 0, 0, 1}},
      {"1234.1.1.1", std::nullopt},        // a field of four characters
      {".1.1.1", std::nullopt},            // a field of none
      {"1..1.1", std::nullopt},
      {"300.1.1.1", Address{44, 1, 1, 1}},  // no range check: the low 8 bits
      {"256.1.1.1", std::nullopt},          // ... which may make a refused 0
      {"1.1.1.256", std::nullopt},
      {"1.1.1.257", Address{1, 1, 1, 1}},
      {"1.1.1.99999999999", Address{1, 1, 1, 0xFF}},  // long digit runs stay bounded
      {"12a.1.1.7", Address{12, 1, 1, 7}},            // the leading digits count
      {"a.1.1.7", Address{0, 1, 1, 7}},               // no digits: 0, of a single character
      {"ab.1.1.7", std::nullopt},                     // ... of two characters
      {"1.1.1.7xyz", Address{1, 1, 1, 7}},
      {"1.1.1", std::nullopt},
      {"1.1.1.", std::nullopt},  // an empty fourth field gives 0
      {"", std::nullopt},
      {"garbage", std::nullopt},
      {"...", std::nullopt},
      {"192.168.200.200", Address{192, 168, 200, 200}},  // 15 characters, the box's limit
      {"192.168.200.2009", Address{192, 168, 200, 200}},  // the box holds no more than 15
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseIpAddressText(c.text), c.expected) << '"' << c.text << '"';
  }
}

TEST(IpAddressText, CommandLineAddressesAreStrictDottedQuads) {
  EXPECT_EQ(ParseDottedIpv4("127.0.0.1"), (Address{127, 0, 0, 1}));
  EXPECT_EQ(ParseDottedIpv4("255.255.255.255"), (Address{255, 255, 255, 255}));
  for (const char* bad : {"", "127.0.0", "127.0.0.1.", "127.0.0.256", "127.0.0.1 ", "a.b.c.d", "1234.0.0.1",
                          "-1.0.0.1", "127..0.1", "127.0.0.0001"}) {
    EXPECT_FALSE(ParseDottedIpv4(bad)) << '"' << bad << '"';
  }
}

TEST(IpAddressText, TheEthernetWordTakesOnWithTheDialogTextOrOff) {
  const OperationRow* row = nullptr;
  OperationArgs args;
  std::string error;
  ASSERT_TRUE(ParseOperationWord("ethernet=on:127.0.0.2", row, args, error)) << error;
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->control, ControlKind::EthernetSwitch);
  EXPECT_FALSE(row->serialOnly);
  EXPECT_TRUE(args.ethernetOn);
  EXPECT_EQ(args.ipAddressText, "127.0.0.2");

  // The text is the dialog's: parsed when the switch is used, not here.
  args = {};
  ASSERT_TRUE(ParseOperationWord("ethernet=on:10.00.0.1", row, args, error));
  EXPECT_EQ(args.ipAddressText, "10.00.0.1");

  args = {};
  args.ethernetOn = true;
  ASSERT_TRUE(ParseOperationWord("ethernet=off", row, args, error));
  EXPECT_FALSE(args.ethernetOn);

  for (const char* bad : {"ethernet", "ethernet=on", "ethernet=yes", "ethernet:on:1.2.3.4",
                          "ethernet=on:1234567890123456"}) {
    EXPECT_FALSE(ParseOperationWord(bad, row, args, error)) << bad;
  }
  EXPECT_NE(OperationHelpText().find("ethernet=on:IPV4|ethernet=off"), std::string::npos);
}

}  // namespace
}  // namespace rz
