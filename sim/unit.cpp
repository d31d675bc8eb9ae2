#include "sim/unit.h"

#include <algorithm>
#include <cmath>

#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"

namespace zhv::sim {

namespace {

using namespace bits;

constexpr std::uint16_t kValveVoltage = 1200;    // 10 mV
constexpr std::uint16_t kSupplyVoltage = 1200;   // 10 mV
constexpr std::uint16_t kBatteryVoltage = 410;   // 10 mV
constexpr double kRoomTemperature = 22.0;        // degrees C
constexpr std::uint8_t kTemperatureAlarm = 50;   // degrees C
constexpr std::uint16_t kRecordPeriodS = 60;

const param::Channel& ChannelWords(int channel) { return param::kChannels[channel == 0 ? 0 : 1]; }

std::uint8_t Lo(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t Hi(std::uint32_t v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

std::uint16_t Around(double nominal, std::uint64_t ms, double amplitude, double periodMs, double max) {
  return static_cast<std::uint16_t>(std::clamp(std::round(nominal + Swing(ms, amplitude, periodMs)), 0.0, max));
}

}  // namespace

Unit::Unit(Options options)
    : options_(std::move(options)),
      profile_(ProfileFor(options_.gasKind & 0x3F)),
      storage_(options_.clockStart, options_.storage, kRecordPeriodS),
      warmUntilMs_(options_.warmUpMs),
      setpoint_(static_cast<std::uint16_t>(GasKindOf(profile_.channel1.sensorKind).supplySetpoint)) {
  options_.gasKind &= 0x3F;
  options_.version &= 0x3FF;
  // All calibrated, every function on.
  param::Set(block_, param::kTemperatureThreshold, kTemperatureAlarm);
  const auto putChannel = [this](int channel, const ChannelProfile& c) {
    const param::Channel& w = ChannelWords(channel);
    param::Set(block_, w.zeroVoltage, c.zeroVoltage);
    param::Set(block_, w.spanVoltage, c.spanVoltage);
    param::Set(block_, w.calConcentration, c.calConcentration);
    param::Set(block_, w.threshold, c.threshold);
  };
  putChannel(0, profile_.channel1);
  if (profile_.channel2) putChannel(1, *profile_.channel2);
  param::Set(block_, param::kValveVoltage, kValveVoltage);
  param::Set(block_, param::kBackupRunTime, 300);
  param::Set(block_, param::kRecordPeriod, kRecordPeriodS);  // backup power and valve release in use
  param::Set(block_, param::kPeriodNormal, 3600);
  param::Set(block_, param::kPeriodFault, 600);
  param::Set(block_, param::kPeriodGas, 60);
}

std::array<std::uint16_t, param::kWordCount> Unit::Words() const {
  std::array<std::uint16_t, param::kWordCount> words{};
  for (std::size_t n = 0; n < words.size(); ++n) words[n] = param::Word(block_, static_cast<std::uint8_t>(n));
  return words;
}

void Unit::Feed(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return;
  lastByteMs_ = nowMs_;
  parser_.Feed(bytes, count);
  Drain();
}

void Unit::Drain() {
  while (auto frame = parser_.Next()) Handle(*frame);
}

void Unit::Step(std::uint32_t ms) {
  nowMs_ += ms;
  ++steps_;
  storage_.Step(ms, param::Get(block_, param::kRecordPeriod));
  if (parser_.Partial() && nowMs_ - lastByteMs_ >= kStallMs) {
    parser_.DropStalled();
    Drain();
  }
}

std::vector<std::uint8_t> Unit::TakeOutput() {
  std::vector<std::uint8_t> out;
  while (!output_.empty() && output_.front().releaseStep <= steps_) {
    out.insert(out.end(), output_.front().bytes.begin(), output_.front().bytes.end());
    output_.pop_front();
  }
  return out;
}

bool Unit::Answer(std::uint8_t request, std::uint8_t command, std::vector<std::uint8_t> data) {
  const Faults& f = options_.faults;
  if (f.silentAll || f.silent.count(request) || HungUp()) return false;
  if (f.wrongLength == request) data.push_back(0);
  std::vector<std::uint8_t> frame = EncodeFrame(options_.deviceType, command, data);
  if (f.badCheck) frame.back() ^= 0xFF;
  if (!f.split) {
    output_.push_back({std::move(frame), steps_});
    return true;
  }
  const auto half = static_cast<std::ptrdiff_t>(frame.size() / 2);
  output_.push_back({{frame.begin(), frame.begin() + half}, steps_});
  output_.push_back({{frame.begin() + half, frame.end()}, steps_ + 1});
  return true;
}

void Unit::Handle(const Frame& request) {
  lastRequest_ = request;
  ++requestCounts_[request.command];
  const std::size_t n = request.length;
  const std::uint8_t cmd = request.command;
  switch (cmd) {
    case cat::kProbe:
      // Answered whatever type byte the probe carries: the tool does not know us yet.
      if (n == 0) Answer(cmd, cat::kProbe, {});
      break;
    case cat::kUnitControl:
      if (n != cat::kUnitControlLen) break;
      switch (request.data[0]) {
        case cat::kArgIdentify: break;
        case cat::kArgRestart: Restart(); break;
        case cat::kArgUsbOn: usbControl_ = usbControl_ || !options_.faults.refuseUsbOn; break;
        case cat::kArgUsbOff: usbControl_ = false; break;
        default: return;
      }
      Answer(cmd, cat::kUnitControl, Identification());
      break;
    case cat::kReadParams:
      if (n == 0) Answer(cmd, cat::kReadParams, ParameterBlock());
      break;
    case cat::kReadStatus:
      if (n == 0) Answer(cmd, cat::kReadStatus, Status());
      break;
    case cat::kWriteWord: {
      if (n != cat::kWriteWordLen || request.data[2] > param::kLastWord) break;
      const std::uint8_t word = request.data[2];
      if (!options_.faults.keepWords)
        param::PutWord(block_, word, static_cast<std::uint16_t>(request.data[0] | request.data[1] << 8));
      const std::uint16_t kept = param::Word(block_, word);
      Answer(cmd, cat::kWriteWord, {Lo(kept), Hi(kept), word});
      break;
    }
    case cat::kSetSupply:
      if (n != cat::kSetSupplyLen) break;
      setpoint_ = static_cast<std::uint16_t>(request.data[0] | request.data[1] << 8);
      Answer(cmd, cat::kSupplyAnswer, {Lo(setpoint_), Hi(setpoint_), 0});
      break;
    case cat::kCalibrate:
      if (n == cat::kCalibrateLen) Answer(cmd, cat::kCalibrate, Calibrate(request.data[0]));
      break;
    case cat::kRewriteEeprom:
      if (n == 0) Answer(cmd, cat::kRewriteEeprom, {static_cast<std::uint8_t>(options_.faults.eepromFailure ? 1 : 0)});
      break;
    case cat::kStorageStatus:
      // Only the variant with the storage module has one to report.
      if (n == 0 && options_.deviceType == cat::kTypeStorage) Answer(cmd, cat::kStorageStatus, storage_.Status());
      break;
    case cat::kReadNext:
    case cat::kAckBlock:
    case cat::kReadAt:
    case cat::kSetClock:
    case cat::kStorageSetup:
    case cat::kClockDivider:
      if (options_.deviceType == cat::kTypeStorage) HandleStorage(request);
      break;
    default:
      break;
  }
}

void Unit::Restart() {
  usbControl_ = false;
  warmUntilMs_ = nowMs_ + options_.warmUpMs;
  pastExcess_ = {};
}

std::uint8_t Unit::Status0() const {
  return static_cast<std::uint8_t>((usbControl_ ? kUsbControl : 0) | (WarmedUp() ? kWarmedUp : 0));
}

std::vector<std::uint8_t> Unit::Identification() const {
  return {Status0(),
          options_.interfaceModule,
          Lo(options_.version),
          static_cast<std::uint8_t>((options_.version >> 8 & 0x03) | options_.gasKind << 2),
          Lo(options_.softwareId),
          Hi(options_.softwareId)};
}

std::vector<std::uint8_t> Unit::ParameterBlock() const {
  return {block_.begin(), block_.begin() + static_cast<std::ptrdiff_t>(cat::kParamsAnswerLen)};
}

void Unit::PutChannel(std::vector<std::uint8_t>& s, std::size_t at, int channel, const ChannelProfile& c,
                      std::uint16_t supply) {
  const param::Channel& w = ChannelWords(channel);
  const std::uint16_t voltage = SensorVoltage(c, nowMs_);
  const Reading r = Concentrate(voltage, param::Get(block_, w.zeroVoltage), param::Get(block_, w.spanVoltage),
                                param::Get(block_, w.calConcentration));
  std::uint8_t state = 0;
  if (WarmedUp()) {
    state |= kSensorWorking;
    if (r.concentration > param::Get(block_, w.threshold)) {
      state |= kSensorExcess;
      pastExcess_[static_cast<std::size_t>(channel)] = true;
    }
  }
  const bool notCalibrated = param::IsSet(block_, w.zeroNotDone) || param::IsSet(block_, w.spanNotDone);
  if (r.setupError || notCalibrated) state |= kSensorSetupError;
  if (pastExcess_[static_cast<std::size_t>(channel)]) state |= kSensorPastExcess;
  const std::uint16_t word = EncodeConcentration(r.concentration);
  const std::uint16_t supplyTenthMv = Around(supply * 100.0, nowMs_, 20.0, 5000.0, 65535.0);
  s[at] = c.sensorKind & kSensorKindMask;
  s[at + 1] = state;
  s[at + 2] = Lo(word);
  s[at + 3] = Hi(word);
  s[at + 4] = Lo(voltage);
  s[at + 5] = Hi(voltage);
  s[at + 6] = Lo(supplyTenthMv);
  s[at + 7] = Hi(supplyTenthMv);
  s[at + 8] = 0;  // control flags: nothing forced
}

std::vector<std::uint8_t> Unit::Status() {
  std::vector<std::uint8_t> s(cat::kStatusAnswerLen, 0);
  s[0] = Status0();
  s[1] = options_.interfaceModule;
  const std::uint16_t valve = Around(param::Get(block_, param::kValveVoltage), nowMs_, 3.0, 7000.0, 0x0FFF);
  s[2] = Lo(valve);
  s[3] = static_cast<std::uint8_t>((Hi(valve) & kValveHighBits) | kValveD0);  // D0: regulating
  const std::uint16_t supply = Around(kSupplyVoltage, nowMs_, 4.0, 11000.0, 0x0FFF);
  const std::uint16_t battery = Around(kBatteryVoltage, nowMs_, 6.0, 60000.0, 0x0FFF);
  s[4] = static_cast<std::uint8_t>((Hi(supply) & 0x0F) | (Hi(battery) & 0x0F) << 4);
  s[5] = Lo(supply);
  s[6] = Lo(battery);
  PutChannel(s, 8, 0, profile_.channel1, setpoint_);
  if (profile_.channel2) {
    const auto nominal = static_cast<std::uint16_t>(GasKindOf(profile_.channel2->sensorKind).supplySetpoint);
    PutChannel(s, 18, 1, *profile_.channel2, nominal);
  }
  s[28] = WarmedUp() ? kSensorWorking : 0;
  const auto t = static_cast<int>(std::round(kRoomTemperature + Swing(nowMs_, 3.0, 120000.0)));
  s[29] = static_cast<std::uint8_t>(static_cast<std::int8_t>(t));
  return s;
}

std::vector<std::uint8_t> Unit::Calibrate(std::uint8_t operation) {
  const int channel = operation & kOpChannelMask;
  const std::uint8_t action = operation & kOpMask;
  const ChannelProfile* sensor = channel == 0 ? &profile_.channel1
                                 : channel == 1 && profile_.channel2 ? &*profile_.channel2
                                                                     : nullptr;
  std::uint8_t error = options_.faults.calibrationError;
  if (!sensor) error = kCalDisconnected;
  else if (action != kOpZero && action != kOpSpan && action != kOpInit) error = kCalUnknown;
  std::uint16_t value = 0;
  if (sensor) {
    const param::Channel& w = ChannelWords(channel);
    if (action == kOpZero || action == kOpSpan) {
      const param::Field& voltage = action == kOpZero ? w.zeroVoltage : w.spanVoltage;
      if (error == 0) {
        // The sensor's output now becomes the calibration point.
        param::Set(block_, voltage, SensorVoltage(*sensor, nowMs_));
        param::Set(block_, action == kOpZero ? w.zeroNotDone : w.spanNotDone, 0);
      }
      value = param::Get(block_, voltage);
    } else if (action == kOpInit && error == 0) {
      param::Set(block_, w.zeroNotDone, 1);
      param::Set(block_, w.spanNotDone, 1);
    }
  }
  return {operation, error, Lo(value), Hi(value)};
}

}  // namespace zhv::sim
