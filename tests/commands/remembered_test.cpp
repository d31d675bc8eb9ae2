// What the tool keeps between runs: the operator's choices back as they were
// left, and nothing but the defaults from values it cannot trust.
#include <utility>
#include <string_view>

#include "app/remembered.h"
#include "fixture.h"

namespace zhv {
namespace {

class RememberedTest : public test::ToolTest {
 protected:
  fake::Settings store;
  Remembered remembered{t, store};
};

// One run leaves its choices; the next (the fixture's tool) finds them again.
TEST_F(RememberedTest, ChoicesComeBackAsTheyWereLeft) {
  // Each control as the operator leaves it: typed into, or clicked.
  const std::pair<Control TForm1::*, const char*> choices[] = {
      {&TForm1::Edit10310, "/home/инженер/Записи 1.csv"}, {&TForm1::Edit10320, "250"}, {&TForm1::Edit10330, "800c010"},
      {&TForm1::RadioButton103122, nullptr}, {&TForm1::RadioButton10323, nullptr}, {&TForm1::CheckBox1, nullptr},
      {&TForm1::CheckBox2, nullptr}};
  const auto state = [](const Control& c) { return c.Text() + (c.Checked() ? " checked" : ""); };
  fake::Services s1;
  Tool first(s1.platform());
  Remembered left(first, store);
  s1.ports.list = {{"USB Serial Port", "USB Serial Port (COM7)"}};
  first.FormCreate();
  first.f.ListView1.SetSelected(0);
  first.f.ListView1.DblClick();
  first.f.TabSheet2.SetVisible(true);  // a unit's tabs are there, and the engineer is on "Разное"
  first.f.PageControl1.SetActivePage(3);
  for (auto [control, typed] : choices) {
    typed ? (first.f.*control).TypeText(typed) : (first.f.*control).Click();
    ASSERT_NE(state(first.f.*control), state(t.f.*control)) << (t.f.*control).Name() << " is no default";
  }
  left.NoteWindowPosition({120, -5});
  ASSERT_TRUE(left.Save());

  remembered.Restore();
  for (auto [control, typed] : choices) EXPECT_EQ(state(t.f.*control), state(first.f.*control)) << (t.f.*control).Name();
  EXPECT_FALSE(t.f.RadioButton10321.Checked());
  EXPECT_FALSE(jobs().spareTrace) << "the trace box's setting applies";
  const auto place = remembered.WindowPosition();
  ASSERT_TRUE(place.has_value());
  EXPECT_EQ(place->x, 120);
  EXPECT_EQ(place->y, -5);
  Connect();  // the remembered tab comes forward once the unit's tabs are there
  EXPECT_EQ(t.f.PageControl1.ActivePage(), 3);
  EXPECT_EQ(pending(), Pending::None);
}

TEST_F(RememberedTest, LastPortOpensAgainWhenListedFreeAndWanted) {
  store.values = {{"port/last", "COM7"}};
  const PortInfo com3{"USB", "USB (COM3)"}, com7{"USB", "USB (COM7)"};
  struct Case {
    const char *what, *busy, *reopen;  // the port another program holds; the box as left
    std::vector<PortInfo> listed;
    bool opened;
  };
  const Case cases[] = {{"listed and free", "", "1", {com3, com7}, true},
                        {"gone", "", "1", {com3}, false},
                        {"held by another program", "COM7", "1", {com7}, false},
                        {"operator said no", "", "0", {com7}, false}};
  for (const Case& c : cases) {
    fake::Services s2;
    Tool next(s2.platform());
    Remembered r(next, store);
    s2.ports.list = c.listed;
    s2.port.busy = {c.busy};
    store.values["port/reopen-at-start"] = c.reopen;
    r.Restore();
    next.FormCreate();
    EXPECT_EQ(r.ReopenLastPort(), c.opened) << c.what;
    EXPECT_EQ(s2.port.open && s2.port.openedName == "COM7", c.opened) << c.what;
  }
}

// A value the tool did not write, or one from a damaged store, leaves the default.
TEST_F(RememberedTest, UntrustworthyValuesLeaveTheDefaults) {
  const std::pair<const char*, const char*> junk[] = {
      {"readout/file", "a\nb"},      {"readout/count", "12a"},          {"readout/count", "123456"},
      {"readout/count", ""},         {"readout/address", "0x800B000"}, {"readout/address", "123456789"},
      {"readout/layout", "3"},       {"readout/layout", "-1"},         {"readout/mode", "1 "},
      {"readout/mode", "3"},         {"trace/quiet-during-readout", "yes"}, {"port/reopen-at-start", "2"},
      {"window/tab", "6"},           {"window/x", "abc"},               {"window/y", "99999999999"},
  };
  const TForm1 defaults;
  for (auto [key, value] : junk) {
    fake::Services s2;
    Tool next(s2.platform());
    fake::Settings damaged;
    damaged.values = {{"window/x", "1"}, {"window/y", "2"}};
    damaged.values[key] = value;
    Remembered r(next, damaged);
    r.Restore();
    ASSERT_EQ(next.f.All().size(), defaults.All().size());
    for (std::size_t i = 0; i < defaults.All().size(); ++i) {
      const Control &now = *next.f.All()[i], &before = *defaults.All()[i];
      EXPECT_TRUE(now.Text() == before.Text() && now.Checked() == before.Checked()) << key << "=" << value << ": " << now.Name();
    }
    EXPECT_EQ(next.display.openingPage, 1) << key << "=" << value;
    const bool placeSpoilt = std::string_view(key) == "window/x" || std::string_view(key) == "window/y";
    EXPECT_EQ(r.WindowPosition().has_value(), !placeSpoilt) << key << "=" << value;
  }
}

}  // namespace
}  // namespace zhv
