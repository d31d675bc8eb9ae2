#include "sim/model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "protocol/catalogue.h"

namespace zhv::sim {

namespace {

constexpr std::int32_t kMagnitudeMax = 0x3FFF;

// Swings stay below each kind's threshold so a demo unit does not alarm.
constexpr ChannelProfile kMethane{cat::kGasCH4, 4000, 12000, 250, 100, 15.0, 25.0, 30000.0};
constexpr ChannelProfile kPropane{cat::kGasC3H8, 4000, 11000, 100, 50, 10.0, 15.0, 30000.0};
constexpr ChannelProfile kOpticalCO2{cat::kGasCO2Optical, 8000, 12000, 1000, 1000, 80.0, 40.0, 40000.0};
constexpr ChannelProfile kCO{cat::kGasCO, 3000, 9000, 100, 20, 10.0, 8.0, 45000.0};
constexpr ChannelProfile kCO2{cat::kGasCO2, 4000, 9000, 1000, 1000, 80.0, 40.0, 40000.0};

}  // namespace

GasProfile ProfileFor(std::uint8_t gasKind) {
  switch (gasKind) {
    case cat::kGasCH4: return {kMethane, std::nullopt};
    case cat::kGasC3H8: return {kPropane, std::nullopt};
    case cat::kGasCO2Optical: return {kOpticalCO2, std::nullopt};
    case cat::kGasCO: return {kCO, std::nullopt};
    case cat::kGasCO2: return {kCO2, std::nullopt};
    case cat::kGasCombined: return {kMethane, kCO};
    default: {
      // A kind the tool does not know: plain integers, so anything plausible serves.
      ChannelProfile other{gasKind, 4000, 10000, 100, 50, 20.0, 10.0, 30000.0};
      return {other, std::nullopt};
    }
  }
}

double Swing(std::uint64_t ms, double amplitude, double periodMs) {
  const double phase = std::fmod(static_cast<double>(ms), periodMs) / periodMs;
  return amplitude * std::sin(2.0 * std::numbers::pi * phase);
}

std::uint16_t SensorVoltage(const ChannelProfile& c, std::uint64_t ms) {
  const double gas = c.centre + Swing(ms, c.amplitude, c.periodMs);
  const double slope = (static_cast<double>(c.spanVoltage) - c.zeroVoltage) / c.calConcentration;
  const double v = std::round(c.zeroVoltage + slope * gas);
  return static_cast<std::uint16_t>(std::clamp(v, 0.0, 65535.0));
}

Reading Concentrate(std::uint16_t voltage, std::uint16_t zeroWord, std::uint16_t spanWord,
                    std::uint16_t calConcentrationWord) {
  if (spanWord == zeroWord) return {0, true};
  const double c = (static_cast<double>(voltage) - zeroWord) * calConcentrationWord /
                   (static_cast<double>(spanWord) - zeroWord);
  // Far beyond the 15-bit range anyway; keep the cast defined.
  const double limited = std::clamp(std::round(c), -1.0e6, 1.0e6);
  return {static_cast<std::int32_t>(limited), false};
}

std::uint16_t EncodeConcentration(std::int32_t c) {
  const bool overrange = c > kMagnitudeMax || c < -kMagnitudeMax;
  c = std::clamp(c, -kMagnitudeMax, kMagnitudeMax);
  auto word = static_cast<std::uint16_t>(static_cast<std::uint32_t>(c) & 0x7FFF);
  if (overrange) word |= 0x8000;
  return word;
}

}  // namespace zhv::sim
