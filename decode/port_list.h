// The port list on the first tab and what Panel1 and Panel2 say of the port:
// the rows as the link surveyed them, opened, refused, or lost.
#pragma once

#include <string>
#include <vector>

#include "link/link.h"
#include "link/session_log.h"
#include "platform/platform.h"
#include "ui/window_model.h"

namespace zhv {

class PortList {
 public:
  PortList(TForm1& f, IPortEnumerator& ports, ISerialPort& port, SessionLogWriter& log)
      : f_(f), ports_(ports), port_(port), log_(log) {}

  // Rebuilds the list from the ports present now. Only while no port is open.
  void Fill();
  // While no port is open, rebuilds the list when the set of present ports has
  // changed since it was built, keeping the selected port selected.
  void Follow(bool portOpen);

  // The name of the selected row's port, or empty when no row is selected.
  std::string Selected() const;
  // The row of the port of that name, if the survey found it free to open; -1 otherwise.
  int AvailableRow(const std::string& name) const;
  // Selects the row of this port; false when it is not listed.
  bool Select(const std::string& name);
  // The serial number of the listed port of this name; empty when it has none.
  std::string SerialNumberOf(const std::string& name) const;
  // The ports present at the last look.
  const std::vector<PortInfo>& Listed() const { return listed_; }
  // What came of opening the selected row's port: the panels say it is open
  // as soon as it is, the row once it is set up.
  void ShowOpened(const std::string& name);
  void MarkSelectedOpen();
  void ShowRefused(const std::string& name, OpenRefusal why);
  void ShowNotConfigured(const std::string& name);
  // A write failed: "Ошибка доступа к порт …".
  void ShowPortError(const std::string& name);
  // The device went; the tool waits for it on this port, or has stopped waiting.
  void ShowUnplugged(const std::string& name);
  void ShowReplugOver();
  // The port is open but nothing answers the probe.
  void ShowNoAnswer();

 private:
  void Fill(std::vector<PortInfo> present);

  TForm1& f_;
  IPortEnumerator& ports_;
  ISerialPort& port_;
  SessionLogWriter& log_;
  std::vector<PortInfo> listed_;  // the set the list was last built from
};

}  // namespace zhv
