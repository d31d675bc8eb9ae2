#include "commands/calibration.h"

#include <string>
#include <string_view>

#include "decode/codecs.h"
#include "protocol/catalogue.h"
#include "protocol/gas_kinds.h"
#include "protocol/status_bits.h"
#include "ui/bindings.h"

namespace zhv {

namespace {

constexpr const char* kPrompt = "Пароль?";
constexpr const char* kWrongPassPhrase = "Ошибка";
// Accepted exactly so: a reset of the settings must not happen by a slip of the fingers.
constexpr const char* kPassPhrase = "DROP IT";
constexpr const char* kPassPhraseLower = "drop it";
constexpr char kMask = '*';
constexpr char kEnter = '\r';
constexpr char kEscape = 27;

struct CalibrationButton {
  std::uint8_t operation;
  Control TForm1::*button;
};
constexpr CalibrationButton kCalibrationButtons[] = {
    {cat::kOpZero1, &TForm1::Button121},
    {cat::kOpSpan1, &TForm1::Button1221},
    {cat::kOpZero2, &TForm1::Button221},
    {cat::kOpSpan2, &TForm1::Button2221},
};

constexpr const char* kEepromQuestion =
    "Перезапись EEPROM: ТКЭ сразу перезапишет свою память EEPROM. Это касается всего прибора, "
    "а не только этой вкладки.\n\nВыполнить перезапись EEPROM?";

void Hide(Control& edit) {
  edit.SetEnabled(false);
  edit.SetVisible(false);
}

// clang-format off
constexpr Click<Calibration> kClicks[] = {
    {&TForm1::Button121, &Calibration::CalibrateZero1},
    {&TForm1::Button1221, &Calibration::CalibrateSpan1},
    {&TForm1::Button221, &Calibration::CalibrateZero2},
    {&TForm1::Button2221, &Calibration::CalibrateSpan2},
    {&TForm1::Button124, &Calibration::RewriteEeprom},
    {&TForm1::Button224, &Calibration::RewriteEeprom},
    {&TForm1::Button324, &Calibration::RewriteEeprom},
    {&TForm1::Button334, &Calibration::RewriteEeprom},
    {&TForm1::Button354, &Calibration::RewriteEeprom},
    {&TForm1::Button364, &Calibration::RewriteEeprom},
    {&TForm1::Button424, &Calibration::RewriteEeprom},
    {&TForm1::Button524, &Calibration::RewriteEeprom},
    {&TForm1::Button125, &Calibration::AskInitPassPhrase1},
    {&TForm1::Button225, &Calibration::AskInitPassPhrase2},
};
// clang-format on

}  // namespace

void Calibration::Bind() {
  BindClicks<Calibration>(f_, *this, kClicks);
  f_.Edit125.OnKeyPress = [this](char& key) { PassPhraseKey(f_.Edit125, key, cat::kOpInit1); };
  f_.Edit225.OnKeyPress = [this](char& key) { PassPhraseKey(f_.Edit225, key, cat::kOpInit2); };
}

void Calibration::Post(std::uint8_t operation) {
  lock_.Lock();
  ex_.poll.pending = Pending::Calibrate;
  ex_.poll.commandArg = operation;
}

void Calibration::CalibrateZero1() { Calibrate(cat::kOpZero1); }
void Calibration::CalibrateSpan1() { Calibrate(cat::kOpSpan1); }
void Calibration::CalibrateZero2() { Calibrate(cat::kOpZero2); }
void Calibration::CalibrateSpan2() { Calibrate(cat::kOpSpan2); }

// Says what the calibration will change on which sensor; «Нет» is the answer Enter gives.
void Calibration::Calibrate(std::uint8_t operation) {
  const PollState& p = ex_.poll;
  const int channel = (operation & bits::kOpChannelMask) == 0 ? 0 : 1;
  const ChannelSetUp& sensor = GasKindOf(ChannelKind(p, display_, channel)).channel;
  std::string name = "сенсора " + std::to_string(channel + 1);
  if (std::string_view(sensor.gas) != "***") name += std::string(" (") + sensor.gas + ")";  // a sensor the tool knows
  std::string question;
  if ((operation & bits::kOpMask) == bits::kOpZero) {
    question = "Отстрел нуля " + name +
               ": ТКЭ сразу запомнит нынешнее напряжение сенсора как нулевую концентрацию "
               "(«Напряжение отстрела нуля»).\n\nВыполнить отстрел нуля?";
  } else {
    const param::Field& reference = param::kChannels[channel].calConcentration;
    const std::uint8_t format = channel == 0 ? GasKindOf(p.unit.displayedKind).wideFormat : reference.entryFormat;
    question = "Отстрел концентрации " + name + ": ТКЭ сразу запомнит нынешнее напряжение сенсора как концентрацию " +
               FormatPlain(format, param::Get(p.param, reference)) + " " + ConcentrationUnit(sensor) +
               " («Значение отстреленной концентрации»).\n\nВыполнить отстрел концентрации?";
  }
  if (!dialogs_.Ask(question, false)) return;
  for (const CalibrationButton& row : kCalibrationButtons)
    if (row.operation == operation && !StillUnlocked(f_.*row.button)) return;
  Post(operation);
}

void Calibration::RewriteEeprom() {
  if (!dialogs_.Ask(kEepromQuestion, false) || !StillUnlocked(f_.Button123)) return;
  lock_.Lock();
  ex_.poll.pending = Pending::RewriteEeprom;
}

void Calibration::AskInitPassPhrase1() { AskPassPhrase(f_.Edit125); }
void Calibration::AskInitPassPhrase2() { AskPassPhrase(f_.Edit225); }

// Shows the prompt; a second press starts afresh. The prompt locks nothing: a
// prompt left open must not keep the window locked. Whatever is posted next
// locks editing, and the lock hides the prompt.
void Calibration::AskPassPhrase(Control& edit) {
  Hide(&edit == &f_.Edit125 ? f_.Edit225 : f_.Edit125);
  edit.SetEnabled(true);
  edit.SetPasswordChar(0);
  edit.SetVisible(true);
  edit.SetText(kPrompt);
  typing_ = false;
}

// The first key clears the prompt (or the error) and masks; the edit then takes the key itself.
void Calibration::PassPhraseKey(Control& edit, char& key, std::uint8_t operation) {
  if (key == kEscape) {
    Hide(edit);
    typing_ = false;
    key = 0;
    return;
  }
  if (!typing_) {
    edit.SetText("");
    edit.SetPasswordChar(kMask);
    typing_ = true;
  }
  if (key != kEnter) return;
  if (edit.Text() == kPassPhrase || edit.Text() == kPassPhraseLower) {
    lock_.Lock();  // hides the edit too
    ex_.poll.pending = Pending::Calibrate;
    ex_.poll.commandArg = operation;
  } else {
    edit.SetText(kWrongPassPhrase);
    edit.SetPasswordChar(0);
    typing_ = false;
  }
}

}  // namespace zhv
