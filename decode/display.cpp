#include "decode/display.h"

#include <bit>
#include <utility>

#include "decode/codecs.h"
#include "decode/decoders.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "protocol/parameters.h"
#include "protocol/status_bits.h"
#include "ui/status_groups.h"
#include "ui/tab_panels.h"

namespace zhv {

namespace {

struct ProductName {
  const char* prefix;
  TColor colour;
};

// What the identification answer's device type code names in Panel2.
ProductName NameProduct(std::uint8_t type) {
  switch (type) {
    case 0x02: return {"Найден эмулятор ИК ЖОВ-11А (ID = ", clr::Red};
    case 0x03: return {"Найден эмулятор ИК ЖОВ-11А1 (ID = ", clr::Red};
    case 0x04: return {"Найдено устройство калибровки БД ЖОВ-11А1 (ID = ", clr::Red};
    case 0x05: return {"Найден Тестер А-интерфейса (ID = ", clr::Red};
    case 0x06: return {"Найден Тестер Velk/RS485 (ID = ", clr::Red};
    case 0x08:
    case 0x09: return {"Найден БПС ЖОВ-11А1 (ID = ", clr::Red};
    case cat::kTypeBase:
    case cat::kTypeStorage:
    case cat::kTypeVoice:
      return {"Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = ", clr::Lime};
    default: return {"Найдено устройство (ID = ", clr::Red};
  }
}

const char* CalibrationMessage(std::uint8_t flags) {
  if (flags == 0) return "";
  if (flags & bits::kCalDisconnected) return "Cенсор отключен";  // a Latin C, as the unit's texts have it
  if (flags & bits::kCalVoltageRange) return "Напряжение на сенсоре вышло за допустимые границы";
  if (flags & bits::kCalDeltaTooSmall) return "Delta напряжения отрицательна или очень малая";
  return "Неизвестная ошибка отстрела";
}

}  // namespace

void Display::ShowProduct(std::uint8_t deviceType) {
  const ProductName name = NameProduct(deviceType);
  f_.Panel2.SetColour(name.colour);
  f_.Panel2.SetText(std::string(name.prefix) + Hex2(deviceType) + "h)");
}

void Display::ShowNoDevice() {
  f_.PageControl1.SetActivePage(0);
  for (Control* tab : {&f_.TabSheet2, &f_.TabSheet3, &f_.TabSheet4, &f_.TabSheet5, &f_.TabSheet6})
    tab->SetVisible(false);
  f_.Panel1.SetColour(clr::BtnFace);
  f_.Panel2.SetColour(clr::BtnFace);
  f_.Panel1.SetText("Нет активных устройств");
  f_.Panel2.SetText("");
  // A verdict belongs to the unit it came from.
  for (const TabPanel& row : kTabPanels) Say(&(f_.*row.panel), "", clr::WindowText);
}

void Display::KeepChartsAcrossGap(bool keep) {
  state.chartsAcrossGap = keep;
  if (!keep) state.chartKinds = {};
}

void Display::ShowIdentification(const Frame& answer, bool revealTabs) {
  if (revealTabs) {
    f_.TabSheet2.SetVisible(true);
    f_.TabSheet4.SetVisible(true);
    f_.TabSheet5.SetVisible(true);
    if (GasKindOf(poll_.unit.gasKind).secondChannel) f_.TabSheet3.SetVisible(true);
    if (answer.type == cat::kTypeStorage) f_.TabSheet6.SetVisible(true);
    const Control* tabs[] = {&f_.TabSheet1, &f_.TabSheet2, &f_.TabSheet3, &f_.TabSheet4, &f_.TabSheet5, &f_.TabSheet6};
    const bool shown = openingPage >= 0 && openingPage < 6 && tabs[openingPage]->Visible();
    f_.PageControl1.SetActivePage(shown ? openingPage : 1);
  }
  ShowIdentificationGroups(f_, answer.type, poll_.unit);
}

void Display::ShowParameters() { ShowParameterBlock(f_, poll_, link_.Received().type, state); }

void Display::ShowStatus(const Frame& answer, bool setUpChannels) {
  const Status s = ParseStatus(answer);
  const std::uint8_t gasKind = poll_.unit.gasKind;
  ShowBaseStatus();
  if (setUpChannels) {
    state.channelKinds = {s.channels[0].kind, s.channels[1].kind};
    SetUpChannel(f_, state, s.channels[0].kind, 0);
    if (GasKindOf(gasKind).secondChannel) SetUpChannel(f_, state, s.channels[1].kind, 1);
    state.chartsAcrossGap = false;
  }
  const bool temperatureOff = param::IsSet(poll_.param, param::kTemperatureOff);
  ShowChannelState(f_, gasKind, temperatureOff, s.channels[0].state, 0);
  ShowChannelState(f_, gasKind, temperatureOff, s.channels[1].state, 1);
  ShowChannelState(f_, gasKind, temperatureOff, s.temperatureState, 2);
  ShowValveVoltage(f_, s);
  ShowSupplyVoltages(f_, s, answer.type);
  ShowChannelValues(f_, state, gasKind, s);
}

void Display::ShowBaseStatus() { zhv::ShowBaseStatus(f_, poll_.status0, poll_.status1, poll_.packetCounter); }

void Display::ShowSupplySetpoint(std::int32_t setpoint) {
  f_.Edit142.SetText(FormatValue(param::kSupplySetpoint.format, setpoint));
}

// The unit's own verdicts keep the panel's usual colour; a write's verdict before may have coloured it.
void Display::ShowCalibration(std::uint8_t operation, std::uint8_t errorFlags) {
  Control& panel = (operation & bits::kOpChannelMask) == 0 ? f_.Panel120 : f_.Panel220;
  Say(&panel, CalibrationMessage(errorFlags), clr::WindowText);
}

void Display::ShowEepromRewrite(bool failed) {
  const char* message = failed ? "Ошибка перезаписи EEPROM" : "";
  Say(&f_.Panel120, message, clr::WindowText);
  Say(&f_.Panel220, message, clr::WindowText);
}

void Display::ShowWriteVerdict(const param::Field& field, std::uint16_t sent, std::uint16_t held) {
  Control* panel = TabPanelOf(f_, *f_.Find(field.control));
  if (sent == held) {
    Say(panel, "Записано", clr::Green);
    return;
  }
  // What the unit holds, in the field's own terms.
  const std::uint16_t value = static_cast<std::uint16_t>((held & field.mask) >> std::countr_zero(field.mask));
  std::string holds;
  if (field.entry == param::Entry::Flag)
    holds = value ? "выкл." : "вкл.";  // a set bit switches the function off
  else if (field.entry == param::Entry::ByKind)
    holds = FormatByKind(static_cast<std::uint16_t>(poll_.unit.displayedKind | kKindWide), value);
  else
    holds = FormatValue(field.format, value);
  Say(panel, "Не записано: в ТКЭ " + holds, clr::Red);
}

void Display::ShowStorageStatus(const Frame& answer) {
  zhv::ShowStorageStatus(f_, state, ParseStorageStatus(answer), jobs_.referenceYear);
}

void Display::ShowDivider(std::int32_t divider) { f_.Edit1024.SetText(FormatValue(4, divider)); }

void Display::ShowSilence(bool answering, int seconds) {
  DisplayState& d = state;
  const auto mode = EachGroup(f_, &StatusGroup::mode);
  if (!d.silenceShown) {
    for (std::size_t i = 0; i < mode.size(); ++i) {
      d.coveredText[i] = mode[i]->Text();
      d.coveredFontColour[i] = mode[i]->FontColour();
    }
    d.silenceShown = true;
  }
  d.silenceText = std::string(answering ? "ТКЭ отвечает, но не выполняет команду" : "Нет ответа от ТКЭ") + " (" +
                  std::to_string(seconds) + " с)";
  for (Control* c : mode) {
    c->SetText(d.silenceText);
    c->SetFontColour(clr::Red);
  }
  // A command the unit has not confirmed may be given up from here.
  ShowCancelButtons(f_, poll_.pending != Pending::None);
}

// What the word covered comes back, unless the answer has written something newer.
void Display::HideSilence() {
  DisplayState& d = state;
  ShowCancelButtons(f_, false);
  if (!std::exchange(d.silenceShown, false)) return;
  const auto mode = EachGroup(f_, &StatusGroup::mode);
  for (std::size_t i = 0; i < mode.size(); ++i) {
    if (mode[i]->Text() != d.silenceText) continue;
    mode[i]->SetText(d.coveredText[i]);
    mode[i]->SetFontColour(d.coveredFontColour[i]);
  }
}

void Display::Reset() {
  state.echoes.temperature = false;
  HideSilence();
}

}  // namespace zhv
