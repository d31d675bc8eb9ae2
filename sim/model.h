// What the simulated sensors measure and how the unit turns it into the
// numbers it reports: per gas kind, one or two sensor channels.
#pragma once

#include <cstdint>
#include <optional>

namespace zhv::sim {

struct ChannelProfile {
  std::uint8_t sensorKind;         // gas kind code of the sensor (status byte 8 / 18)
  std::uint16_t zeroVoltage;       // factory zero calibration: 0.1 mV (raw signal for optical CO2)
  std::uint16_t spanVoltage;       // factory span calibration, same unit
  std::uint16_t calConcentration;  // concentration the span was taken at, stored integer
  std::uint16_t threshold;         // alarm threshold, stored integer
  double centre;                   // the true concentration swings around this
  double amplitude;                // ... by this much
  double periodMs;                 // ... once per this many milliseconds
};

struct GasProfile {
  ChannelProfile channel1;
  std::optional<ChannelProfile> channel2;  // only the combined CH4/CO unit has one
};

GasProfile ProfileFor(std::uint8_t gasKind);

// The sensor's output at a moment: fixed by the sensor, not by its calibration.
std::uint16_t SensorVoltage(const ChannelProfile& channel, std::uint64_t ms);

struct Reading {
  std::int32_t concentration;  // stored integer of the kind's scale
  bool setupError;             // no usable calibration (span equal to zero)
};

// What the unit computes from a sensor voltage with the calibration words in force.
Reading Concentrate(std::uint16_t voltage, std::uint16_t zeroWord, std::uint16_t spanWord,
                    std::uint16_t calConcentrationWord);

// The status word: bit 15 overrange, bits 14..0 a 15-bit two's-complement value.
std::uint16_t EncodeConcentration(std::int32_t concentration);

// A slow swing of the given size and period, for the values that should move.
double Swing(std::uint64_t ms, double amplitude, double periodMs);

}  // namespace zhv::sim
