// Base unit status: the five copies of the "Состояние ТКЭ" group and the
// valve and supply voltage fields.
#include "app/tool.h"
#include "decode/ServTKE.h"
#include "decode/gas_kinds.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "exchange/catalogue.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

void SetSupplyGroupEnabled(TForm1& f, bool on) {
  f.GroupBox340.SetEnabled(on);
  f.Edit341.SetEnabled(on);
  f.Edit342.SetEnabled(on);
}

}  // namespace

void ShowIdentification(Tool& t) {
  TForm1& f = t.f;
  const ExchangeRecord& r = t.r;

  const char* line = txt::kLineOther;
  const char* variant = "";
  switch (r.rxDeviceType) {
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

  const GasKind& kind = GasKindOf(r.gasKind);
  show::Text(EachGroup(f, &StatusGroup::gas), kind.name);
  show::Text(f.Edit312, kind.temperaturePlaceholder);

  show::Text(EachGroup(f, &StatusGroup::version), FormatValue(0x23, r.identValue));
  show::Text(EachGroup(f, &StatusGroup::softwareId), Hex2(r.ident5) + Hex2(r.ident4));
}

void ShowBaseStatus(Tool& t) {
  TForm1& f = t.f;
  const ExchangeRecord& r = t.r;

  show::Text(EachGroup(f, &StatusGroup::counter), FormatValue(5, r.packetCounter));

  const auto mode = EachGroup(f, &StatusGroup::mode);
  const char* modeText;
  if (r.status0 & 0x90) {
    show::FontColour(mode, clr::Red);
    modeText = (r.status0 & 0x10) ? txt::kModeLowBattery : txt::kModeClockNotSet;
  } else {
    show::FontColour(mode, clr::WindowText);
    if (!(r.status0 & 0x02))
      modeText = txt::kModeWarmUp;
    else if (r.status0 & 0x01)
      modeText = txt::kModeUsb;
    else if (r.status0 & 0x04)
      modeText = txt::kModeTest;
    else
      modeText = txt::kModeWorking;
  }
  show::Text(mode, modeText);

  // Types 2..7 name a module; anything else, or no module fitted, shows dashes.
  const int type = r.status1 >> 4;
  const bool known = (r.status1 & 0x01) && type >= 2 && type <= 7;
  const char* module = known ? txt::kModules[type - 2] : txt::kModuleNone;

  const auto network = EachGroup(f, &StatusGroup::network);
  if (known && (r.status1 & 0x06)) {
    show::FontColour(network, clr::Red);
    show::Text(network, (r.status1 & 0x02) ? txt::kLinkError : txt::kNoNetwork);
  } else {
    show::FontColour(network, clr::WindowText);
    show::Text(network, "");
  }
  show::Text(EachGroup(f, &StatusGroup::module), module);
}

void ShowValveVoltage(Tool& t) {
  TForm1& f = t.f;
  const Bytes256& d = t.r.rxData;
  const std::int32_t voltage = d[2] + 256 * (d[3] & 0x0F);
  const std::string text = FormatValue(0x24, voltage);
  for (Control* c : {&f.Edit130, &f.Edit230, &f.Edit330}) c->SetText(text);
  const char* d0 = show::Bit(d[3] & 0x10);
  const char* d1 = show::Bit(d[3] & 0x20);
  for (Control* c : {&f.Edit133, &f.Edit233, &f.Edit333}) show::Text(*c, d0);
  for (Control* c : {&f.Edit132, &f.Edit232, &f.Edit332}) show::Text(*c, d1);
}

void ShowSupplyVoltages(Tool& t) {
  TForm1& f = t.f;
  const ExchangeRecord& r = t.r;
  if (r.rxDeviceType != cat::kTypeStorage) {
    show::Text(f.Edit341, txt::kNoSupplyVoltage);
    show::Text(f.Edit342, txt::kNoSupplyVoltage);
    return;
  }
  const Bytes256& d = r.rxData;
  f.Edit341.SetText(FormatValue(0x23, d[5] + 256 * (d[4] & 0x0F)));
  f.Edit342.SetText(FormatValue(0x23, d[6] + 256 * (d[4] >> 4)));
}

}  // namespace zhv
