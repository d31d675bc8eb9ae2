// The parameter block laid out into the setting fields and configuration boxes.
#include <algorithm>

#include "decode/codecs.h"
#include "decode/decoders.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

// The valve voltage is shown within what the unit can drive; the block keeps its word.
constexpr std::int32_t kValveShownMin = 500;
constexpr std::int32_t kValveShownMax = 3400;

// Setting a box from code runs its click handler; the raised echo tells that
// handler the change is ours, so it posts no write.
void SetWithEcho(Control& box, bool checked, bool& echo) {
  if (box.Checked() != checked) echo = true;
  box.SetChecked(checked);
}

Control& Shown(TForm1& f, const param::Field& field) { return *f.Find(field.control); }

void ShowWord(TForm1& f, const param::Block& b, const param::Field& field, std::uint8_t formatCode) {
  Shown(f, field).SetText(FormatValue(formatCode, param::Get(b, field)));
}

}  // namespace

void ShowParameterBlock(TForm1& f, const PollState& p, std::uint8_t deviceType, DisplayState& d) {
  using namespace param;
  const Block& b = p.param;
  const GasKind& kind = GasKindOf(p.unit.gasKind);
  const bool storageUnit = deviceType == cat::kTypeStorage;

  d.displayUpdate = true;

  // A set bit switches a function off; its box is checked while the bit is 0,
  // and only where the function applies to this unit.
  for (const FlagBox& box : kFlagBoxes) {
    bool applies = false;
    switch (box.applies) {
      case FlagApplies::TemperatureSensor: applies = kind.temperatureSensor; break;
      case FlagApplies::StorageUnit: applies = storageUnit; break;
      case FlagApplies::VoiceUnit: applies = deviceType == cat::kTypeVoice; break;
      case FlagApplies::CleanAirShown: applies = kind.cleanAirShown; break;
    }
    const bool on = !IsSet(b, *box.flag) && applies;
    SetWithEcho(Shown(f, *box.flag), on, d.echoes.*box.echo);
    if (box.flag == &kTemperatureOff)
      for (Control* c : EachGroup(f, &StatusGroup::temperature)) c->SetChecked(on);
  }

  for (const Field* mark : {&kZero1NotDone, &kSpan1NotDone, &kZero2NotDone, &kSpan2NotDone})
    Shown(f, *mark).SetChecked(!IsSet(b, *mark));

  // Panel120 and Panel220 are left to the calibration and EEPROM results: emptying
  // them here would wipe a verdict during the re-read that follows it.

  // The optical CO2 sensor reports a raw signal, not volts.
  const bool optical = kind.optical;
  const std::uint8_t voltageCode = optical ? 5 : kZeroVoltage1.format;
  ShowWord(f, b, kZeroVoltage1, voltageCode);
  ShowWord(f, b, kSpanVoltage1, voltageCode);
  show::Text(f.Label1211, optical ? "" : txt::kVolts);
  show::Text(f.Label12212, optical ? "" : txt::kVolts);

  const auto kind1 = static_cast<std::uint16_t>(p.unit.displayedKind | kKindWide);
  Shown(f, kCalConcentration1).SetText(FormatByKind(kind1, Get(b, kCalConcentration1)));
  Shown(f, kThreshold1).SetText(FormatByKind(kind1, Get(b, kThreshold1)));

  if (kind.secondChannel) {
    for (const Field* field : {&kZeroVoltage2, &kSpanVoltage2, &kCalConcentration2, &kThreshold2})
      ShowWord(f, b, *field, field->format);
  } else {
    show::Text(Shown(f, kZeroVoltage2), txt::kNoVoltage);
    show::Text(Shown(f, kSpanVoltage2), txt::kNoVoltage);
    show::Text(Shown(f, kCalConcentration2), txt::kNoCount);
    show::Text(Shown(f, kThreshold2), txt::kNoCount);
  }

  if (kind.temperatureSensor)
    ShowWord(f, b, kTemperatureThreshold, kTemperatureThreshold.format);
  else
    show::Text(Shown(f, kTemperatureThreshold), txt::kNoTemperature);

  Shown(f, kValveVoltage)
      .SetText(FormatValue(kValveVoltage.format, std::clamp<std::int32_t>(Get(b, kValveVoltage), kValveShownMin,
                                                                          kValveShownMax)));
  if (storageUnit)
    ShowWord(f, b, kBackupRunTime, kBackupRunTime.format);
  else
    show::Text(Shown(f, kBackupRunTime), txt::kNoSeconds);
  for (const Field* period : {&kPeriodNormal, &kPeriodFault, &kPeriodGas}) ShowWord(f, b, *period, period->format);

  const std::uint16_t recordPeriod = Get(b, kRecordPeriod);
  ShowWord(f, b, kRecordPeriod, kRecordPeriod.format);
  f.CheckBox10210.SetChecked(recordPeriod == 0);

  ShowWord(f, b, kSupplySetpoint, kSupplySetpoint.format);

  d.displayUpdate = false;
}

}  // namespace zhv
