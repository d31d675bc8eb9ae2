// Model changes reach the widgets; what the operator does reaches the model.
#include <QChart>
#include <QCheckBox>
#include <QEventLoop>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>
#include <string>

#include "view_fixture.h"

namespace zhv::test {
namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

class SyncTest : public ViewTest {
 protected:
  void Show(int tab) {
    form.PageControl1.SetActivePage(tab);
    view->Flush();
    view->show();
    app_.processEvents();
  }

  // A key as the keyboard delivers it, through the edit's event filters.
  static void Key(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
  }
  static void Type(QWidget* w, const QString& text) {
    for (QChar ch : text) Key(w, ch.toUpper().unicode(), QString(ch));
  }
};

TEST_F(SyncTest, TextsColoursAndStatesReachTheirWidgetsOnFlush) {
  form.Panel1.SetText("Открыт порт COM7");
  form.Panel1.SetColour(clr::PortOpen);
  form.Panel101.SetFontColour(clr::Red);
  form.Button102.SetEnabled(true);
  form.Edit104.SetReadOnly(false);
  form.Edit125.SetVisible(true);
  form.Edit125.SetPasswordChar('*');
  form.GroupBox340.SetEnabled(false);
  form.Label1051.SetText("совмещенный CH4/CO");
  form.GroupBox220.SetText("Газ");

  auto* panel = Get<QLabel>("Panel1");
  EXPECT_EQ(panel->text(), "") << "nothing is drawn before the flush";
  view->Flush();
  EXPECT_EQ(panel->text(), U("Открыт порт COM7"));
  EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(192, 220, 192));
  EXPECT_EQ(Get<QLabel>("Panel101")->palette().color(QPalette::Active, QPalette::WindowText),
            QColor(255, 0, 0));
  EXPECT_TRUE(Get<QPushButton>("Button102")->isEnabledTo(view.get()));
  EXPECT_FALSE(Get<QLineEdit>("Edit104")->isReadOnly());
  EXPECT_TRUE(Get<QLineEdit>("Edit125")->isVisibleTo(view.get()));
  EXPECT_EQ(Get<QLineEdit>("Edit125")->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(Get<QLineEdit>("Edit341")->isEnabledTo(view.get())) << "a disabled group disables its fields";
  EXPECT_EQ(Get<QLabel>("Label1051")->text(), U("совмещенный CH4/CO"));
  EXPECT_EQ(Get<QGroupBox>("GroupBox220")->title(), U("Газ"));

  form.Panel1.SetColour(clr::BtnFace);
  form.Edit125.SetPasswordChar(0);
  view->Flush();
  EXPECT_EQ(panel->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(Get<QLineEdit>("Edit125")->echoMode(), QLineEdit::Normal);
}

TEST_F(SyncTest, ChangesAreFlushedOnceFromTheEventLoop) {
  form.Edit1.SetText("17");
  form.Edit2.SetText("4");
  EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), "0");
  app_.processEvents();
  EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), "17");
  EXPECT_EQ(Get<QLineEdit>("Edit2")->text(), "4");
  EXPECT_TRUE(form.TakeDirty().empty());
  form.Edit1.SetText("18");  // the next change is flushed again
  app_.processEvents();
  EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), "18");
}

TEST_F(SyncTest, TabsFollowTheirVisibilityAndTheActivePage) {
  form.PageControl1.SetActivePage(0);
  for (Control* tab : {static_cast<Control*>(&form.TabSheet2), static_cast<Control*>(&form.TabSheet3),
                       static_cast<Control*>(&form.TabSheet4), static_cast<Control*>(&form.TabSheet5),
                       static_cast<Control*>(&form.TabSheet6)}) {
    tab->SetVisible(false);
  }
  view->Flush();
  EXPECT_EQ(Tabs()->currentIndex(), 0);
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(Tabs()->isTabVisible(i)) << i;
  EXPECT_TRUE(Tabs()->isTabVisible(0));

  form.TabSheet2.SetVisible(true);
  form.TabSheet6.SetVisible(true);
  form.PageControl1.SetActivePage(1);
  view->Flush();
  EXPECT_TRUE(Tabs()->isTabVisible(1));
  EXPECT_TRUE(Tabs()->isTabVisible(5));
  EXPECT_FALSE(Tabs()->isTabVisible(2));
  EXPECT_EQ(Tabs()->currentIndex(), 1);

  Tabs()->setCurrentIndex(5);  // the operator picks a tab
  EXPECT_EQ(form.PageControl1.ActivePage(), 5);
}

TEST_F(SyncTest, TraceWindowKeepsItsLinesAndTopIndex) {
  Show(0);
  auto* list = Get<QListWidget>("ListBox1");
  for (int i = 0; i < 100; ++i) form.ListBox1.AddItem("line " + std::to_string(i));
  form.ListBox1.SetTopIndex(40);
  view->Flush();
  ASSERT_EQ(list->count(), 100);
  EXPECT_EQ(list->indexAt(QPoint(3, 3)).row(), 40);

  // The trace drops its oldest lines and appends new ones.
  for (int i = 0; i < 5; ++i) form.ListBox1.DeleteItem(0);
  form.ListBox1.AddItem("line 100");
  form.ListBox1.SetTopIndex(30);
  view->Flush();
  ASSERT_EQ(list->count(), 96);
  EXPECT_EQ(list->item(0)->text(), "line 5");
  EXPECT_EQ(list->item(95)->text(), "line 100");
  EXPECT_EQ(list->indexAt(QPoint(3, 3)).row(), 30);

  form.ListBox1.ClearItems();
  view->Flush();
  EXPECT_EQ(list->count(), 0);
}

TEST_F(SyncTest, TraceWindowScrollsWhenItsTabIsShownAgain) {
  Show(1);
  for (int i = 0; i < 100; ++i) form.ListBox1.AddItem("line " + std::to_string(i));
  form.ListBox1.SetTopIndex(45);
  view->Flush();
  Show(0);
  EXPECT_EQ(Get<QListWidget>("ListBox1")->indexAt(QPoint(3, 3)).row(), 45);
}

TEST_F(SyncTest, PortListShowsRowsAndSelection) {
  int row = form.ListView1.AddRow("USB Serial Port");
  form.ListView1.SetSubItem(row, 0, "COM7");
  form.ListView1.SetSubItem(row, 1, "Доступен");
  row = form.ListView1.AddRow("Communications Port");
  form.ListView1.SetSubItem(row, 0, "COM1");
  form.ListView1.SetSubItem(row, 1, "Занят");
  form.ListView1.SetSelected(1);
  view->Flush();
  auto* table = Get<QTableWidget>("ListView1");
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 0)->text(), "USB Serial Port");
  EXPECT_EQ(table->item(0, 1)->text(), "COM7");
  EXPECT_EQ(table->item(1, 2)->text(), U("Занят"));
  EXPECT_EQ(table->item(1, 1)->textAlignment(), Qt::AlignCenter);
  ASSERT_EQ(table->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(table->selectionModel()->selectedRows().front().row(), 1);

  form.ListView1.SetSubItem(0, 1, "Открыт");
  view->Flush();
  EXPECT_EQ(table->item(0, 2)->text(), U("Открыт"));

  form.ListView1.ClearRows();
  view->Flush();
  EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(SyncTest, DoubleClickOnAPortSelectsItThenCallsTheHandler) {
  for (const char* port : {"COM1", "COM7"}) {
    int row = form.ListView1.AddRow("Port");
    form.ListView1.SetSubItem(row, 0, port);
  }
  int calls = 0, selectedAtCall = -2;
  form.ListView1.OnDblClick = [&] {
    ++calls;
    selectedAtCall = form.ListView1.Selected();
  };
  Show(0);
  auto* table = Get<QTableWidget>("ListView1");
  ASSERT_EQ(table->rowCount(), 2);
  const QPoint at = table->visualItemRect(table->item(1, 0)).center();
  QWidget* viewport = table->viewport();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                            QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
    QMouseEvent e(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &e);
  }
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(selectedAtCall, 1);
}

TEST_F(SyncTest, ChartsShowTheSeriesAndTheLeftAxisOfTheModel) {
  form.Chart110.SetLeftMax(5);
  form.Chart110.SetLeftMin(-1);
  form.Chart110.SetLeftFormat("0.00", 1);
  std::vector<SeriesControl::Point> points;
  for (int i = 1; i <= 100; ++i) points.push_back({double(i), i / 50.0 - 1, clr::Red});
  form.LineSeries110.SetPoints(points);

  ChartPane* pane = Pane("Chart110");
  int replaced = 0, added = 0;
  QObject::connect(pane->Series(), &QXYSeries::pointsReplaced, [&] { ++replaced; });
  QObject::connect(pane->Series(), &QXYSeries::pointAdded, [&] { ++added; });
  view->Flush();

  EXPECT_DOUBLE_EQ(pane->LeftAxis()->min(), -1);
  EXPECT_DOUBLE_EQ(pane->LeftAxis()->max(), 5);
  EXPECT_EQ(pane->LeftAxis()->labelFormat(), "%.2f");
  ASSERT_EQ(pane->Series()->count(), 100);
  EXPECT_EQ(pane->Series()->at(0), QPointF(1, -0.98));
  EXPECT_EQ(pane->Series()->at(99), QPointF(100, 1));
  EXPECT_DOUBLE_EQ(pane->BottomAxis()->min(), 1);
  EXPECT_DOUBLE_EQ(pane->BottomAxis()->max(), 100);
  EXPECT_EQ(replaced, 1) << "one redraw for the whole series";
  EXPECT_EQ(added, 0);

  form.LineSeries110.Clear();
  form.Chart120.SetLeftFormat("0000", 1);
  form.Chart120.SetLeftMax(10000);
  view->Flush();
  EXPECT_EQ(pane->Series()->count(), 0);
  EXPECT_EQ(Pane("Chart120")->LeftAxis()->labelFormat(), "%04.0f");
  EXPECT_DOUBLE_EQ(Pane("Chart120")->LeftAxis()->max(), 10000);
  EXPECT_EQ(Pane("Chart210")->Series()->count(), 0) << "other charts are untouched";
}

TEST_F(SyncTest, AxisLabelsAreNeverCutShortWhateverTheRange) {
  // Range and picture as the sensor set-up writes them, on a shown and on a hidden tab.
  Show(1);
  for (ChartControl* chart : {&form.Chart110, &form.Chart120, &form.Chart210, &form.Chart220}) {
    chart->SetLeftMax(4);
    chart->SetLeftMin(0);
    chart->SetLeftFormat("0.000", 1);
  }
  form.Chart210.SetLeftMax(10000);
  form.Chart210.SetLeftFormat("0000", 1);
  view->Flush();
  app_.processEvents();
  const std::pair<const char*, int> charts[] = {
      {"Chart110", 1}, {"Chart120", 1}, {"Chart210", 2}, {"Chart220", 2}};
  for (auto [name, tab] : charts) {
    Show(tab);
    QStringList labels;
    for (QGraphicsItem* item : Pane(name)->scene()->items()) {
      auto* text = dynamic_cast<QGraphicsTextItem*>(item);
      if (text && text->isVisible()) labels << text->toPlainText();
    }
    EXPECT_GE(labels.size(), 3) << name;
    for (const QString& label : labels) EXPECT_FALSE(label.contains("...")) << name << ": " << label.toStdString();
  }
}

// Qt lays an axis out at every change of its range or tick interval: no moment between
// two of the model's ranges may ask it for more labels than either range shows.
TEST_F(SyncTest, AxisChangesNeverPassThroughThousandsOfTicks) {
  Show(1);
  QValueAxis* axis = Pane("Chart120")->LeftAxis();
  double worst = 0;
  const auto measure = [&] {
    if (axis->tickInterval() > 0) worst = std::max(worst, (axis->max() - axis->min()) / axis->tickInterval());
  };
  QObject::connect(axis, &QValueAxis::rangeChanged, measure);
  QObject::connect(axis, &QValueAxis::tickIntervalChanged, measure);

  // The optical CO2 voltage chart: its set-up, then a first reading that widens the axis,
  // then the reading falling back; the same for a small percentage range.
  const std::pair<double, double> ranges[] = {{0, 10000}, {0, 35000}, {0, 20000}, {0, 10000},
                                              {-1, 2}, {0, 35000}, {-1, 2}};
  for (auto [min, max] : ranges) {
    worst = 0;
    form.Chart120.SetLeftMax(max);
    form.Chart120.SetLeftMin(min);
    form.Chart120.SetLeftFormat("0000", 1);
    view->Flush();
    app_.processEvents();
    EXPECT_DOUBLE_EQ(axis->max(), max);
    EXPECT_LE(worst, 40) << "on the way to " << min << ".." << max;
    EXPECT_GE((axis->max() - axis->min()) / axis->tickInterval(), 2) << min << ".." << max;
  }
}

TEST_F(SyncTest, TimerFollowsTheModelAndTicksTheHandler) {
  auto* timer = Get<QTimer>("Timer1");
  int ticks = 0;
  form.Timer1.OnTimer = [&] { ++ticks; };
  form.Timer1.SetInterval(100);
  form.Timer1.SetEnabled(true);
  view->Flush();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 100);

  form.Timer1.SetInterval(1);  // changed while running
  view->Flush();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1);

  QEventLoop loop;
  QObject::connect(timer, &QTimer::timeout, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);  // a guard, not a measure
  loop.exec();
  EXPECT_GE(ticks, 1);

  form.Timer1.SetEnabled(false);
  view->Flush();
  EXPECT_FALSE(timer->isActive());
}

TEST_F(SyncTest, ButtonPressCallsItsHandlerOnce) {
  int calls = 0;
  form.Button1.OnClick = [&] { ++calls; };
  Get<QPushButton>("Button1")->click();
  EXPECT_EQ(calls, 1);

  int disabledCalls = 0;
  form.Button101.OnClick = [&] { ++disabledCalls; };
  Get<QPushButton>("Button101")->click();  // disabled as designed
  EXPECT_EQ(disabledCalls, 0);
}

TEST_F(SyncTest, CheckBoxClickTogglesTheModelAndFiresItsHandlerOnce) {
  int calls = 0;
  form.CheckBox1.OnClick = [&] { ++calls; };
  auto* box = Get<QCheckBox>("CheckBox1");
  box->click();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(form.CheckBox1.Checked());
  EXPECT_FALSE(box->isChecked());
  view->Flush();
  EXPECT_EQ(calls, 1) << "the flush must not click again";
  EXPECT_FALSE(box->isChecked());
}

TEST_F(SyncTest, CheckBoxShowsWhatTheHandlerLeftInTheModel) {
  // A handler that puts the mark back (as the lock does when editing is not allowed).
  bool reverting = false;
  form.CheckBox320.OnClick = [&] {
    if (reverting) return;
    reverting = true;
    form.CheckBox320.SetChecked(!form.CheckBox320.Checked());
    reverting = false;
  };
  auto* box = Get<QCheckBox>("CheckBox320");
  box->click();
  EXPECT_TRUE(form.CheckBox320.Checked());
  EXPECT_TRUE(box->isChecked());
}

TEST_F(SyncTest, RadioButtonsFormOneChoicePerGroup) {
  Get<QRadioButton>("RadioButton103112")->click();
  EXPECT_TRUE(form.RadioButton103112.Checked());
  EXPECT_FALSE(form.RadioButton103111.Checked());
  EXPECT_TRUE(form.RadioButton103121.Checked()) << "the other group keeps its choice";

  form.RadioButton103111.SetChecked(true);
  view->Flush();
  EXPECT_TRUE(Get<QRadioButton>("RadioButton103111")->isChecked());
  EXPECT_FALSE(Get<QRadioButton>("RadioButton103112")->isChecked());
}

TEST_F(SyncTest, TypingIsLimitedButProgramTextsAreNot) {
  auto* edit = Get<QLineEdit>("Edit10320");  // max 5
  edit->clear();
  Type(edit, "1234567");
  EXPECT_EQ(edit->text(), "12345");
  EXPECT_EQ(form.Edit10320.Text(), "12345");

  form.Edit10320.SetText("123456789");
  view->Flush();
  EXPECT_EQ(edit->text(), "123456789");
  Key(edit, Qt::Key_Backspace);  // a text too long may still be shortened
  EXPECT_EQ(edit->text(), "12345678");
  EXPECT_EQ(form.Edit10320.Text(), "12345678");
  Type(edit, "9");
  EXPECT_EQ(edit->text(), "12345678");

  form.Edit10310.SetText("/home/operator/export/zhv22.csv");  // a read-only path, max 2
  view->Flush();
  EXPECT_EQ(Get<QLineEdit>("Edit10310")->text(), "/home/operator/export/zhv22.csv");
}

TEST_F(SyncTest, KeyPressHandlerRunsBeforeTheEditTakesTheKey) {
  // The pass phrase entry: the first key empties and masks the edit, then lands in it.
  form.Edit125.SetVisible(true);
  form.Edit125.SetEnabled(true);
  std::string keys;
  bool typing = false;
  form.Edit125.OnKeyPress = [&](char& key) {
    keys += key;
    if (!typing) {
      typing = true;
      form.Edit125.SetText("");
      form.Edit125.SetPasswordChar('*');
    }
  };
  view->Flush();
  auto* edit = Get<QLineEdit>("Edit125");
  Type(edit, "Dr");
  Key(edit, Qt::Key_Return, "\r");
  EXPECT_EQ(keys, "Dr\r");
  EXPECT_EQ(edit->text(), "Dr");
  EXPECT_EQ(form.Edit125.Text(), "Dr");
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
}

TEST_F(SyncTest, KeyPressHandlerMaySwallowOrReplaceTheKey) {
  form.Edit1.SetText("");
  form.Edit1.OnKeyPress = [](char& key) {
    if (key == 'x') key = 0;
    if (key == 'a') key = 'A';
  };
  view->Flush();
  auto* edit = Get<QLineEdit>("Edit1");
  Type(edit, "1xa2");
  EXPECT_EQ(edit->text(), "1A2");
  EXPECT_EQ(form.Edit1.Text(), "1A2");
}

TEST_F(SyncTest, ClosingRunsTheShutDownOnce) {
  int calls = 0;
  view->onClose = [&] {
    ++calls;
    view->close();  // the operator closes again during the shut-down
    return true;
  };
  view->show();
  EXPECT_TRUE(view->close());
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(view->isVisible());
}

}  // namespace
}  // namespace zhv::test
