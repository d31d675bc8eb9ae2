#include "protocol/gas_kinds.h"

#include <array>

#include "protocol/catalogue.h"

namespace zhv {

namespace {

constexpr ChannelSetUp kUnknownChannel{"***", "", "", "", "", "---",
                                       {-10, 100, "00", 10}, {0, 10, "0", 100}, false};

constexpr std::array kKinds{
    GasKind{cat::kGasCH4, "природный CH4", "XX", 0x23, 0x24, 100,
            {"CH4", "", "об.", "", "%", "0.00", {-1, 5, "0.00", 1}, {0, 3, "0.000", 1}, true},
            250, false, false, false, false, false},
    GasKind{cat::kGasC3H8, "сжиженный C3H8", "XX", 0x23, 0x24, 100,
            {"C3H8", "", "об.", "", "%", "0.00", {-1, 3, "0.00", 1}, {0, 3, "0.000", 1}, true},
            250, false, false, false, false, false},
    GasKind{cat::kGasCO2Optical, "углекислый CO2", "00", 0x34, 0x34, 1000,
            {"CO2", "опт", "об.", "", "%", "0.000", {-1, 2, "0.000", 1}, {0, 10000, "0000", 1}, true},
            450, true, true, true, false, false},
    GasKind{cat::kGasCO, "угарный CO", "00", 3, 4, 1,
            {"CO", "", "мг", "------", "м3", "000", {-10, 200, "000", 50}, {0, 4, "0.000", 1}, false},
            330, true, false, false, false, false},
    GasKind{cat::kGasCombined, "совмещенный CH4/CO", "00", 3, 3, 1, kUnknownChannel,
            0, true, false, false, false, true},
    GasKind{cat::kGasCO2, "углекислый CO2", "00", 0x34, 0x34, 1000,
            {"CO2", "", "об.", "", "%", "0.000", {-1, 2, "0.000", 1}, {0, 5, "0.000", 1}, true},
            500, true, false, true, true, false},
};

constexpr GasKind kOther{0, "------", "XX", 3, 3, 1, kUnknownChannel, 0, true, false, false, false, false};

}  // namespace

const GasKind& GasKindOf(std::uint8_t code) {
  for (const GasKind& k : kKinds) {
    if (k.code == code) return k;
  }
  return kOther;
}

// The window stacks the unit: a fraction reads across, the percentages read "% об.".
std::string ConcentrationUnit(const ChannelSetUp& channel) {
  if (!*channel.upperUnit && !*channel.lowerUnit) return {};
  if (*channel.fractionLine) return std::string(channel.upperUnit) + "/" + channel.lowerUnit;
  return std::string(channel.lowerUnit) + " " + channel.upperUnit;
}

}  // namespace zhv
