// Storage module status and the clock entry.
#include <algorithm>

#include "app/tool.h"
#include "decode/ServTKE.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "exchange/catalogue.h"

namespace zhv {

namespace {

// Eight upper-case hexadecimal digits of the 32-bit word at bytes at..at+3,
// most significant byte first.
std::string Hex8(const Bytes256& d, std::size_t at) {
  return Hex2(d[at + 3]) + Hex2(d[at + 2]) + Hex2(d[at + 1]) + Hex2(d[at]);
}

std::uint32_t Long(const Bytes256& d, std::size_t at) {
  return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<std::uint32_t>(d[at + 3]) << 24;
}

// Copies bytes into the last-shown copy; true when anything differed.
template <std::size_t N>
bool Changed(const Bytes256& d, std::size_t at, std::array<std::uint8_t, N>& last) {
  const auto first = d.begin() + static_cast<std::ptrdiff_t>(at);
  if (std::equal(last.begin(), last.end(), first)) return false;
  std::copy(first, first + N, last.begin());
  return true;
}

void ShowFlags(TForm1& f, std::uint8_t flags) {
  struct Row {
    int bit;
    Control& panel;
    Control& edit;
    const char* setText;
    TColor setColour;
    const char* clearText;
  };
  const Row rows[] = {
      {0, f.Panel10110, f.Edit10110, txt::kRtcFault, clr::Red, txt::kRtcOk},
      {1, f.Panel10111, f.Edit10111, txt::kDateFault, clr::Yellow, txt::kDateOk},
      {2, f.Panel10112, f.Edit10112, txt::kDateNotSet, clr::Yellow, txt::kDateSet},
      {5, f.Panel10115, f.Edit10115, txt::kOverflow, clr::Olive, txt::kNoOverflow},
      {6, f.Panel10116, f.Edit10116, txt::kBufferNotInit, clr::Yellow, txt::kBufferInit},
      {7, f.Panel10117, f.Edit10117, txt::kCrcFault, clr::Yellow, txt::kCrcOk},
  };
  for (const Row& row : rows) {
    const bool set = flags & (1u << row.bit);
    show::Text(row.panel, set ? row.setText : row.clearText);
    row.panel.SetColour(set ? row.setColour : clr::BtnFace);
    show::Text(row.edit, show::Bit(set));
  }
}

}  // namespace

void ShowStorageStatus(Tool& t) {
  TForm1& f = t.f;
  ExchangeRecord& r = t.r;
  const Bytes256& d = r.rxData;

  // Flags and buffer fields repaint only when they change.
  if (d[0] != r.lastStorageFlags) {
    r.lastStorageFlags = d[0];
    ShowFlags(f, d[0]);
  }

  if (d[1] & 0x01) {
    f.Edit10121.SetText(FormatValue(2, d[2]));
    f.Edit10122.SetText(FormatValue(2, d[3]));
    f.Edit10123.SetText(FormatValue(4, show::Word(d, 4)));
    f.Edit10124.SetText(FormatValue(2, d[6]));
    f.Edit10125.SetText(FormatValue(2, d[7]));
    f.Edit10126.SetText(FormatValue(2, d[8]));
  }

  r.referenceYear = static_cast<std::uint16_t>(show::Word(d, 10));
  r.referenceYearKnown = 1;

  if (Changed(d, 12, r.lastBufferState)) {
    f.Edit10141.SetText(std::to_string(show::Word(d, 12)));
    f.Edit10142.SetText(Hex8(d, 14));
    f.Edit10143.SetText(Hex8(d, 18));
  }

  if (Changed(d, 22, r.lastBufferParams)) {
    const std::uint32_t packed = Long(d, 22);
    f.Edit10131.SetText(FormatValue(2, PackedDay(packed)));
    f.Edit10132.SetText(FormatValue(2, PackedMonth(packed)));
    f.Edit10133.SetText(FormatValue(4, PackedYear(packed, r.referenceYear)));
    f.Edit10134.SetText(FormatValue(2, PackedHour(packed)));
    f.Edit10135.SetText(FormatValue(2, PackedMinute(packed)));
    f.Edit10136.SetText(FormatValue(2, PackedSecond(packed)));
    f.Edit10137.SetText(std::to_string(show::Word(d, 26)));
    f.Edit10138.SetText(Hex8(d, 28));
  }
}

void ReadClockEntry(Tool& t) {
  TForm1& f = t.f;
  ExchangeRecord& r = t.r;
  struct Field {
    Control& edit;
    std::int32_t min, max;
    std::uint8_t formatCode;
  };
  const Field fields[] = {
      {f.Edit10221, 1, 31, 2}, {f.Edit10222, 1, 12, 2}, {f.Edit10223, 1, 9999, 4},
      {f.Edit10224, 0, 23, 2}, {f.Edit10225, 0, 59, 2}, {f.Edit10226, 0, 59, 2},
  };
  std::int32_t values[6];

  r.clockSetFlags &= static_cast<std::uint8_t>(~cat::kClockEntryInvalid);
  // Every field is checked and rewritten, so all corrections show at once.
  for (int i = 0; i < 6; ++i) {
    const Field& field = fields[i];
    std::int32_t value = 0;
    if (!ConvertInteger(field.edit.Text(), value)) {
      value = 1;
      r.clockSetFlags |= cat::kClockEntryInvalid;
    }
    if (value < field.min || value > field.max) {
      value = std::clamp(value, field.min, field.max);
      r.clockSetFlags |= cat::kClockEntryInvalid;
    }
    field.edit.SetText(FormatValue(field.formatCode, value));
    values[i] = value;
  }

  r.clockPayload = {static_cast<std::uint8_t>(values[0]),
                    static_cast<std::uint8_t>(values[1]),
                    static_cast<std::uint8_t>(values[2] & 0xFF),
                    static_cast<std::uint8_t>(values[2] >> 8),
                    static_cast<std::uint8_t>(values[3]),
                    static_cast<std::uint8_t>(values[4]),
                    static_cast<std::uint8_t>(values[5])};
}

}  // namespace zhv
