// State decoding: value codecs and the decoders that turn responses into the
// texts, colours, check marks and chart points of the window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zhv {

struct Tool;
struct ExchangeRecord;
class ILocale;

// --- value codecs
std::string FormatValue(std::uint8_t formatCode, std::int32_t value);
std::string FormatByKind(ExchangeRecord& r, std::uint16_t kindCode, std::int32_t value);
void ParseScaledEntry(ExchangeRecord& r, ILocale& locale);
void ParseIntegerEntry(ExchangeRecord& r);
std::int32_t PackedSecond(std::uint32_t packed);
std::int32_t PackedMinute(std::uint32_t packed);
std::int32_t PackedHour(std::uint32_t packed);
std::int32_t PackedDay(std::uint32_t packed);
std::int32_t PackedMonth(std::uint32_t packed);
std::int32_t PackedYear(std::uint32_t packed, std::uint16_t referenceYear);
std::string Hex2(std::uint8_t byte);  // two upper-case hexadecimal digits
// An optional sign and decimal digits, the whole text, within 32 bits.
bool ConvertInteger(std::string_view text, std::int32_t& value);

inline constexpr std::uint16_t kKindWide = 0x100;
inline constexpr std::uint16_t kKindBlank = 0x200;

// --- base unit status
void ShowIdentification(Tool& t);
void ShowBaseStatus(Tool& t);
void ShowValveVoltage(Tool& t);
void ShowSupplyVoltages(Tool& t);

// --- sensor channels
void ShowParameterBlock(Tool& t);
void SetUpChannel(Tool& t, std::uint8_t gasKind, std::uint8_t channel);
void ShowChannelState(Tool& t, std::uint8_t stateByte, std::uint8_t channelIndex);
void ShowChannelValues(Tool& t);

// --- storage module status and clock entry
void ShowStorageStatus(Tool& t);
void ReadClockEntry(Tool& t);

}  // namespace zhv
