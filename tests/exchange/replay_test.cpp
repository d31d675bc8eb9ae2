// A session recorded in the field with its log, played back at the desk: the
// window shows what it showed in the field.
#include <algorithm>
#include <cstdio>
#include <functional>

#include "fixture.h"
#include "sim/replay.h"

namespace zhv::test {
namespace {

// The stamp the session log puts before each line, from a clock in milliseconds.
std::string Stamp(std::uint64_t ms) {
  char text[40];
  std::snprintf(text, sizeof text, "2024-05-17 %02u:%02u:%02u.%03u ", static_cast<unsigned>(13 + ms / 3600000),
                static_cast<unsigned>(ms / 60000 % 60), static_cast<unsigned>(ms / 1000 % 60),
                static_cast<unsigned>(ms % 1000));
  return text;
}

std::vector<std::string> Shown(const TForm1& f) {
  std::vector<std::string> out;
  for (const Control* c : f.All())
    out.push_back(std::string(c->Name()) + " «" + c->Text() + "» " + std::to_string(c->Colour()) + "/" +
                  std::to_string(c->FontColour()) + (c->Checked() ? " checked" : "") +
                  (c->Enabled() ? "" : " disabled") + (c->Visible() ? "" : " hidden"));
  for (const std::string& line : f.ListBox1.Items()) out.push_back(line);
  return out;
}

// What the operator does, the same in the field and at the desk, and the window
// as it looked on the way; `field` is what happened to the unit meanwhile,
// which only the field run makes happen.
std::vector<std::vector<std::string>> Session(ServedTool& run, const std::function<void(bool silent)>& field) {
  std::vector<std::vector<std::string>> looks;
  run.Open();
  run.Tick(200);
  run.tool.f.Button102.Click();  // "Вкл."
  run.Tick(100);
  run.tool.f.Edit123.SetText("2.5");
  run.tool.f.Button123.Click();
  run.Tick(100);
  looks.push_back(Shown(run.tool.f));
  field(true);
  run.Tick(700);  // long enough for the silence word
  looks.push_back(Shown(run.tool.f));
  field(false);
  run.Tick(300);
  looks.push_back(Shown(run.tool.f));
  return looks;
}

TEST(Replay, ARecordedSessionShowsTheSameWindowAsInTheField) {
  sim::Options o;
  o.warmUpMs = 0;
  sim::Unit unit(o);
  ServedTool fieldRun(unit);
  fieldRun.s.log.stamp = [&unit] { return Stamp(unit.NowMs()); };
  const auto inTheField = Session(fieldRun, [&unit](bool silent) { unit.faults().silentAll = silent; });
  ASSERT_EQ(inTheField.size(), 3u);
  ASSERT_TRUE(std::any_of(inTheField[1].begin(), inTheField[1].end(),
                          [](const std::string& c) { return c.starts_with("Panel101 «Нет ответа от ТКЭ"); }))
      << "the unit fell silent in the field";

  std::string log;
  for (const std::string& line : fieldRun.s.log.lines) log += line + "\n";
  std::string error;
  auto lines = sim::ParseSessionLog(log, error);
  ASSERT_TRUE(lines) << error;
  sim::Replay replay(std::move(*lines));
  ServedTool desk(replay);
  const auto atTheDesk = Session(desk, [](bool) {});

  for (std::size_t look = 0; look < inTheField.size(); ++look) {
    ASSERT_EQ(atTheDesk[look].size(), inTheField[look].size());
    for (std::size_t i = 0; i < inTheField[look].size(); ++i) EXPECT_EQ(atTheDesk[look][i], inTheField[look][i]);
  }
}

}  // namespace
}  // namespace zhv::test
