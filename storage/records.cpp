// The export file's two renderings of a storage record and the texts they use.
#include "storage/records.h"

#include <algorithm>
#include <string_view>

#include "decode/codecs.h"

namespace zhv {

namespace {

constexpr const char* kEol = "\r\n";
constexpr const char* kHeader =
    "FlCRC;Date;Time;GlFlag;VoltBat;"
    "TypeBD1;StatBD1;S1;ConcBD1;IdConc1;"
    "TypeBD2;StatBD2;S2;ConcBD2;IdConc2;"
    "StatTemp;Temper;";

// The group width the readable form pads a channel's sign, value and unit to.
constexpr int kGroupWidth = 11;

struct SensorType {
  std::uint8_t code;
  const char* name;  // ten characters
  const char* unit;
  int unitWidth;     // counted, not measured: it decides the padding
};

// The С that opens the formulae of codes 1, 2, 11 and 13 is the Cyrillic letter
// (\u0421), as the unit's own documents have it; the rest of each formula is Latin.
constexpr SensorType kSensorTypes[] = {
    {0, "Нет       ", " ", 1},
    {1, "\u0421H4 термо ", "об.%", 4},
    {2, "\u04213H8 термо", "об.%", 4},
    {4, "H2 термо  ", "об.%", 4},
    {5, "Ex термо  ", "%нкпр", 5},
    {11, "\u0421H4 опто  ", "об.%", 4},
    {13, "\u0421O2 опто  ", "об.%", 4},
    {14, "Ex опто   ", "%нкпр", 5},
    {22, "O2 элхим  ", "об.%", 4},
    {23, "CO элхим  ", "мг/м3", 5},
    {24, "H2S элхим ", "мг/м3", 5},
    {29, "NH3 1000 Э", "мг/м3", 5},
    {30, "NH3 2500 Э", "мг/м3", 5},
};
constexpr SensorType kUnknownType{0xFF, "Unknown BD", " ", 1};
// The second channel, when present, always carries this sensor.
constexpr std::uint8_t kChannel2Type = 23;

const SensorType& TypeOf(std::uint8_t code) {
  for (const SensorType& type : kSensorTypes)
    if (type.code == code) return type;
  return kUnknownType;
}

constexpr const char* kNoChannel = "Нет       ";
constexpr const char* kTemperatureChannel = "Темпер.  ";
constexpr const char* kNoChannelState = "---------- ";
constexpr const char* kNormal = "Норма      ";
constexpr const char* kWasTriggered = "Было сраб. ";

// The first row that applies wins.
const char* ModeText(std::uint8_t state) {
  if (state & rec::kUnitOnBattery) return "Пит.от АКБ ";
  if (state & rec::kUnitTest) return "Тест режим ";
  if (!(state & rec::kUnitOperating)) return " Прогрев   ";
  if (state & rec::kUnitUsb) return "USB управ. ";
  return "Раб.режим  ";
}

const char* FaultText(std::uint8_t state) {
  if (state & rec::kUnitLinkError) return "Ошиб.связи ";
  if (state & rec::kUnitDischarged) return "Разряд АКБ ";
  return "Нет ошибок ";
}

const char* Channel1StateText(std::uint8_t channels) {
  if (channels & rec::kCh1Above2) return "> Порог 2  ";
  if (channels & rec::kCh1Above1) return "> Порог 1  ";
  if (channels & rec::kCh1Fault) return "Авария s1  ";
  if (channels & rec::kCh1Triggered) return kWasTriggered;
  return kNormal;
}

const char* Channel2StateText(std::uint8_t channels) {
  if (channels & rec::kCh2Above1) return "> Порог 1  ";
  if (channels & rec::kCh2Fault) return "Авария s2  ";
  if (channels & rec::kCh2Triggered) return kWasTriggered;
  return kNormal;
}

const char* TemperatureStateText(std::uint8_t state) {
  if (!(state & rec::kTempPresent)) return kNoChannelState;
  if (state & rec::kTempAbove) return "> Порог T  ";
  if (state & rec::kTempFault) return "Авария T   ";
  if (state & rec::kTempTriggered) return kWasTriggered;
  return kNormal;
}

// A concentration word: bits 0..13 the value, bit 14 negative (the magnitude is
// then 16384 minus the value), bit 15 above the range.
struct Concentration {
  char sign;
  std::int32_t value;
  int minDigits;
  int decimals;
};

Concentration DecodeConcentration(std::uint16_t word, int decimals) {
  const std::int32_t bits = word & rec::kConcValueMask;
  const bool negative = word & rec::kConcNegative;
  return {negative ? '-' : (word & rec::kConcOverRange) ? '>' : ' ', negative ? rec::kConcNegativeBase - bits : bits,
          decimals == 3 ? 4 : 3, decimals};
}

void AppendValue(std::string& out, const Concentration& c) {
  out += FormatValue(static_cast<std::uint8_t>(c.decimals << 4 | c.minDigits), c.value);
}

// Sign, value and unit, then blanks until the counted width reaches the group's:
// a value longer than its minimum lengthens the line instead of shortening the padding.
void AppendGroup(std::string& out, const Concentration& c, const SensorType& type) {
  out += c.sign;
  AppendValue(out, c);
  out += type.unit;
  for (int width = 1 + c.minDigits + (c.decimals ? 1 : 0) + type.unitWidth; width < kGroupWidth; ++width)
    out += ' ';
}

struct Record {
  std::uint8_t integrity;
  std::uint32_t stamp;
  std::uint8_t state;
  std::int32_t battery;  // hundredths of a volt
  const SensorType* type1;
  Concentration channel1;
  std::uint8_t channels;
  bool channel2Present;
  Concentration channel2;
  std::uint8_t temperatureState;
  std::uint8_t temperature;
  std::uint16_t referenceYear;
};

Record Decode(StorageRecord b, std::uint16_t referenceYear) {
  const auto word = [&b](std::size_t at) { return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8); };
  using namespace rec;
  const std::size_t s = kStamp;
  return {b[kIntegrity],
          b[s] | b[s + 1] << 8 | b[s + 2] << 16 | static_cast<std::uint32_t>(b[s + 3]) << 24,
          b[kUnitState],
          (b[kUnitState] & kUnitBattery8) * 256 + b[kBattery],
          &TypeOf(b[kKind1] & kKindMask),
          DecodeConcentration(word(kConc1), b[kKind1] >> kDecimalsShift),
          b[kChannels],
          (b[kChannels] & kCh2Present) != 0,
          DecodeConcentration(word(kConc2), 0),
          b[kTempState],
          b[kTemperature],
          referenceYear};
}

void AppendDate(std::string& out, const Record& r) {
  out += FormatValue(2, PackedDay(r.stamp));
  out += '/';
  out += FormatValue(2, PackedMonth(r.stamp));
  out += '/';
  out += FormatValue(2, PackedYear(r.stamp, r.referenceYear));
}

void AppendTime(std::string& out, const Record& r) {
  out += FormatValue(2, PackedHour(r.stamp));
  out += ':';
  out += FormatValue(2, PackedMinute(r.stamp));
  out += ':';
  out += FormatValue(2, PackedSecond(r.stamp));
}

void AppendBattery(std::string& out, const Record& r) { out += FormatValue(0x23, r.battery); }

void AppendTemperature(std::string& out, const Record& r) {
  const bool below = r.temperature & rec::kTemperatureBelowZero;
  out += below ? '-' : '+';
  out += FormatValue(2, below ? 256 - r.temperature : r.temperature);
}

void AppendSpreadsheet(std::string& out, const Record& r) {
  const auto cell = [&out](auto&& text) {
    out += text;
    out += ';';
  };
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (r.integrity > 0x0F) out += kHex[r.integrity >> 4];
  cell(kHex[r.integrity & 0x0F]);
  AppendDate(out, r);
  out += ';';
  AppendTime(out, r);
  out += ';';
  cell(FormatValue(3, r.state & ~rec::kUnitBattery8 & 0xFF));
  AppendBattery(out, r);
  out += ';';
  cell(r.type1->name);
  cell(FormatValue(2, r.channels & rec::kCh1States));
  cell(r.channel1.sign);
  AppendValue(out, r.channel1);
  out += ';';
  cell(r.type1->unit);
  if (r.channel2Present) {
    const SensorType& type2 = TypeOf(kChannel2Type);
    cell(type2.name);
    cell(FormatValue(1, (r.channels & rec::kCh2States) >> rec::kCh2Shift));
    cell(r.channel2.sign);
    AppendValue(out, r.channel2);
    out += ';';
    cell(type2.unit);
  } else {
    // Every column of the header has its cell: a blank state, sign and unit, a zero value.
    cell(kNoChannel);
    cell(' ');
    cell(' ');
    cell("000");
    cell(' ');
  }
  cell(FormatValue(2, r.temperatureState & rec::kTempStates));
  AppendTemperature(out, r);
  out += ';';
  out += kEol;
}

void AppendReadable(std::string& out, const Record& r) {
  const SensorType& type2 = TypeOf(kChannel2Type);
  AppendDate(out, r);
  out += ' ';
  out += ModeText(r.state);
  out += r.type1->name;
  out += ' ';
  out += r.channel2Present ? type2.name : kNoChannel;
  out += ' ';
  out += (r.temperatureState & rec::kTempPresent) ? kTemperatureChannel : kNoChannel;
  out += kEol;

  AppendTime(out, r);
  out += ' ';
  out += FaultText(r.state);
  out += Channel1StateText(r.channels);
  out += r.channel2Present ? Channel2StateText(r.channels) : kNoChannelState;
  out += TemperatureStateText(r.temperatureState);
  out += kEol;

  out += "CRC:";
  out += r.integrity == 0 ? "Ok   " : "Bad  ";
  out += "АКБ:";
  AppendBattery(out, r);
  out += "B  ";  // a Latin B, as the unit's labels show volts
  AppendGroup(out, r.channel1, *r.type1);
  if (r.channel2Present) {
    AppendGroup(out, r.channel2, type2);
  } else {
    out += kNoChannelState;
  }
  AppendTemperature(out, r);
  out += " гр.C";
  out += kEol;
  out += kEol;
}

}  // namespace

namespace {

// The fields of a line, without the empty one after its last separator.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t end = line.find(';');
    fields.push_back(line.substr(0, end));
    if (end == std::string_view::npos) break;
    line.remove_prefix(end + 1);
  }
  return fields;
}

// Decimal digits with at most one point; the digits as one number, and how many follow the point.
bool Digits(std::string_view text, std::int32_t& value, int& decimals) {
  value = 0;
  decimals = -1;
  int digits = 0;
  for (char c : text) {
    if (c == '.' && decimals < 0) {
      decimals = 0;
    } else if (c >= '0' && c <= '9' && digits < 6) {
      value = value * 10 + (c - '0');
      ++digits;
      if (decimals >= 0) ++decimals;
    } else {
      return false;
    }
  }
  decimals = std::max(decimals, 0);
  return digits > 0;
}

bool Whole(std::string_view text, std::int32_t& value, std::int32_t most) {
  int decimals = 0;
  return Digits(text, value, decimals) && decimals == 0 && value <= most;
}

// "dd<sep>mm<sep>yy": the three numbers.
bool Triple(std::string_view text, char sep, std::int32_t (&parts)[3]) {
  for (int k = 0; k < 3; ++k) {
    const std::size_t end = k < 2 ? text.find(sep) : text.size();
    if (end == std::string_view::npos || !Whole(text.substr(0, end), parts[k], 999)) return false;
    text.remove_prefix(k < 2 ? end + 1 : end);
  }
  return true;
}

bool SensorCode(std::string_view name, std::uint8_t& code) {
  for (const SensorType& type : kSensorTypes)
    if (name == type.name) return code = type.code, true;
  // A code the table does not know was written under this name.
  return name == kUnknownType.name && (code = rec::kKindMask, true);
}

// A sign cell and a value cell back to the concentration word and its decimals.
bool ConcentrationWord(std::string_view sign, std::string_view text, std::uint16_t& word, int& decimals) {
  std::int32_t value = 0;
  if (sign.size() != 1 || !Digits(text, value, decimals) || decimals > 3) return false;
  switch (sign[0]) {
    case '-':
      if (value < 1 || value > rec::kConcNegativeBase) return false;
      word = static_cast<std::uint16_t>(rec::kConcNegative | ((rec::kConcNegativeBase - value) & rec::kConcValueMask));
      return true;
    case '>':
    case ' ':
      if (value > rec::kConcValueMask) return false;
      word = static_cast<std::uint16_t>((sign[0] == '>' ? rec::kConcOverRange : 0) | value);
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ParseSpreadsheetLine(std::string_view line, KeptRecord& record) {
  using namespace rec;
  if (line.size() >= 2 && line.substr(line.size() - 2) == kEol) line.remove_suffix(2);
  const std::vector<std::string_view> f = Fields(line);
  if (f.size() != 17 || f[0].empty() || f[0].size() > 2) return false;
  RecordBytes& b = record.bytes;
  b = {};
  std::int32_t integrity = 0, date[3], time[3], state = 0, battery = 0, states1 = 0, states2 = 0, tempStates = 0,
               temperature = 0;
  int decimals = 0, decimals2 = 0;
  for (char c : f[0]) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return false;
    integrity = integrity * 16 + digit;
  }
  std::uint16_t conc1 = 0, conc2 = 0;
  std::uint8_t kind1 = 0, kind2 = 0;
  if (!Triple(f[1], '/', date) || !Triple(f[2], ':', time) || !Whole(f[3], state, 0xFE) || (state & kUnitBattery8) ||
      !Digits(f[4], battery, decimals) || decimals != 2 || battery > 511 || !SensorCode(f[5], kind1) ||
      !Whole(f[6], states1, kCh1States) || !ConcentrationWord(f[7], f[8], conc1, decimals) ||
      !Whole(f[15], tempStates, kTempStates) || f[16].size() < 2 || (f[16][0] != '+' && f[16][0] != '-') ||
      !Whole(f[16].substr(1), temperature, f[16][0] == '-' ? 128 : 127)) {
    return false;
  }
  const bool second = f[10] != kNoChannel;
  if (second && (!SensorCode(f[10], kind2) || kind2 != kChannel2Type || !Whole(f[11], states2, kCh2States >> kCh2Shift) ||
                 !ConcentrationWord(f[12], f[13], conc2, decimals2) || decimals2 != 0)) {
    return false;
  }
  // The year field counts from the reference year's last two digits; pick a reference that holds the line's.
  const std::int32_t year = date[2];
  const std::int32_t base = std::clamp(year - 63, 0, 99);
  if (year > 99 + 63 || date[0] > 31 || date[1] > 15 || time[0] > 31 || time[1] > 63 || time[2] > 63) return false;
  record.referenceYear = static_cast<std::uint16_t>(2000 + base);
  const std::uint32_t stamp = static_cast<std::uint32_t>(year - base) << 26 | static_cast<std::uint32_t>(date[1]) << 22 |
                              static_cast<std::uint32_t>(date[0]) << 17 | static_cast<std::uint32_t>(time[0]) << 12 |
                              static_cast<std::uint32_t>(time[1]) << 6 | static_cast<std::uint32_t>(time[2]);
  b[kIntegrity] = static_cast<std::uint8_t>(integrity);
  for (int k = 0; k < 4; ++k) b[kStamp + k] = static_cast<std::uint8_t>(stamp >> (8 * k));
  b[kUnitState] = static_cast<std::uint8_t>(state | (battery > 255 ? kUnitBattery8 : 0));
  b[kBattery] = static_cast<std::uint8_t>(battery & 0xFF);
  b[kKind1] = static_cast<std::uint8_t>(kind1 | decimals << kDecimalsShift);
  b[kChannels] = static_cast<std::uint8_t>(states1 | (second ? kCh2Present | states2 << kCh2Shift : 0));
  b[kConc1] = static_cast<std::uint8_t>(conc1);
  b[kConc1 + 1] = static_cast<std::uint8_t>(conc1 >> 8);
  b[kConc2] = static_cast<std::uint8_t>(conc2);
  b[kConc2 + 1] = static_cast<std::uint8_t>(conc2 >> 8);
  b[kTempState] = static_cast<std::uint8_t>(tempStates);
  b[kTemperature] = static_cast<std::uint8_t>(f[16][0] == '-' ? (256 - temperature) & 0xFF : temperature);
  return true;
}

std::string SpreadsheetHeader() { return std::string(kEol) + kHeader + kEol; }

std::string LayoutHeader(Layout layout) { return layout == Layout::Spreadsheet ? SpreadsheetHeader() : std::string(); }

void AppendRecord(std::string& out, StorageRecord record, std::uint16_t referenceYear, Layout layout) {
  const Record r = Decode(record, referenceYear);
  if (layout == Layout::Spreadsheet) {
    AppendSpreadsheet(out, r);
  } else {
    AppendReadable(out, r);
  }
}

namespace {

enum Column : int {
  kColTime, kColCheck, kColMode, kColFault, kColState, kColBattery,
  kColSensor1, kColState1, kColConc1, kColOver1, kColUnit1,
  kColSensor2, kColState2, kColConc2, kColOver2, kColUnit2,
  kColTempState, kColTemperature, kColumns
};

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

WorkbookCell Text(std::string_view text) {
  WorkbookCell c;
  const std::string t = Trimmed(text);
  if (!t.empty()) {
    c.kind = WorkbookCell::Kind::Text;
    c.text = t;
  }
  return c;
}

WorkbookCell Number(double value, const char* format) {
  WorkbookCell c;
  c.kind = WorkbookCell::Kind::Number;
  c.number = value;
  c.format = format;
  return c;
}

constexpr const char* kDecimalFormats[] = {"0", "0.0", "0.00", "0.000"};

WorkbookCell ConcentrationCell(const Concentration& c) {
  const int decimals = std::clamp(c.decimals, 0, 3);
  double value = c.value;
  for (int k = 0; k < decimals; ++k) value /= 10;
  return Number(c.sign == '-' ? -value : value, kDecimalFormats[decimals]);
}

WorkbookCell OverRange(const Concentration& c) { return Text(c.sign == '>' ? ">" : ""); }

// A date the unit cannot have meant stays as its text, so no cell claims a wrong day.
WorkbookCell Stamp(const Record& r) {
  WorkbookCell c;
  c.year = r.referenceYear - r.referenceYear % 100 + PackedYear(r.stamp, r.referenceYear);
  c.month = PackedMonth(r.stamp);
  c.day = PackedDay(r.stamp);
  c.hour = PackedHour(r.stamp);
  c.minute = PackedMinute(r.stamp);
  c.second = PackedSecond(r.stamp);
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = c.year % 4 == 0 && (c.year % 100 != 0 || c.year % 400 == 0);
  if (c.year >= 1900 && c.month >= 1 && c.month <= 12 && c.day >= 1 &&
      c.day <= kDays[c.month - 1] - (c.month == 2 && !leap ? 1 : 0) && c.hour < 24 && c.minute < 60 && c.second < 60) {
    c.kind = WorkbookCell::Kind::DateTime;
    c.format = "dd.mm.yyyy hh:mm:ss";
    return c;
  }
  std::string text;
  AppendDate(text, r);
  text += ' ';
  AppendTime(text, r);
  return Text(text);
}

}  // namespace

const std::vector<std::string>& WorkbookColumns() {
  static const std::vector<std::string> kNames = {
      "Дата и время", "CRC", "Режим", "Ошибки", "GlFlag", "АКБ, В",
      "Датчик 1", "Состояние 1", "Конц. 1", "Выше диапазона 1", "Ед. 1",
      "Датчик 2", "Состояние 2", "Конц. 2", "Выше диапазона 2", "Ед. 2",
      "Состояние T", "Температура, гр.C"};
  return kNames;
}

int WorkbookConcentrationColumn(int channel) { return channel == 2 ? kColConc2 : kColConc1; }

bool HasSecondChannel(StorageRecord record) { return (record[rec::kChannels] & rec::kCh2Present) != 0; }

std::string ChannelName(StorageRecord record, int channel) {
  const SensorType& type = TypeOf(channel == 2 ? kChannel2Type : record[rec::kKind1] & rec::kKindMask);
  return Trimmed(type.name) + ", " + Trimmed(type.unit);
}

std::vector<WorkbookCell> WorkbookRow(StorageRecord record, std::uint16_t referenceYear) {
  const Record r = Decode(record, referenceYear);
  std::vector<WorkbookCell> row(kColumns);
  row[kColTime] = Stamp(r);
  row[kColCheck] = Text(r.integrity == 0 ? "Ok" : "Bad");
  row[kColMode] = Text(ModeText(r.state));
  row[kColFault] = Text(FaultText(r.state));
  row[kColState] = Number(r.state & ~rec::kUnitBattery8 & 0xFF, nullptr);
  row[kColBattery] = Number(r.battery / 100.0, "0.00");
  row[kColSensor1] = Text(r.type1->name);
  row[kColState1] = Text(Channel1StateText(r.channels));
  row[kColConc1] = ConcentrationCell(r.channel1);
  row[kColOver1] = OverRange(r.channel1);
  row[kColUnit1] = Text(r.type1->unit);
  if (r.channel2Present) {
    const SensorType& type2 = TypeOf(kChannel2Type);
    row[kColSensor2] = Text(type2.name);
    row[kColState2] = Text(Channel2StateText(r.channels));
    row[kColConc2] = ConcentrationCell(r.channel2);
    row[kColOver2] = OverRange(r.channel2);
    row[kColUnit2] = Text(type2.unit);
  }
  row[kColTempState] = Text(TemperatureStateText(r.temperatureState));
  if (r.temperatureState & rec::kTempPresent) {
    const bool below = r.temperature & rec::kTemperatureBelowZero;
    row[kColTemperature] = Number(below ? r.temperature - 256 : r.temperature, nullptr);
  }
  return row;
}

}  // namespace zhv
