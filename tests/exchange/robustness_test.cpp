// Whatever the port delivers and whatever the operator presses, the tool keeps
// its buffers, trace and state inside their bounds. Run it under the sanitizers
// (ZHV_SANITIZE) to catch what the assertions cannot see.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "app/tool.h"
#include "exchange/catalogue.h"
#include "exchange/startup.h"
#include "platform/fakes.h"
#include "sim/frames.h"

namespace zhv {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Answer lengths the machine accepts, so random answers also reach the decoders.
std::uint8_t ExpectedLength(std::uint8_t command) {
  switch (command) {
    case cat::kUnitControl: return cat::kUnitControlAnswerLen;
    case cat::kReadParams: return cat::kParamsAnswerLen;
    case cat::kReadStatus: return cat::kStatusAnswerLen;
    case cat::kWriteWord: return cat::kWriteWordAnswerLen;
    case cat::kCalibrate: return cat::kCalibrateAnswerLen;
    case cat::kRewriteEeprom: return cat::kEepromAnswerLen;
    case cat::kStorageStatus: return cat::kStorageStatusAnswerLen;
    case cat::kSetClock: return cat::kSetClockAnswerLen;
    case cat::kReadAt: return cat::kReadAtAnswerLen;
    case cat::kReadNext: return cat::kReadNextAnswerLen;
    case cat::kClockDivider: return cat::kClockDividerAnswerLen;
    default: return 0;
  }
}

TEST(Robustness, RandomTrafficAndClicksStayInsideEveryBound) {
  std::mt19937 rng(20261208);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  fake::Services s;
  Tool t(s.platform());
  s.ports.list = {{"USB Serial Port", "USB Serial Port (COM1)"}};
  FormCreate(t);
  t.f.ListView1.SetSelected(0);
  t.f.ListView1.DblClick();
  s.port.Feed(sim::EncodeFrame(0x11, 0x00, {}));
  // Read-outs start whenever "Выполнить чтение" is clicked: the file is there to append to.
  s.file.disk["random.csv"] = "";
  s.saveDialog.answer = "random.csv";

  std::vector<Control*> buttons;
  for (Control* c : t.f.All())
    if (c->GetKind() == Kind::Button && c != &t.f.Button1) buttons.push_back(c);

  int accepted = 0;  // "Сброс" may zero the packet counter, so count its steps
  std::set<int> visited;
  for (int tick = 0; tick < 50000; ++tick) {
    switch (pick(8)) {
      case 0: {  // noise
        Bytes noise(static_cast<std::size_t>(1 + pick(40)));
        for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
        s.port.Feed(noise);
        break;
      }
      case 1: {  // a good frame of any command and length
        Bytes data(static_cast<std::size_t>(pick(256)));
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        s.port.Feed(sim::EncodeFrame(static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()), data));
        break;
      }
      case 2:
      case 3: {  // a random answer to the last request, of the length it expects
        if (s.port.writes.empty()) break;
        const std::uint8_t command = s.port.writes.back()[2];
        const std::uint8_t answer = command == cat::kSetSupply ? cat::kSupplyAnswer : command;
        Bytes data(command == cat::kSetSupply ? 3 : ExpectedLength(command));
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        s.port.Feed(sim::EncodeFrame(0x11, answer, data));
        if (command == cat::kReadAt || command == cat::kReadNext) {  // records follow unasked
          Bytes records(static_cast<std::size_t>(6 + pick(250)));
          for (auto& b : records) b = static_cast<std::uint8_t>(rng());
          s.port.Feed(sim::EncodeFrame(0x11, command == cat::kReadAt ? cat::kRecordsAt : cat::kRecordsNext, records));
        }
        break;
      }
      case 4:
        if (pick(20) == 0) buttons[static_cast<std::size_t>(pick(static_cast<int>(buttons.size())))]->Click();
        break;
      case 5:  // a command as the editors and calibration buttons post them
        if (pick(50) == 0) {
          const int commands[] = {cat::kPendWriteWord, cat::kPendSetSupply, cat::kPendCalibrate,
                                  cat::kPendRewriteEeprom, cat::kPendStorage, cat::kPendClockDivider};
          t.r.pending = commands[pick(6)];
          t.r.paramOffset = static_cast<std::uint8_t>(2 * pick(15));
          t.r.commandArg = static_cast<std::uint8_t>(rng());
          t.r.clockSetFlags = static_cast<std::uint8_t>(rng() & 3);
          t.r.storageSetupFlags = static_cast<std::uint8_t>(rng() & 3);
          t.r.dividerFlags = static_cast<std::uint8_t>(rng() & 3);
        }
        break;
      case 6:  // a read-out in any mode, when the window lets one start
        if (pick(100) == 0) {
          Control* modes[] = {&t.f.RadioButton10321, &t.f.RadioButton10322, &t.f.RadioButton10323};
          modes[pick(3)]->SetChecked(true);
          t.f.Button10310.Click();
          t.f.Button1030.Click();
        }
        break;
      default:
        break;
    }
    if (!t.f.Timer1.Enabled()) break;
    const int counter = t.r.packetCounter;
    t.f.Timer1.OnTimer();
    accepted += t.r.packetCounter > counter;
    visited.insert(t.r.state);
    ASSERT_LE(t.r.readPos, t.r.bytesRead);
    ASSERT_LE(t.r.bytesRead, 256u);
    ASSERT_LE(t.r.traceLineCount, 32);
    ASSERT_LE(t.f.ListBox1.Items().size(), 32u);
    ASSERT_GE(t.r.state, 0);
    ASSERT_LE(t.r.state, 35);
    ASSERT_LE(t.r.paramOffset, 30);
    ASSERT_GE(t.r.recordsWritten, 0);
    ASSERT_LE(t.r.param[1], 127) << "shown temperature thresholds are kept at 127 or less";
  }
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_EQ(t.r.pollPhase, 1);
  EXPECT_GT(accepted, 100);
  for (int state : {3, 5, 8, 9, 10, 12, 14, 16, 18, 20, 23, 25, 27, 28, 29, 30, 32, 35}) EXPECT_TRUE(visited.count(state)) << state;  // the random answers did reach the decoders
}

}  // namespace
}  // namespace zhv
