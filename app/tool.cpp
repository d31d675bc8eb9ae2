#include "app/tool.h"

namespace zhv {

Tool::Tool(Platform platform)
    : p(platform),
      link(p.port),
      log(p.log),
      trace(f, link),
      ports(f, p.ports, p.port, log),
      exchange(link, display, commands, readOut),
      display(f, link, exchange.poll, exchange.jobs),
      commands(f, exchange, display.state, p.locale, p.clock, p.dialogs),
      readOut(f, exchange, commands.lock, commands.clock, p),
      settings(f, exchange, commands, link, p.dialogs, p.textFiles, p.settingsWindow, p.clock) {
  link.Observe(trace);
  link.Observe(log);
  exchange.Watch(settings);
  // Each subsystem binds the window events it handles.
  trace.Bind();
  commands.Bind();
  readOut.Bind();
  settings.Bind();
  f.Timer1.OnTimer = [this] { PollTick(); };
  f.ListView1.OnDblClick = [this] { OpenSelectedPort(); };
  f.Button1.OnClick = [this] { ResetConnection(); };
  f.CheckBox1.OnClick = [this] { ApplyReadOutTraceSetting(); };
  p.ports.Watch([this] { FollowPorts(); });
}

}  // namespace zhv
