// A subsystem binds the window events it handles in one table: the control,
// and what the subsystem does when the operator clicks it.
#pragma once

#include <span>

#include "ui/window_model.h"

namespace zhv {

template <class Handler>
struct Click {
  Control TForm1::*control;
  void (Handler::*action)();
};

template <class Handler>
void BindClicks(TForm1& f, Handler& handler, std::span<const Click<Handler>> table) {
  for (const Click<Handler>& row : table) (f.*row.control).OnClick = [&handler, action = row.action] { (handler.*action)(); };
}

}  // namespace zhv
