// Base unit status: the five copies of the "Состояние ТКЭ" group and the
// valve and supply voltage fields.
#include "decode/codecs.h"
#include "decode/decoders.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

void SetSupplyGroupEnabled(TForm1& f, bool on) {
  f.GroupBox340.SetEnabled(on);
  f.Edit341.SetEnabled(on);
  f.Edit342.SetEnabled(on);
}

}  // namespace

void ShowIdentificationGroups(TForm1& f, std::uint8_t deviceType, const UnitInfo& unit) {
  const char* line = txt::kLineOther;
  const char* variant = "";
  switch (deviceType) {
    case cat::kTypeBase:
      line = txt::kLine10;
      variant = txt::kVariant10;
      SetSupplyGroupEnabled(f, false);
      break;
    case cat::kTypeStorage:
      line = txt::kLine11;
      variant = txt::kVariant11;
      SetSupplyGroupEnabled(f, true);
      break;
    case cat::kTypeVoice:
      line = txt::kLine12;
      variant = txt::kVariant12;
      SetSupplyGroupEnabled(f, false);
      break;
    default:
      break;
  }
  show::Text(EachGroup(f, &StatusGroup::line), line);
  show::Text(EachGroup(f, &StatusGroup::variant), variant);

  const GasKind& kind = GasKindOf(unit.gasKind);
  show::Text(EachGroup(f, &StatusGroup::gas), kind.name);
  show::Text(f.Edit312, kind.temperaturePlaceholder);

  show::Text(EachGroup(f, &StatusGroup::version), FormatValue(0x23, unit.version));
  show::Text(EachGroup(f, &StatusGroup::softwareId), Hex2(unit.id5) + Hex2(unit.id4));
}

void ShowBaseStatus(TForm1& f, std::uint8_t status0, std::uint8_t status1, std::int32_t packetCounter) {
  show::Text(EachGroup(f, &StatusGroup::counter), FormatValue(5, packetCounter));

  const auto mode = EachGroup(f, &StatusGroup::mode);
  const char* modeText;
  if (status0 & bits::kUnitFaults) {
    show::FontColour(mode, clr::Red);
    modeText = (status0 & bits::kLowBattery) ? txt::kModeLowBattery : txt::kModeClockNotSet;
  } else {
    show::FontColour(mode, clr::WindowText);
    if (!(status0 & bits::kWarmedUp))
      modeText = txt::kModeWarmUp;
    else if (status0 & bits::kUsbControl)
      modeText = txt::kModeUsb;
    else if (status0 & bits::kThresholdTest)
      modeText = txt::kModeTest;
    else
      modeText = txt::kModeWorking;
  }
  show::Text(mode, modeText);

  // Types 2..7 name a module; anything else, or no module fitted, shows dashes.
  const int type = status1 >> bits::kModuleTypeShift;
  const bool known =
      (status1 & bits::kModuleFitted) && type >= bits::kFirstModuleType && type <= bits::kLastModuleType;
  const char* module = known ? txt::kModules[type - bits::kFirstModuleType] : txt::kModuleNone;

  const auto network = EachGroup(f, &StatusGroup::network);
  if (known && (status1 & (bits::kModuleLinkError | bits::kModuleNoNetwork))) {
    show::FontColour(network, clr::Red);
    show::Text(network, (status1 & bits::kModuleLinkError) ? txt::kLinkError : txt::kNoNetwork);
  } else {
    show::FontColour(network, clr::WindowText);
    show::Text(network, "");
  }
  show::Text(EachGroup(f, &StatusGroup::module), module);
}

void ShowValveVoltage(TForm1& f, const Status& s) {
  const std::string text = FormatValue(0x24, s.valveVoltage);
  for (Control* c : {&f.Edit130, &f.Edit230, &f.Edit330}) c->SetText(text);
  const char* d0 = show::Bit(s.valveD0);
  const char* d1 = show::Bit(s.valveD1);
  for (Control* c : {&f.Edit133, &f.Edit233, &f.Edit333}) show::Text(*c, d0);
  for (Control* c : {&f.Edit132, &f.Edit232, &f.Edit332}) show::Text(*c, d1);
}

void ShowSupplyVoltages(TForm1& f, const Status& s, std::uint8_t deviceType) {
  if (deviceType != cat::kTypeStorage) {
    show::Text(f.Edit341, txt::kNoSupplyVoltage);
    show::Text(f.Edit342, txt::kNoSupplyVoltage);
    return;
  }
  f.Edit341.SetText(FormatValue(0x23, s.supplyVoltage));
  f.Edit342.SetText(FormatValue(0x23, s.batteryVoltage));
}

}  // namespace zhv
