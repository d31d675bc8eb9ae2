// Everything the tool knows of a gas kind code, in one table: its texts, the
// format and scale of its concentrations, its sensor's set-up and charts, and
// which settings apply to a unit of that kind.
#pragma once

#include <cstdint>
#include <string>

namespace zhv {

struct ChartAxis {
  double min, max;
  const char* picture;  // the axis value picture, as "0.000"
  int separation;       // label separation, per cent of a label's height
};

// The set-up of a sensor channel showing this kind.
struct ChannelSetUp {
  const char* gas;
  const char* mark;
  const char* upperUnit;
  const char* fractionLine;
  const char* lowerUnit;
  const char* initialValue;
  ChartAxis concentration;
  ChartAxis voltage;
  // The percentage kinds always format the first channel's pair of charts.
  bool formatsFirstPair;
};

struct GasKind {
  std::uint8_t code;  // 0 in the row for every code the table does not name
  // Identification: the gas name of the status groups, the temperature field's placeholder.
  const char* name;
  const char* temperaturePlaceholder;
  // Concentrations: format codes of the narrow (3-digit) and wide (4-digit) form, and
  // the factor between the engineering value and the stored integer.
  std::uint8_t narrowFormat;
  std::uint8_t wideFormat;
  double scale;
  ChannelSetUp channel;
  // The nominal sensor supply voltage, 10 mV.
  std::int32_t supplySetpoint;
  bool temperatureSensor;  // the temperature channel and its alarm threshold apply
  bool optical;            // the sensor reports a raw signal, not volts
  bool cleanAirShown;      // "отсрел на чистом воздухе (0.04%)" is shown from the flag
  bool cleanAirEditable;   // ... and the operator may change it
  bool secondChannel;      // the combined kind with a second sensor channel
};

const GasKind& GasKindOf(std::uint8_t code);

// A channel's concentration unit on one line, as "% об." or "мг/м3".
std::string ConcentrationUnit(const ChannelSetUp& channel);

}  // namespace zhv
