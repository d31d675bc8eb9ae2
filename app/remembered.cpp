#include "app/remembered.h"

#include <array>
#include <charconv>
#include <string_view>
#include <utility>

namespace zhv {

namespace {

// A stored text is taken back only if it still looks like what its edit takes:
// the store may have been edited by hand or written by another version.
bool IsFileName(std::string_view s) {
  constexpr std::string_view kControl("\0\r\n", 3);
  return s.size() <= 4096 && s.find_first_of(kControl) == std::string_view::npos;
}
bool IsDigits(std::string_view s, std::size_t most, bool hex) {
  if (s.empty() || s.size() > most) return false;
  for (char c : s) {
    const bool digit = c >= '0' && c <= '9';
    const bool letter = (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!digit && !(hex && letter)) return false;
  }
  return true;
}
bool IsCount(std::string_view s) { return IsDigits(s, 5, false); }
bool IsAddress(std::string_view s) { return IsDigits(s, 8, true); }

// A whole number within [low, high], or nothing.
std::optional<int> Number(const std::optional<std::string>& text, int low, int high) {
  if (!text || text->empty()) return std::nullopt;
  int value = 0;
  const char* end = text->data() + text->size();
  const auto [at, error] = std::from_chars(text->data(), end, value);
  if (error != std::errc() || at != end || value < low || value > high) return std::nullopt;
  return value;
}

struct RememberedText {
  const char* key;
  Control TForm1::*edit;
  bool (*fits)(std::string_view);
};
constexpr RememberedText kTexts[] = {
    {"readout/file", &TForm1::Edit10310, IsFileName},
    {"readout/count", &TForm1::Edit10320, IsCount},
    {"readout/address", &TForm1::Edit10330, IsAddress},
};

struct RememberedBox {
  const char* key;
  Control TForm1::*box;
};
constexpr RememberedBox kBoxes[] = {
    {"trace/quiet-during-readout", &TForm1::CheckBox1},
    {"port/reopen-at-start", &TForm1::CheckBox2},
};

// A choice among radio buttons, kept as the place of the selected one.
struct RememberedChoice {
  const char* key;
  std::array<Control TForm1::*, 3> buttons;  // null past the last
};
constexpr RememberedChoice kChoices[] = {
    {"readout/layout", {&TForm1::RadioButton103121, &TForm1::RadioButton103122, &TForm1::RadioButton103123}},
    {"readout/mode", {&TForm1::RadioButton10321, &TForm1::RadioButton10322, &TForm1::RadioButton10323}},
};

constexpr const char* kLastPort = "port/last";
constexpr const char* kTab = "window/tab";
constexpr const char* kWindowX = "window/x";
constexpr const char* kWindowY = "window/y";
constexpr int kTabs = 6;
constexpr int kFarthest = 100000;  // pixels from the origin of any desktop

// Sets a box or radio button as code does, without running what a click on it runs:
// at start nothing may be sent or posted on a restored setting's account.
void CheckQuietly(Control& c, bool on) {
  auto handler = std::exchange(c.OnClick, nullptr);
  c.SetChecked(on);
  c.OnClick = std::move(handler);
}

int ChoiceCount(const RememberedChoice& choice) {
  int n = 0;
  while (n < static_cast<int>(choice.buttons.size()) && choice.buttons[static_cast<std::size_t>(n)]) ++n;
  return n;
}

}  // namespace

Remembered::Remembered(Tool& tool, ISettings& store) : t_(tool), store_(store) {
  // Opening is the connection's; which port it opened is ours to keep.
  auto open = std::move(t_.f.ListView1.OnDblClick);
  t_.f.ListView1.OnDblClick = [this, open = std::move(open)] {
    if (open) open();
    if (t_.link.IsOpen()) openedPort_ = t_.link.PortName();
  };
}

void Remembered::Restore() {
  TForm1& f = t_.f;
  for (const RememberedText& row : kTexts) {
    const auto text = store_.Value(row.key);
    if (text && row.fits(*text)) (f.*row.edit).SetText(*text);
  }
  for (const RememberedBox& row : kBoxes) {
    if (const auto on = Number(store_.Value(row.key), 0, 1)) CheckQuietly(f.*row.box, *on == 1);
  }
  for (const RememberedChoice& row : kChoices) {
    if (const auto at = Number(store_.Value(row.key), 0, ChoiceCount(row) - 1))
      CheckQuietly(f.*row.buttons[static_cast<std::size_t>(*at)], true);
  }
  if (const auto tab = Number(store_.Value(kTab), 0, kTabs - 1)) t_.display.openingPage = *tab;
  // What the trace box's click would have done.
  t_.ApplyReadOutTraceSetting();
}

bool Remembered::ReopenLastPort() {
  if (!t_.f.CheckBox2.Checked() || t_.link.IsOpen()) return false;
  const auto name = store_.Value(kLastPort);
  if (!name || name->empty()) return false;
  const int row = t_.ports.AvailableRow(*name);
  if (row < 0) return false;
  t_.f.ListView1.SetSelected(row);
  t_.f.ListView1.DblClick();
  return true;
}

std::optional<WindowPlace> Remembered::WindowPosition() {
  const auto x = Number(store_.Value(kWindowX), -kFarthest, kFarthest);
  const auto y = Number(store_.Value(kWindowY), -kFarthest, kFarthest);
  if (!x || !y) return std::nullopt;
  return WindowPlace{*x, *y};
}

bool Remembered::Save() {
  TForm1& f = t_.f;
  for (const RememberedText& row : kTexts) store_.SetValue(row.key, (f.*row.edit).Text());
  for (const RememberedBox& row : kBoxes) store_.SetValue(row.key, (f.*row.box).Checked() ? "1" : "0");
  for (const RememberedChoice& row : kChoices) {
    for (int i = 0; i < ChoiceCount(row); ++i)
      if ((f.*row.buttons[static_cast<std::size_t>(i)]).Checked()) store_.SetValue(row.key, std::to_string(i));
  }
  if (!openedPort_.empty()) store_.SetValue(kLastPort, openedPort_);
  // With no unit only the first tab is there to choose: the choice made with one stands.
  if (f.TabSheet2.Visible()) store_.SetValue(kTab, std::to_string(f.PageControl1.ActivePage()));
  if (window_) {
    store_.SetValue(kWindowX, std::to_string(window_->x));
    store_.SetValue(kWindowY, std::to_string(window_->y));
  }
  return store_.Save();
}

}  // namespace zhv
