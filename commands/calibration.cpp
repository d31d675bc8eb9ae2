#include "commands/calibration.h"

#include "protocol/catalogue.h"
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

void Calibration::CalibrateZero1() { Post(cat::kOpZero1); }
void Calibration::CalibrateSpan1() { Post(cat::kOpSpan1); }
void Calibration::CalibrateZero2() { Post(cat::kOpZero2); }
void Calibration::CalibrateSpan2() { Post(cat::kOpSpan2); }

void Calibration::RewriteEeprom() {
  lock_.Lock();
  ex_.poll.pending = Pending::RewriteEeprom;
}

void Calibration::AskInitPassPhrase1() { AskPassPhrase(f_.Button125, f_.Edit125); }
void Calibration::AskInitPassPhrase2() { AskPassPhrase(f_.Button225, f_.Edit225); }

// Locks everything else and shows the prompt; the button stays usable to start afresh.
void Calibration::AskPassPhrase(Control& button, Control& edit) {
  lock_.Lock();
  edit.SetEnabled(true);
  edit.SetPasswordChar(0);
  edit.SetVisible(true);
  edit.SetText(kPrompt);
  typing_ = false;
  button.SetEnabled(true);
}

// The first key clears the prompt (or the error) and masks; the edit then takes the key itself.
void Calibration::PassPhraseKey(Control& edit, char key, std::uint8_t operation) {
  if (!typing_) {
    edit.SetText("");
    edit.SetPasswordChar(kMask);
    typing_ = true;
  }
  if (key != kEnter) return;
  if (edit.Text() == kPassPhrase || edit.Text() == kPassPhraseLower) {
    edit.SetEnabled(false);
    edit.SetVisible(false);
    ex_.poll.pending = Pending::Calibrate;
    ex_.poll.commandArg = operation;
  } else {
    edit.SetText(kWrongPassPhrase);
    edit.SetPasswordChar(0);
    typing_ = false;
  }
}

}  // namespace zhv
