// The storage module's status: its flags, clock and buffer.
#include <algorithm>

#include "decode/codecs.h"
#include "decode/decoders.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "protocol/status_bits.h"

namespace zhv {

namespace {

// Eight upper-case hexadecimal digits, most significant first.
std::string Hex8(std::uint32_t v) {
  return Hex2(static_cast<std::uint8_t>(v >> 24)) + Hex2(static_cast<std::uint8_t>(v >> 16)) +
         Hex2(static_cast<std::uint8_t>(v >> 8)) + Hex2(static_cast<std::uint8_t>(v));
}

// Copies what was sent into the last-shown copy; true when anything differed.
template <std::size_t N>
bool Changed(const std::array<std::uint8_t, N>& now, std::array<std::uint8_t, N>& last) {
  if (now == last) return false;
  last = now;
  return true;
}

void ShowFlags(TForm1& f, std::uint8_t flags) {
  struct Row {
    std::uint8_t bit;
    Control& panel;
    Control& edit;
    const char* setText;
    TColor setColour;
    const char* clearText;
  };
  const Row rows[] = {
      {bits::kRtcFault, f.Panel10110, f.Edit10110, txt::kRtcFault, clr::Red, txt::kRtcOk},
      {bits::kDateFault, f.Panel10111, f.Edit10111, txt::kDateFault, clr::Yellow, txt::kDateOk},
      {bits::kDateNotSet, f.Panel10112, f.Edit10112, txt::kDateNotSet, clr::Yellow, txt::kDateSet},
      {bits::kBufferOverflow, f.Panel10115, f.Edit10115, txt::kOverflow, clr::Olive, txt::kNoOverflow},
      {bits::kBufferNotInitialised, f.Panel10116, f.Edit10116, txt::kBufferNotInit, clr::Yellow, txt::kBufferInit},
      {bits::kBufferCrcFault, f.Panel10117, f.Edit10117, txt::kCrcFault, clr::Yellow, txt::kCrcOk},
  };
  for (const Row& row : rows) {
    const bool set = flags & row.bit;
    show::Text(row.panel, set ? row.setText : row.clearText);
    row.panel.SetColour(set ? row.setColour : clr::BtnFace);
    show::Text(row.edit, show::Bit(set));
  }
}

}  // namespace

void ShowStorageStatus(TForm1& f, DisplayState& d, const StorageStatus& s, std::uint16_t referenceYear) {
  // Flags and buffer fields repaint only when they change.
  if (s.flags != d.lastStorageFlags) {
    d.lastStorageFlags = s.flags;
    ShowFlags(f, s.flags);
  }

  if (s.clockValid) {
    f.Edit10121.SetText(FormatValue(2, s.day));
    f.Edit10122.SetText(FormatValue(2, s.month));
    f.Edit10123.SetText(FormatValue(4, s.year));
    f.Edit10124.SetText(FormatValue(2, s.hour));
    f.Edit10125.SetText(FormatValue(2, s.minute));
    f.Edit10126.SetText(FormatValue(2, s.second));
  }

  if (Changed(s.bufferState, d.lastBufferState)) {
    f.Edit10141.SetText(std::to_string(s.records));
    f.Edit10142.SetText(Hex8(s.writeAddress));
    f.Edit10143.SetText(Hex8(s.readAddress));
  }

  if (Changed(s.bufferParams, d.lastBufferParams)) {
    f.Edit10131.SetText(FormatValue(2, PackedDay(s.bufferStart)));
    f.Edit10132.SetText(FormatValue(2, PackedMonth(s.bufferStart)));
    f.Edit10133.SetText(FormatValue(4, PackedYear(s.bufferStart, referenceYear)));
    f.Edit10134.SetText(FormatValue(2, PackedHour(s.bufferStart)));
    f.Edit10135.SetText(FormatValue(2, PackedMinute(s.bufferStart)));
    f.Edit10136.SetText(FormatValue(2, PackedSecond(s.bufferStart)));
    f.Edit10137.SetText(std::to_string(s.recordPeriod));
    f.Edit10138.SetText(Hex8(s.bufferTag));
  }
}

}  // namespace zhv
