// Each device tab has one panel that tells the operator what became of an entry
// or a command made there: an entry refused, a write the unit took or did not,
// a command given up; and beside it the button that gives up a command the unit
// does not confirm. Everything that says so goes through this one table.
#pragma once

#include <array>
#include <string>

#include "ui/window_model.h"

namespace zhv {

struct TabPanel {
  Control TForm1::*tab;
  Control TForm1::*panel;
  Control TForm1::*cancel;  // "Отменить команду"
};
// "Сенсор 1", "Сенсор 2", "Разное", "Модуль интерфейса", "Модуль накопления":
// the sensor tabs share their panel with the calibration verdict.
inline constexpr std::array<TabPanel, 5> kTabPanels{{
    {&TForm1::TabSheet2, &TForm1::Panel120, &TForm1::Button126},
    {&TForm1::TabSheet3, &TForm1::Panel220, &TForm1::Button226},
    {&TForm1::TabSheet4, &TForm1::Panel390, &TForm1::Button391},
    {&TForm1::TabSheet5, &TForm1::Panel420, &TForm1::Button425},
    {&TForm1::TabSheet6, &TForm1::Panel1020, &TForm1::Button1025},
}};

// The panel of the tab that holds `c`, or null when its tab has none.
inline Control* TabPanelOf(TForm1& f, const Control& c) {
  for (const Control* p = &c; p; p = p->Parent())
    for (const TabPanel& row : kTabPanels)
      if (&(f.*row.tab) == p) return &(f.*row.panel);
  return nullptr;
}

// Shows or hides every tab's "Отменить команду".
inline void ShowCancelButtons(TForm1& f, bool shown) {
  for (const TabPanel& row : kTabPanels) (f.*row.cancel).SetVisible(shown);
}

// A message on a tab's panel, in its colour.
inline void Say(Control* panel, const std::string& text, TColor colour) {
  if (!panel) return;
  panel->SetText(text);
  panel->SetFontColour(colour);
}

}  // namespace zhv
