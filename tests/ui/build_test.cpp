// The window as built from a fresh model: a widget of the right class for every
// control, with its name, text and state.
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>

#include "view_fixture.h"

namespace zhv::test {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

class BuildTest : public ViewTest {
 protected:
  // The state the widget shows for its own part, whatever its parents are.
  static bool OwnEnabled(const QWidget* w) { return w->isEnabledTo(w->parentWidget()); }
  static bool OwnVisible(const QWidget* w) { return w->isVisibleTo(w->parentWidget()); }

  void CheckWidget(const Control& c) {
    const char* name = c.Name();
    const QString text = Q(c.Text());
    QWidget* w = Find<QWidget>(name);
    switch (c.GetKind()) {
      case Kind::Form:
        EXPECT_EQ(view->objectName(), "Form1");
        EXPECT_EQ(view->windowTitle(), text);
        return;
      case Kind::PageControl:
        EXPECT_NO_THROW(Tabs());
        return;
      case Kind::TabSheet: {
        ASSERT_NE(w, nullptr) << name;
        int index = Tabs()->indexOf(w);
        ASSERT_GE(index, 0) << name;
        EXPECT_EQ(index, c.GetCell().col) << name;
        EXPECT_EQ(Tabs()->tabText(index), text) << name;
        EXPECT_EQ(Tabs()->isTabVisible(index), c.Visible()) << name;
        return;
      }
      case Kind::Timer: {
        auto* timer = view->findChild<QTimer*>(name);
        ASSERT_NE(timer, nullptr) << name;
        EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
        EXPECT_EQ(timer->isActive(), c.Enabled());
        EXPECT_EQ(timer->interval(), static_cast<const TimerControl&>(c).Interval());
        return;
      }
      case Kind::SaveDialog:
        EXPECT_EQ(view->findChild<QObject*>(name), nullptr);
        return;
      case Kind::Series: {
        auto* pane = dynamic_cast<ChartPane*>(Find<QWidget>(c.Parent()->Name()));
        ASSERT_NE(pane, nullptr) << name;
        ASSERT_EQ(pane->chart()->series().size(), 1) << name;
        EXPECT_EQ(pane->chart()->series().front(), pane->Series()) << name;
        return;
      }
      default:
        break;
    }
    ASSERT_NE(w, nullptr) << name;
    EXPECT_EQ(OwnEnabled(w), c.Enabled()) << name;
    EXPECT_EQ(OwnVisible(w), c.Visible()) << name;
    switch (c.GetKind()) {
      case Kind::GroupBox:
        ASSERT_TRUE(qobject_cast<QGroupBox*>(w)) << name;
        EXPECT_EQ(static_cast<QGroupBox*>(w)->title(), text) << name;
        break;
      case Kind::Label:
      case Kind::Panel: {
        auto* label = qobject_cast<QLabel*>(w);
        ASSERT_TRUE(label) << name;
        EXPECT_EQ(label->text(), text) << name;
        EXPECT_EQ(label->frameShape() != QFrame::NoFrame, c.GetKind() == Kind::Panel) << name;
        break;
      }
      case Kind::Edit: {
        auto* edit = qobject_cast<QLineEdit*>(w);
        ASSERT_TRUE(edit) << name;
        EXPECT_EQ(edit->text(), text) << name;
        EXPECT_EQ(edit->isReadOnly(), c.ReadOnly()) << name;
        EXPECT_EQ(edit->maxLength(), 32767) << name << ": the limit must not cut program texts";
        break;
      }
      case Kind::Button:
        ASSERT_TRUE(qobject_cast<QPushButton*>(w)) << name;
        EXPECT_EQ(static_cast<QPushButton*>(w)->text(), text) << name;
        break;
      case Kind::CheckBox:
        ASSERT_TRUE(qobject_cast<QCheckBox*>(w)) << name;
        EXPECT_EQ(static_cast<QCheckBox*>(w)->text(), text) << name;
        EXPECT_EQ(static_cast<QCheckBox*>(w)->isChecked(), c.Checked()) << name;
        break;
      case Kind::RadioButton:
        ASSERT_TRUE(qobject_cast<QRadioButton*>(w)) << name;
        EXPECT_EQ(static_cast<QRadioButton*>(w)->text(), text) << name;
        EXPECT_EQ(static_cast<QRadioButton*>(w)->isChecked(), c.Checked()) << name;
        break;
      case Kind::ListBox:
        EXPECT_TRUE(qobject_cast<QListWidget*>(w)) << name;
        break;
      case Kind::ListView:
        EXPECT_TRUE(qobject_cast<QTableWidget*>(w)) << name;
        break;
      case Kind::ProgressBar:
        EXPECT_TRUE(qobject_cast<QProgressBar*>(w)) << name;
        break;
      case Kind::Chart: {
        auto* pane = dynamic_cast<ChartPane*>(w);
        ASSERT_TRUE(pane) << name;
        EXPECT_EQ(pane->Title()->text(), text) << name;
        break;
      }
      default:
        ADD_FAILURE() << name << " has no widget kind";
    }
    // The widget sits in the widget of the model's parent.
    if (c.Parent() && c.Parent()->GetKind() != Kind::Form) {
      EXPECT_EQ(w->parentWidget(), Find<QWidget>(c.Parent()->Name())) << name;
    }
  }
};

TEST_F(BuildTest, EveryControlOfTheTableHasItsWidget) {
  for (const Control* c : form.All()) CheckWidget(*c);
}

TEST_F(BuildTest, WindowIsFixedSizeWithTheCaptionAndSixTabs) {
  EXPECT_EQ(view->windowTitle(), QString::fromUtf8("Настройка ЖОВ-22 v.1.30"));
  EXPECT_EQ(view->minimumSize(), QSize(794, 598));
  EXPECT_EQ(view->maximumSize(), QSize(794, 598));
  ASSERT_EQ(Tabs()->count(), 6);
  EXPECT_EQ(Tabs()->tabText(0), QString::fromUtf8("Устройства USB"));
  EXPECT_EQ(Tabs()->tabText(5), QString::fromUtf8("Модуль накопления"));
  EXPECT_EQ(Tabs()->currentIndex(), 1);  // as designed, before the start-up shows the first
}

TEST_F(BuildTest, ControlsOfTheDescriptionStandAsDesigned) {
  auto* edit104 = Get<QLineEdit>("Edit104");
  EXPECT_EQ(edit104->text(), "00000");  // max 2, but the program's text is shown whole
  EXPECT_TRUE(edit104->isReadOnly());

  EXPECT_TRUE(Get<QPushButton>("Button224")->isEnabled());
  for (const char* eeprom : {"Button124", "Button324", "Button334", "Button354", "Button364",
                             "Button424", "Button524"}) {
    EXPECT_FALSE(Get<QPushButton>(eeprom)->isEnabledTo(view.get())) << eeprom;
    EXPECT_EQ(Get<QPushButton>(eeprom)->text(), QString::fromUtf8("Перезапись EEPROM"));
  }
  const std::pair<const char*, const char*> labels[] = {
      {"Panel10110", "RealTimeClock норма"}, {"Panel10113", ""}, {"Labe10123", ":"},
      {"Panel102", "нет подключения к сети"}, {"Panel502", ""},
  };
  for (auto [name, text] : labels) EXPECT_EQ(Get<QLabel>(name)->text(), QString::fromUtf8(text)) << name;
  auto* check1 = Get<QCheckBox>("CheckBox1");
  EXPECT_TRUE(check1->isChecked());
  EXPECT_EQ(check1->text(), QString::fromUtf8("нет отображения при чтении  данных модуля сохранения"));
  auto* edit10330 = Get<QLineEdit>("Edit10330");
  EXPECT_EQ(edit10330->text(), "0800B000");
  EXPECT_FALSE(edit10330->isReadOnly());

  auto* pass = Get<QLineEdit>("Edit125");
  EXPECT_FALSE(pass->isVisibleTo(view.get()));
  EXPECT_FALSE(pass->isEnabledTo(view.get()));
  EXPECT_EQ(pass->text(), QString::fromUtf8("Пароль?"));
  EXPECT_TRUE(Get<QLabel>("Label1122")->text().startsWith(QChar('o')));  // a Latin o
  EXPECT_TRUE(Get<QGroupBox>("GroupBox121")->title().contains(QString::fromUtf8("0х01")));
  EXPECT_TRUE(Get<QLabel>("Label1010")->text().endsWith(' '));
  EXPECT_EQ(Get<QGroupBox>("GroupBox220")->title(), QString::fromUtf8("Газовая настройка сенсора"));
  EXPECT_EQ(Get<QGroupBox>("GroupBox120")->title(), "");
  const std::pair<const char*, bool> marks[] = {
      {"CheckBox1211", true}, {"RadioButton103111", true}, {"RadioButton103112", false}, {"RadioButton10321", true},
  };
  for (auto [name, checked] : marks) EXPECT_EQ(Get<QAbstractButton>(name)->isChecked(), checked) << name;
  EXPECT_EQ(Get<QProgressBar>("ProgressBar1")->maximum(), 350);
  EXPECT_FALSE(Get<QProgressBar>("ProgressBar1")->isTextVisible()) << "designed empty, no \"0%\"";
}

TEST_F(BuildTest, TheSecondSensorTabLacksTheFirstOnesExtras) {
  for (const char* absent : {"CheckBox2211", "Label2212", "Edit242", "Label242", "Button240",
                             "Label2125"}) {
    EXPECT_EQ(Find<QWidget>(absent), nullptr) << absent;
  }
  for (const char* present : {"Edit241", "Edit243", "Chart220", "Panel2117", "Edit2221"}) {
    EXPECT_NE(Find<QWidget>(present), nullptr) << present;
  }
}

TEST_F(BuildTest, PortListIsAReportWithThreeColumns) {
  auto* table = Get<QTableWidget>("ListView1");
  ASSERT_EQ(table->columnCount(), 3);
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QString::fromUtf8("Устройство"));
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QString::fromUtf8("Номер COM"));
  EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QString::fromUtf8("Доступ"));
  EXPECT_EQ(table->columnWidth(0), 290);
  EXPECT_EQ(table->columnWidth(1), 76);
  EXPECT_EQ(table->columnWidth(2), 82);
  EXPECT_TRUE(table->showGrid());
  EXPECT_FALSE(table->verticalHeader()->isVisible());
  EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(BuildTest, ChartsHaveARedSeriesAndNoLegend) {
  for (const char* name : {"Chart110", "Chart120", "Chart210", "Chart220"}) {
    auto* pane = dynamic_cast<ChartPane*>(Find<QWidget>(name));
    ASSERT_TRUE(pane) << name;
    EXPECT_FALSE(pane->chart()->legend()->isVisible()) << name;
    EXPECT_EQ(pane->Series()->color(), QColor(Qt::red)) << name;
    EXPECT_FALSE(pane->Series()->pointsVisible()) << name;
    EXPECT_EQ(pane->chart()->axes(Qt::Vertical).front(), pane->LeftAxis()) << name;
  }
  EXPECT_EQ(Pane("Chart110")->Title()->text(),
            QString::fromUtf8("     Концентрация"));
  // The chart's own controls stand inside it.
  EXPECT_EQ(Get<QWidget>("CheckBox110")->parentWidget(), Find<QWidget>("Chart110"));
  EXPECT_EQ(Get<QWidget>("Edit120")->parentWidget(), Find<QWidget>("Chart120"));
}

TEST(ChartPictures, BecomePrintfFormats) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.000", "%.3f"}, {"0.00", "%.2f"}, {"0000", "%04.0f"}, {"000", "%03.0f"},
      {"00", "%02.0f"},  {"0", "%.0f"},    {"00.00", "%05.2f"},
  };
  for (auto [picture, format] : cases) EXPECT_EQ(ChartPane::LabelFormat(picture), format) << picture;
}

TEST(ChartPictures, TicksKeepTheirSeparationInTheRoomThereIs) {
  const struct {
    double min, max;
    int separation, room, label;
    double interval;
  } cases[] = {
      // 160 pixels of 16-pixel labels: six intervals at separation 1, three at 100.
      {-1, 5, 1, 160, 16, 1}, {0, 4, 1, 160, 16, 1}, {0, 4, 1, 320, 16, 0.5}, {-10, 200, 50, 160, 16, 100},
      {0, 10, 100, 160, 16, 5},
      // Less room, fewer labels; never fewer than two intervals.
      {0, 4, 1, 80, 16, 2}, {0, 10000, 1, 0, 16, 5000},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(ChartPane::TickInterval(c.min, c.max, c.separation, c.room, c.label), c.interval)
        << c.min << ".." << c.max << " in " << c.room;
  }
}

}  // namespace
}  // namespace zhv::test
