#include "sim/cli.h"

#include <gtest/gtest.h>

namespace zhv::sim::test {
namespace {

TEST(SimCommandLine, DefaultsWithoutArguments) {
  ProgramOptions o;
  EXPECT_EQ(ParseArguments({}, o), "");
  EXPECT_EQ(o.unit.deviceType, 0x11);
  EXPECT_EQ(o.unit.gasKind, 27);
  EXPECT_TRUE(o.device.empty());
  EXPECT_FALSE(o.help);
  EXPECT_EQ(o.unit.storage.records, 1280);
  EXPECT_EQ(o.unit.storage.blockRecords, 8);
  EXPECT_FALSE(o.unit.storage.setupAltAnswer);
  EXPECT_FALSE(o.unit.faults.silentAfterBlocks);
  EXPECT_FALSE(o.unit.faults.overcount);
  EXPECT_FALSE(o.unit.faults.hangUpAfterBlocks);
}

TEST(SimCommandLine, EveryOptionReachesItsField) {
  ProgramOptions o;
  ASSERT_EQ(ParseArguments({"--type", "0x12", "--gas", "13", "--device", "/dev/ttyUSB0", "--link", "/tmp/zhv",
                            "--silent", "0x20", "--silent", "96", "--bad-check", "--wrong-length", "0x4C", "--split",
                            "--refuse-usb-on", "--cal-error", "0x13", "--eeprom-fail", "--keep-words", "--warm-up",
                            "500", "--help", "--records", "6656", "--block", "16", "--setup-alt-answer",
                            "--silent-after-blocks", "0", "--overcount", "--hangup-after-blocks", "830",
                            "--stdin-faults"},
                           o),
            "");
  EXPECT_EQ(o.unit.deviceType, 0x12);
  EXPECT_EQ(o.unit.gasKind, 13);
  EXPECT_EQ(o.device, "/dev/ttyUSB0");
  EXPECT_EQ(o.link, "/tmp/zhv");
  EXPECT_EQ(o.unit.faults.silent, (std::set<std::uint8_t>{0x20, 0x60}));
  EXPECT_FALSE(o.unit.faults.silentAll);
  EXPECT_TRUE(o.unit.faults.badCheck);
  EXPECT_EQ(o.unit.faults.wrongLength, std::optional<std::uint8_t>{0x4C});
  EXPECT_TRUE(o.unit.faults.split);
  EXPECT_TRUE(o.unit.faults.refuseUsbOn);
  EXPECT_EQ(o.unit.faults.calibrationError, 0x13);
  EXPECT_TRUE(o.unit.faults.eepromFailure);
  EXPECT_TRUE(o.unit.faults.keepWords);
  EXPECT_EQ(o.unit.warmUpMs, 500u);
  EXPECT_TRUE(o.help);
  EXPECT_EQ(o.unit.storage.records, 6656);
  EXPECT_EQ(o.unit.storage.blockRecords, 16);
  EXPECT_TRUE(o.unit.storage.setupAltAnswer);
  EXPECT_EQ(o.unit.faults.silentAfterBlocks, std::optional<int>{0});
  EXPECT_TRUE(o.unit.faults.overcount);
  EXPECT_EQ(o.unit.faults.hangUpAfterBlocks, std::optional<int>{830});
  EXPECT_TRUE(o.faultsFromStdin);

  ProgramOptions all;
  ASSERT_EQ(ParseArguments({"--silent", "all"}, all), "");
  EXPECT_TRUE(all.unit.faults.silentAll);
}

TEST(SimCommandLine, RejectsWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bogus"},        {"--type"},          {"--type", "0x100"}, {"--type", "17x"}, {"--gas", "64"},
      {"--silent", ""},   {"--silent", "-1"},  {"--cal-error", "0x"}, {"--warm-up", "ten"},
      {"--records", "6657"}, {"--block", "0"}, {"--block", "17"}, {"--silent-after-blocks", "x"},
      {"--hangup-after-blocks", "-1"}, {"--hangup-after-blocks"},
  };
  for (const auto& args : bad) {
    ProgramOptions o;
    const std::string error = ParseArguments(args, o);
    EXPECT_NE(error, "") << args[0];
    EXPECT_NE(error.find(args[0]), std::string::npos) << "names the argument: " << error;
  }
}

// A line read while the unit runs replaces its faults; a wrong line changes nothing.
TEST(SimCommandLine, FaultLinesSetTheFaultsAfresh) {
  Faults f;
  f.split = true;
  ASSERT_EQ(ParseFaultLine("--bad-check  --silent 0x20 --silent all --wrong-length 0x4C\t--hangup-after-blocks 3", f), "");
  EXPECT_TRUE(f.badCheck);
  EXPECT_FALSE(f.split) << "a fault the line does not name is off";
  EXPECT_TRUE(f.silentAll);
  EXPECT_EQ(f.silent, (std::set<std::uint8_t>{0x20}));
  EXPECT_EQ(f.wrongLength, std::optional<std::uint8_t>{0x4C});
  EXPECT_EQ(f.hangUpAfterBlocks, std::optional<int>{3});

  const std::vector<std::string> bad = {"--type 0x10", "--bad-check --records 5", "--help", "-h", "--silent",
                                        "--silent -1", "--cal-error 0x100", "bad-check"};
  for (const std::string& line : bad) {
    EXPECT_NE(ParseFaultLine(line, f), "") << line;
    EXPECT_TRUE(f.badCheck && f.silentAll) << "unchanged after: " << line;
  }

  ASSERT_EQ(ParseFaultLine(" \r", f), "");
  EXPECT_FALSE(f.badCheck || f.silentAll || f.wrongLength || f.hangUpAfterBlocks || !f.silent.empty());
}

}  // namespace
}  // namespace zhv::sim::test
