#include "ui/window_model.h"

#include <algorithm>

namespace zhv {

namespace {
// Kinds whose colour is the button face unless the table says otherwise.
TColor InitialColour(Kind kind, TColor colour) {
  if (colour != clr::Default) return colour;
  switch (kind) {
    case Kind::Edit:
    case Kind::ListBox:
    case Kind::ListView:
      return 0xFFFFFF;  // window background
    default:
      return clr::BtnFace;
  }
}
}  // namespace

Control::Control(TForm1* form, const char* name, Kind kind, Control* parent, const char* text,
                 unsigned flags, int maxLength, TColor colour, Cell cell)
    : form_(form),
      name_(name),
      kind_(kind),
      parent_(parent == this ? nullptr : parent),
      cell_(cell),
      maxLength_(maxLength),
      text_(text),
      colour_(InitialColour(kind, colour)),
      enabled_(!(flags & DIS)),
      visible_(!(flags & HID)),
      readOnly_(flags & RO),
      checked_(flags & CHK) {}

void Control::Touch() {
  if (!dirty_) {
    dirty_ = true;
    form_->MarkDirty(this);
  }
}

void Control::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Touch();
}

void Control::SetColour(TColor c) {
  if (colour_ == c) return;
  colour_ = c;
  Touch();
}

void Control::SetFontColour(TColor c) {
  if (fontColour_ == c) return;
  fontColour_ = c;
  Touch();
}

void Control::SetEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  Touch();
}

void Control::SetVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  Touch();
}

void Control::SetReadOnly(bool on) {
  if (readOnly_ == on) return;
  readOnly_ = on;
  Touch();
}

void Control::SetPasswordChar(char c) {
  if (passwordChar_ == c) return;
  passwordChar_ = c;
  Touch();
}

void Control::SetChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  Touch();
  if (on && kind_ == Kind::RadioButton) {
    for (Control* c : form_->All()) {
      if (c != this && c->kind_ == Kind::RadioButton && c->parent_ == parent_ && c->checked_) {
        c->checked_ = false;
        c->Touch();
      }
    }
  }
  if (OnClick) OnClick();
}

void Control::Click() {
  if (!enabled_) return;
  switch (kind_) {
    case Kind::CheckBox:
      SetChecked(!checked_);  // fires OnClick
      break;
    case Kind::RadioButton:
      if (checked_) {
        if (OnClick) OnClick();
      } else {
        SetChecked(true);
      }
      break;
    default:
      if (OnClick) OnClick();
  }
}

void Control::DblClick() {
  if (enabled_ && OnDblClick) OnDblClick();
}

void Control::KeyPress(char& key) {
  if (enabled_ && OnKeyPress) OnKeyPress(key);
}

void Control::TypeText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;  // the widget already shows it
}

void ListBoxControl::AddItem(const std::string& line) {
  items_.push_back(line);
  Touch();
}

void ListBoxControl::DeleteItem(std::size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  Touch();
}

void ListBoxControl::ClearItems() {
  if (items_.empty() && topIndex_ == 0) return;
  items_.clear();
  topIndex_ = 0;
  Touch();
}

void ListBoxControl::SetTopIndex(int index) {
  if (topIndex_ == index) return;
  topIndex_ = index;
  Touch();
}

void ListViewControl::ClearRows() {
  rows_.clear();
  selected_ = -1;
  Touch();
}

int ListViewControl::AddRow(const std::string& caption) {
  rows_.push_back(Row{caption, {}});
  Touch();
  return static_cast<int>(rows_.size()) - 1;
}

void ListViewControl::SetSubItem(int row, int index, const std::string& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || index < 0 || index > 1) return;
  rows_[static_cast<std::size_t>(row)].sub[index] = text;
  Touch();
}

void ListViewControl::SetSelected(int row) {
  if (row < -1 || row >= static_cast<int>(rows_.size())) row = -1;
  if (selected_ == row) return;
  selected_ = row;
  Touch();
}

void ChartControl::SetLeftMin(double v) {
  if (leftMin_ == v) return;
  leftMin_ = v;
  Touch();
}

void ChartControl::SetLeftMax(double v) {
  if (leftMax_ == v) return;
  leftMax_ = v;
  Touch();
}

void ChartControl::SetLeftFormat(const std::string& picture, int separation) {
  if (leftFormat_ == picture && leftSeparation_ == separation) return;
  leftFormat_ = picture;
  leftSeparation_ = separation;
  Touch();
}

void SeriesControl::Clear() {
  if (points_.empty()) return;
  points_.clear();
  Touch();
}

void SeriesControl::SetPoints(std::vector<Point> points) {
  points_ = std::move(points);
  Touch();
}

void SeriesControl::AddValue(std::vector<Point> points) {
  ++valuesAdded_;
  SetPoints(std::move(points));
}

void PageControl::SetActivePage(int index) {
  if (activePage_ == index) return;
  activePage_ = index;
  Touch();
}

void TimerControl::SetInterval(int ms) {
  if (interval_ == ms) return;
  interval_ = ms;
  Touch();
}

void ProgressBarControl::SetMax(int max) {
  max = std::max(max, 0);
  if (max_ == max) return;
  max_ = max;
  position_ = std::min(position_, max_);
  Touch();
}

void ProgressBarControl::SetPosition(int position) {
  position = std::clamp(position, 0, max_);
  if (position_ == position) return;
  position_ = position;
  Touch();
}

TForm1::TForm1()
    :
#define CONTROL(name, kind, parent, text, flags, maxLength, colour, row, col, rowSpan, colSpan) \
  name(this, #name, Kind::kind, &parent, text, flags, maxLength, colour,                      \
       Cell{row, col, rowSpan, colSpan}),
#include "ui/controls.def"
#undef CONTROL
      all_{
#define CONTROL(name, kind, parent, text, flags, maxLength, colour, row, col, rowSpan, colSpan) \
  &name,
#include "ui/controls.def"
#undef CONTROL
      } {
  dirty_.reserve(all_.size());
  byName_.reserve(all_.size());
  for (Control* c : all_) byName_.emplace(c->Name(), c);
}

Control* TForm1::Find(std::string_view name) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

std::vector<Control*> TForm1::TakeDirty() {
  std::vector<Control*> out;
  out.swap(dirty_);
  for (Control* c : out) c->dirty_ = false;
  dirty_.reserve(all_.size());
  return out;
}

void TForm1::MarkDirty(Control* c) {
  bool first = dirty_.empty();
  dirty_.push_back(c);
  if (first && onDirty_) onDirty_();
}

}  // namespace zhv
