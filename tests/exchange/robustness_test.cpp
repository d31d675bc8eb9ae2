// Whatever the port delivers and whatever the operator presses, the tool keeps
// its buffers, trace and state inside their bounds. Run it under the sanitizers
// (ZHV_SANITIZE) to catch what the assertions cannot see.
#include <random>
#include <set>

#include "fixture.h"

namespace zhv::test {
namespace {

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

using Robustness = ToolTest;

TEST_F(Robustness, RandomTrafficAndClicksStayInsideEveryBound) {
  std::mt19937 rng(20261208);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto byte = [&] { return static_cast<std::uint8_t>(rng()); };
  OpenPort();
  Answer(cat::kProbe, {});
  // Read-outs start whenever "Выполнить чтение" is clicked: the file is there to append to.
  s.file.disk["random.csv"] = "";
  s.saveDialog.answer = "random.csv";

  std::vector<Control*> buttons;
  for (Control* c : t.f.All())
    if (c->GetKind() == Kind::Button && c != &t.f.Button1) buttons.push_back(c);
  ASSERT_FALSE(buttons.empty());

  int accepted = 0;  // "Сброс" may zero the packet counter, so count its steps
  std::set<State> visited;
  for (int tick = 0; tick < 50000; ++tick) {
    switch (pick(8)) {
      case 0: {  // noise
        Bytes noise(static_cast<std::size_t>(1 + pick(40)));
        for (auto& b : noise) b = byte();
        s.port.Feed(noise);
        break;
      }
      case 1: {  // a good frame of any command and length
        Bytes data(static_cast<std::size_t>(pick(256)));
        for (auto& b : data) b = byte();
        const std::uint8_t anyType = byte();
        s.port.Feed(EncodeFrame(anyType, byte(), data));
        break;
      }
      case 2:
      case 3: {  // a random answer to the last request, of the length it expects
        if (Sent() == 0) break;
        const std::uint8_t command = LastRequest().front();
        const bool supply = command == cat::kSetSupply;
        Bytes data(supply ? cat::kSupplyAnswerLen : ExpectedLength(command));
        for (auto& b : data) b = byte();
        Answer(supply ? cat::kSupplyAnswer : command, data);
        if (command == cat::kReadAt || command == cat::kReadNext) {  // records follow unasked
          Bytes records(static_cast<std::size_t>(6 + pick(250)));
          for (auto& b : records) b = byte();
          Answer(command == cat::kReadAt ? cat::kRecordsAt : cat::kRecordsNext, records);
        }
        break;
      }
      case 4:
        if (pick(20) == 0) buttons[static_cast<std::size_t>(pick(static_cast<int>(buttons.size())))]->Click();
        break;
      case 5:  // a command as the editors and calibration buttons post them
        if (pick(50) == 0) {
          const Pending commands[] = {Pending::WriteWord,     Pending::SetSupply, Pending::Calibrate,
                                      Pending::RewriteEeprom, Pending::Storage,   Pending::ClockDivider};
          poll().pending = commands[pick(6)];
          poll().paramOffset = static_cast<std::uint8_t>(2 * pick(15));
          poll().commandArg = byte();
          jobs().clockRequested = (rng() & 1) != 0;
          jobs().setupRequested = (rng() & 1) != 0;
          const auto divider = rng();
          jobs().dividerRead = (divider & 1) != 0;
          jobs().dividerWrite = (divider & 2) != 0;
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
    const int counter = poll().packetCounter;
    Tick();
    accepted += poll().packetCounter > counter;
    visited.insert(state());
    const LinkState& link = t.link.state();
    ASSERT_LE(link.readPos, link.bytesRead);
    ASSERT_LE(link.bytesRead, link.rx.size());
    ASSERT_LE(t.trace.LineCount(), 32);
    ASSERT_LE(t.f.ListBox1.Items().size(), 32u);
    ASSERT_LT(static_cast<int>(state()), kStateCount);
    ASSERT_LE(poll().paramOffset, 30);
    ASSERT_GE(t.readOut.exportFile.RecordsWritten(), 0);
    ASSERT_LE(param::Get(poll().param, param::kTemperatureThreshold), 127)
        << "shown temperature thresholds are kept at 127 or less";
  }
  EXPECT_TRUE(t.f.Timer1.Enabled());
  EXPECT_TRUE(t.identification.exchanging);
  EXPECT_GT(accepted, 100);
  // The random answers did reach the decoders.
  for (State wait : {State::AwaitParams, State::AwaitStatus, State::AwaitRestart, State::AwaitUsbOn,
                     State::AwaitUsbOff, State::AwaitWord, State::AwaitSupply, State::AwaitCalibration,
                     State::AwaitEeprom, State::AwaitStorageStatus, State::AwaitClock, State::AwaitSetup,
                     State::AwaitReadAt, State::AwaitRecordsAt, State::AwaitReadNext, State::AwaitRecordsNext,
                     State::AwaitAck, State::AwaitDivider})
    EXPECT_TRUE(visited.count(wait)) << static_cast<int>(wait);
}

}  // namespace
}  // namespace zhv::test
