// Base unit status: the five copies of the "Состояние ТКЭ" group and the
// valve and supply voltage fields.
#include "decode/ServTKE.h"
#include "decode/show.h"
#include "decode/texts.h"
#include "exchange/catalogue.h"
#include "exchange/tool.h"

namespace zhv {

namespace {

// The status group stands on five tabs; every decoder writes all copies.
using Copies = std::array<Control*, 5>;

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
  show::Text(Copies{&f.Label1010, &f.Label2010, &f.Label3010, &f.Label4010, &f.Label5010}, line);
  show::Text(Copies{&f.Label1011, &f.Label2011, &f.Label3011, &f.Label4011, &f.Label5011}, variant);

  const char* gas = txt::kGasOther;
  const char* temperature = txt::kTemperatureUnknown;
  switch (r.gasKind) {
    case cat::kGasCH4:
      gas = txt::kGasCH4;
      break;
    case cat::kGasC3H8:
      gas = txt::kGasC3H8;
      break;
    case cat::kGasCO2Optical:
    case cat::kGasCO2:
      gas = txt::kGasCO2;
      temperature = txt::kTemperatureZero;
      break;
    case cat::kGasCO:
      gas = txt::kGasCO;
      temperature = txt::kTemperatureZero;
      break;
    case cat::kGasCombined:
      gas = txt::kGasCombined;
      temperature = txt::kTemperatureZero;
      break;
    default:
      break;
  }
  show::Text(Copies{&f.Label1051, &f.Label2051, &f.Label3051, &f.Label4051, &f.Label5051}, gas);
  show::Text(f.Edit312, temperature);

  show::Text(Copies{&f.Label1071, &f.Label2071, &f.Label3071, &f.Label4071, &f.Label5071},
             FormatValue(0x23, r.identValue));
  show::Text(Copies{&f.Label1073, &f.Label2073, &f.Label3073, &f.Label4073, &f.Label5073},
             Hex2(r.ident5) + Hex2(r.ident4));
}

void ShowBaseStatus(Tool& t) {
  TForm1& f = t.f;
  const ExchangeRecord& r = t.r;

  show::Text(Copies{&f.Edit104, &f.Edit204, &f.Edit304, &f.Edit404, &f.Edit504},
             FormatValue(5, r.packetCounter));

  const Copies mode{&f.Panel101, &f.Panel201, &f.Panel301, &f.Panel401, &f.Panel501};
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

  const Copies network{&f.Panel102, &f.Panel202, &f.Panel302, &f.Panel402, &f.Panel502};
  if (known && (r.status1 & 0x06)) {
    show::FontColour(network, clr::Red);
    show::Text(network, (r.status1 & 0x02) ? txt::kLinkError : txt::kNoNetwork);
  } else {
    show::FontColour(network, clr::WindowText);
    show::Text(network, "");
  }
  show::Text(Copies{&f.Label1061, &f.Label2061, &f.Label3061, &f.Label4061, &f.Label5061}, module);
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
