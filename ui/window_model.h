// The main window TForm1 as a model: one member per named control, generated
// from the control table in controls.def.
#pragma once

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ui/control.h"

namespace zhv {

class TForm1 {
 public:
  TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

#define CONTROL(name, kind, parent, text, flags, maxLength, colour, row, col, rowSpan, colSpan) \
  ControlOf<Kind::kind>::type name;
#include "ui/controls.def"
#undef CONTROL

  // Every control in table order (parents before children).
  const std::vector<Control*>& All() const { return all_; }
  // The control of that name, or null.
  Control* Find(std::string_view name) const;

  // Controls changed since the last call, each once, in order of first change.
  std::vector<Control*> TakeDirty();
  // Called when the first control becomes dirty after a TakeDirty.
  void SetOnDirty(std::function<void()> callback) { onDirty_ = std::move(callback); }

 private:
  friend class Control;
  void MarkDirty(Control* c);

  std::vector<Control*> all_;
  std::unordered_map<std::string_view, Control*> byName_;
  std::vector<Control*> dirty_;
  std::function<void()> onDirty_;
};

// The two empty forms the application creates and never shows.
struct TForm2 {
  const char* caption = "Form2";
};
struct TForm6 {
  const char* caption = "Form6";
};

}  // namespace zhv
