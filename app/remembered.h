// What the tool keeps of the operator's choices from one run to the next: the
// port last opened (and whether to open it again at start), the export file and
// its layout, the read-out mode, count and address, the trace box, the window's
// place and the tab that was open. Missing or unreadable values leave the
// window's defaults in place.
#pragma once

#include <optional>
#include <string>

#include "app/tool.h"
#include "platform/platform.h"

namespace zhv {

struct WindowPlace {
  int x, y;
};

class Remembered {
 public:
  Remembered(Tool& tool, ISettings& store);
  Remembered(const Remembered&) = delete;
  Remembered& operator=(const Remembered&) = delete;

  // At start, before any port is opened: the controls as they were left. Nothing
  // is posted to a unit, whatever handlers the controls have.
  void Restore();
  // Opens the port last used if the operator wants that and it is listed as free;
  // true when it tried.
  bool ReopenLastPort();
  // Where the window stood, if that was kept.
  std::optional<WindowPlace> WindowPosition();
  void NoteWindowPosition(WindowPlace place) { window_ = place; }
  // At close, before the port is closed: everything written to the store; false
  // when the store refused it.
  bool Save();

 private:
  Tool& t_;
  ISettings& store_;
  std::string openedPort_;  // this run's last port opened; empty if none was
  std::optional<WindowPlace> window_;
};

}  // namespace zhv
