// Calibration, the EEPROM rewrite and INIT. None has an entry to check but the
// INIT pass phrase; the unit's verdict is shown by the exchange.
#include "commands/calibration.h"

#include "app/tool.h"
#include "commands/lock.h"
#include "exchange/catalogue.h"

namespace zhv {

namespace {

constexpr const char* kPrompt = "Пароль?";
constexpr const char* kWrongPassPhrase = "Ошибка";
// Accepted exactly so: a reset of the settings must not happen by a slip of the fingers.
constexpr const char* kPassPhrase = "DROP IT";
constexpr const char* kPassPhraseLower = "drop it";
constexpr char kMask = '*';
constexpr char kEnter = '\r';

void PostCalibration(Tool& t, std::uint8_t operation) {
  LockEditing(t);
  t.r.pending = cat::kPendCalibrate;
  t.r.commandArg = operation;
}

// Locks everything else and shows the prompt; the button stays usable to start afresh.
void AskPassPhrase(Tool& t, Control& button, Control& edit) {
  LockEditing(t);
  edit.SetEnabled(true);
  edit.SetPasswordChar(0);
  edit.SetVisible(true);
  edit.SetText(kPrompt);
  t.r.initTyping = 0;
  button.SetEnabled(true);
}

// The first key clears the prompt (or the error) and masks; the edit then takes the key itself.
void PassPhraseKey(Tool& t, Control& edit, char key, std::uint8_t operation) {
  ExchangeRecord& r = t.r;
  if (r.initTyping == 0) {
    edit.SetText("");
    edit.SetPasswordChar(kMask);
    r.initTyping = 1;
  }
  if (key != kEnter) return;
  if (edit.Text() == kPassPhrase || edit.Text() == kPassPhraseLower) {
    edit.SetEnabled(false);
    edit.SetVisible(false);
    r.pending = cat::kPendCalibrate;
    r.commandArg = operation;
  } else {
    edit.SetText(kWrongPassPhrase);
    edit.SetPasswordChar(0);
    r.initTyping = 0;
  }
}

}  // namespace

void BindCalibration(Tool& t) {
  TForm1& f = t.f;
  f.Button121.OnClick = [&t] { Button121Click(t); };
  f.Button1221.OnClick = [&t] { Button1221Click(t); };
  f.Button221.OnClick = [&t] { Button221Click(t); };
  f.Button2221.OnClick = [&t] { Button2221Click(t); };
  for (Control* b : {&f.Button124, &f.Button224, &f.Button324, &f.Button334, &f.Button354,
                     &f.Button364, &f.Button424, &f.Button524})
    b->OnClick = [&t] { Button124Click(t); };
  f.Button125.OnClick = [&t] { Button125Click(t); };
  f.Button225.OnClick = [&t] { Button225Click(t); };
  f.Edit125.OnKeyPress = [&t](char& key) { Edit125KeyPress(t, key); };
  f.Edit225.OnKeyPress = [&t](char& key) { Edit225KeyPress(t, key); };
}

void Button121Click(Tool& t) { PostCalibration(t, cat::kOpZero1); }
void Button1221Click(Tool& t) { PostCalibration(t, cat::kOpSpan1); }
void Button221Click(Tool& t) { PostCalibration(t, cat::kOpZero2); }
void Button2221Click(Tool& t) { PostCalibration(t, cat::kOpSpan2); }

void Button124Click(Tool& t) {
  LockEditing(t);
  t.r.pending = cat::kPendRewriteEeprom;
}

void Button125Click(Tool& t) { AskPassPhrase(t, t.f.Button125, t.f.Edit125); }
void Button225Click(Tool& t) { AskPassPhrase(t, t.f.Button225, t.f.Edit225); }

void Edit125KeyPress(Tool& t, char& key) { PassPhraseKey(t, t.f.Edit125, key, cat::kOpInit1); }
void Edit225KeyPress(Tool& t, char& key) { PassPhraseKey(t, t.f.Edit225, key, cat::kOpInit2); }

}  // namespace zhv
