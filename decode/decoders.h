// The decoders: each writes one part of an answer into the window model.
#pragma once

#include <cstdint>

#include "decode/answers.h"
#include "decode/display.h"
#include "exchange/exchange.h"
#include "ui/window_model.h"

namespace zhv {

// --- base unit status: the five "Состояние ТКЭ" groups and the voltages
void ShowIdentificationGroups(TForm1& f, std::uint8_t deviceType, const UnitInfo& unit);
void ShowBaseStatus(TForm1& f, std::uint8_t status0, std::uint8_t status1, std::int32_t packetCounter);
void ShowValveVoltage(TForm1& f, const Status& s);
void ShowSupplyVoltages(TForm1& f, const Status& s, std::uint8_t deviceType);

// --- sensor channels
void ShowParameterBlock(TForm1& f, const PollState& p, std::uint8_t deviceType, DisplayState& d);
void SetUpChannel(TForm1& f, DisplayState& d, std::uint8_t gasKind, int channel);
// Channel index 0 and 1 the sensors, 2 the temperature channel.
void ShowChannelState(TForm1& f, std::uint8_t unitGasKind, bool temperatureOff, std::uint8_t stateByte,
                      int channelIndex);
void ShowChannelValues(TForm1& f, DisplayState& d, std::uint8_t unitGasKind, const Status& s);

// --- storage module status
void ShowStorageStatus(TForm1& f, DisplayState& d, const StorageStatus& s, std::uint16_t referenceYear);

}  // namespace zhv
