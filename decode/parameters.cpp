// The parameter block laid out into the setting fields and configuration boxes.
#include <algorithm>

#include "app/tool.h"
#include "decode/ServTKE.h"
#include "decode/gas_kinds.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "exchange/catalogue.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

// Setting a box from code runs its click handler; the raised echo flag tells
// that handler the change is ours, so it posts no write.
void SetWithEcho(Control& box, bool checked, std::uint8_t& echo) {
  if (box.Checked() != checked) echo = 1;
  box.SetChecked(checked);
}

}  // namespace

void ShowParameterBlock(Tool& t) {
  TForm1& f = t.f;
  ExchangeRecord& r = t.r;
  auto& p = r.param;
  const auto word = [&p](int n) { return show::Word(p, 2 * static_cast<std::size_t>(n)); };
  const std::uint8_t flags = p[0];
  const GasKind& kind = GasKindOf(r.gasKind);
  const bool storageUnit = r.rxDeviceType == cat::kTypeStorage;

  r.displayUpdate = 1;

  // A set bit switches a function off; its box is checked while the bit is 0.
  const bool temperatureOn = !(flags & 0x10) && kind.temperatureSensor;
  SetWithEcho(f.CheckBox320, temperatureOn, r.echoTemperature);
  for (Control* c : EachGroup(f, &StatusGroup::temperature)) c->SetChecked(temperatureOn);
  SetWithEcho(f.CheckBox350, !(p[23] & 0x10) && storageUnit, r.echoBackupPower);
  SetWithEcho(f.CheckBox3501, !(p[23] & 0x20) && storageUnit, r.echoValve);
  SetWithEcho(f.CheckBox360, !(flags & 0x20) && r.rxDeviceType == cat::kTypeVoice, r.echoVoice);
  SetWithEcho(f.CheckBox1211, !(flags & 0x80) && kind.cleanAirShown, r.echoCleanAir);

  f.CheckBox121.SetChecked(!(flags & 0x01));
  f.CheckBox122.SetChecked(!(flags & 0x02));
  f.CheckBox221.SetChecked(!(flags & 0x04));
  f.CheckBox222.SetChecked(!(flags & 0x08));

  // Panel120 and Panel220 are left to the calibration and EEPROM results: emptying
  // them here would wipe a verdict during the re-read that follows it.

  // The optical CO2 sensor reports a raw signal, not volts.
  const bool optical = kind.optical;
  const std::uint8_t voltageCode = optical ? 5 : 0x45;
  f.Edit121.SetText(FormatValue(voltageCode, word(0x01)));
  f.Edit1221.SetText(FormatValue(voltageCode, word(0x02)));
  show::Text(f.Label1211, optical ? "" : txt::kVolts);
  show::Text(f.Label12212, optical ? "" : txt::kVolts);

  const std::uint16_t kind1 = r.displayedKind | kKindWide;
  f.Edit1220.SetText(FormatByKind(r, kind1, word(0x03)));
  f.Edit123.SetText(FormatByKind(r, kind1, word(0x04)));

  if (kind.secondChannel) {
    f.Edit221.SetText(FormatValue(0x45, word(0x05)));
    f.Edit2221.SetText(FormatValue(0x45, word(0x06)));
    f.Edit2220.SetText(FormatValue(4, word(0x07)));
    f.Edit223.SetText(FormatValue(4, word(0x08)));
  } else {
    show::Text(f.Edit221, txt::kNoVoltage);
    show::Text(f.Edit2221, txt::kNoVoltage);
    show::Text(f.Edit2220, txt::kNoCount);
    show::Text(f.Edit223, txt::kNoCount);
  }

  if (!kind.temperatureSensor) {
    show::Text(f.Edit321, txt::kNoTemperature);
  } else {
    // The threshold is 0..127; a larger byte is corrected in the block itself,
    // so a later write of word 0x00 sends the corrected value.
    p[1] = std::min<std::uint8_t>(p[1], 127);
    f.Edit321.SetText(FormatValue(2, p[1]));
  }

  f.Edit3310.SetText(FormatValue(0x24, std::clamp(word(0x09), 500, 3400)));
  if (storageUnit)
    f.Edit351.SetText(FormatValue(5, word(0x0A)));
  else
    show::Text(f.Edit351, txt::kNoSeconds);
  f.Edit421.SetText(FormatValue(5, word(0x0C)));
  f.Edit422.SetText(FormatValue(5, word(0x0D)));
  f.Edit423.SetText(FormatValue(5, word(0x0E)));

  const std::int32_t period = word(0x0B) & 0x0FFF;
  f.Edit10210.SetText(FormatValue(4, period));
  f.CheckBox10210.SetChecked(period == 0);

  const std::int32_t setpoint = GasKindOf(r.displayedKind).supplySetpoint;
  f.Edit142.SetText(FormatValue(0x23, setpoint));
  p[30] = static_cast<std::uint8_t>(setpoint & 0xFF);
  p[31] = static_cast<std::uint8_t>(setpoint >> 8);

  r.displayUpdate = 0;
}

}  // namespace zhv
