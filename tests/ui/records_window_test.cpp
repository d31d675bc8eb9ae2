// The records viewer: the table's order and filters, the chart and the table
// pointing at the same record, the zoom, and a second look replacing the first.
#include <QCheckBox>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QLineSeries>
#include <QTableView>
#include <QValueAxis>
#include <cstring>
#include <functional>

#include "ui/qt/RecordsWindow.h"
#include "view_fixture.h"

namespace zhv::test {
namespace {

constexpr double kStart = 1706745600;  // 2024-02-01 00:00 by the unit's clock

// Record n, a minute after record n - 1; flags: e exceeded, f fault, c bad check, b on battery.
RecordRow Row(int n, const char* text, RecordCell mixed, double c1, const char* flags) {
  RecordRow r{{{std::to_string(n + 1), n + 1.0}, {text}, mixed}, kStart + 60 * n, c1, 100.0 + n};
  r.exceeded = std::strchr(flags, 'e');
  r.fault = std::strchr(flags, 'f');
  r.badCheck = std::strchr(flags, 'c');
  r.onBattery = std::strchr(flags, 'b');
  return r;
}

class RecordsWindowTest : public ::testing::Test {
 protected:
  RecordsWindowTest() { App(); }
  ~RecordsWindowTest() override { delete window.Window(); }
  void Show(std::vector<RecordRow> rows, std::string caption = "Записи", std::string status = "") {
    window.Show({caption, "Из блока", {"№", "Текст", "Смесь"}, std::move(rows), "Канал 1", "Канал 2", status, !status.empty()});
    QApplication::processEvents();
  }
  void ShowFive() {
    Show({Row(0, "в", {"12", 12}, 5, ""), Row(1, "а", {"—"}, 7, "e"), Row(2, "б", {"9", 9}, NAN, "f"),
          Row(3, "г", {"100", 100}, 6, "cb"), Row(4, "д", {"—"}, 8, "ef")});
  }
  RecordsPane& Pane() { return *window.Window(); }
  template <class W>
  W* Get(const char* name) { return Child<W>(Pane(), name); }
  // The "№" of the rows the table shows, top down.
  std::vector<std::string> Shown() {
    std::vector<std::string> numbers;
    const QAbstractItemModel* m = Pane().Table()->model();
    for (int r = 0; r < m->rowCount(); ++r) numbers.push_back(m->index(r, 0).data().toString().toStdString());
    return numbers;
  }
  void Tick(const std::string& flags) {
    for (const char* name : {"RecordsExceeded", "RecordsFault", "RecordsBadCheck", "RecordsOnBattery"})
      Get<QCheckBox>(name)->setChecked(flags.find(name[7]) != std::string::npos);  // E F B O
  }
  // Where a minute of the records' period is on the chart's viewport.
  QPoint At(double minute) {
    QChartView* view = Pane().ChartView();
    const QPointF at = view->chart()->mapToPosition({RecordsPane::AxisMs(kStart + 60 * minute), 6});
    return view->mapFromScene(view->chart()->mapToScene(at));
  }
  void Mouse(QEvent::Type type, double minute, int dy = 0) {
    QChartView* view = Pane().ChartView();
    const QPoint p = At(minute) + QPoint(0, dy);
    QMouseEvent event(type, p, view->viewport()->mapToGlobal(p), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  }
  // The part of the period in sight, in minutes.
  std::pair<double, double> InSight() {
    const auto minute = [](const QDateTime& t) { return (t.toMSecsSinceEpoch() - RecordsPane::AxisMs(kStart)) / 60000.0; };
    return {minute(Pane().TimeAxis()->min()), minute(Pane().TimeAxis()->max())};
  }
  QtRecordsWindow window;
};

TEST_F(RecordsWindowTest, HeaderClicksSortByNumberElseTextThenBackToTheUnitsOrder) {
  struct Case { int column, clicks; std::vector<std::string> shown; } cases[] = {
      {1, 1, {"2", "3", "1", "4", "5"}},  // texts
      {2, 1, {"3", "1", "4", "2", "5"}},  // 9 before 12 before 100, the texts after the numbers
      {2, 2, {"2", "5", "4", "1", "3"}},  // equal texts keep the unit's order
      {2, 3, {"1", "2", "3", "4", "5"}},
  };
  for (const Case& c : cases) {
    ShowFive();
    QHeaderView* header = Pane().Table()->horizontalHeader();
    header->setSortIndicator(-1, Qt::AscendingOrder);
    const QPoint at(header->sectionViewportPosition(c.column) + 5, header->height() / 2);
    for (int i = 0; i < c.clicks; ++i)
      for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &e);
      }
    EXPECT_EQ(Shown(), c.shown) << "column " << c.column << ", clicks " << c.clicks;
  }
}

TEST_F(RecordsWindowTest, FiltersShowRecordsWithAnyTickedFlag) {
  struct Case { std::string ticked; std::vector<std::string> shown; const char* count; } cases[] = {
      {"", {"1", "2", "3", "4", "5"}, "Показано 5 из 5"}, {"E", {"2", "5"}, "Показано 2 из 5"},
      {"EF", {"2", "3", "5"}, "Показано 3 из 5"},         {"B", {"4"}, "Показано 1 из 5"},
      {"O", {"4"}, "Показано 1 из 5"},                    {"EFBO", {"2", "3", "4", "5"}, "Показано 4 из 5"},
  };
  ShowFive();
  for (const Case& c : cases) {
    Tick(c.ticked);
    EXPECT_EQ(Shown(), c.shown) << c.ticked;
    EXPECT_EQ(Get<QLabel>("RecordsShown")->text(), QString::fromUtf8(c.count)) << c.ticked;
  }
}

TEST_F(RecordsWindowTest, ChartClickSelectsNearestShownRecordAndTheSelectionIsMarked) {
  struct Case { std::string ticked; double minute; int record; double markedValue; } cases[] = {
      {"", 0.6, 1, 7},    {"", 1.8, 2, 102},  // no channel 1 value: marked on channel 2
      {"E", 2.4, 1, 7},   {"E", 2.6, 4, 8},   {"E", 0.1, 1, 7},
  };
  ShowFive();
  for (const Case& c : cases) {
    Tick(c.ticked);
    Mouse(QEvent::MouseButtonPress, c.minute);
    Mouse(QEvent::MouseButtonRelease, c.minute);
    EXPECT_EQ(Pane().SelectedRecord(), c.record) << c.ticked << " at minute " << c.minute;
    ASSERT_EQ(Pane().SelectedMark()->count(), 1);
    EXPECT_EQ(Pane().SelectedMark()->at(0), QPointF(RecordsPane::AxisMs(kStart + 60 * c.record), c.markedValue));
  }
  Pane().Table()->selectRow(0);  // the operator's own choice in the table
  ASSERT_EQ(Pane().SelectedMark()->count(), 1);
  EXPECT_EQ(Pane().SelectedMark()->at(0).y(), 7);
}

TEST_F(RecordsWindowTest, WheelAndBandZoomTimeWithinThePeriod) {
  ShowFive();
  struct Case { const char* what; std::function<void()> act; double from, to; } cases[] = {
      {"band", [&] { Mouse(QEvent::MouseButtonPress, 1); Mouse(QEvent::MouseMove, 3, 20); Mouse(QEvent::MouseButtonRelease, 3); }, 1, 3},
      {"whole", [&] { Get<QPushButton>("RecordsWholePeriod")->click(); }, 0, 4},
      {"wheel in at minute 2", [&] {
         const QPointF p = At(2);
         QWheelEvent w(p, p, {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
         QApplication::sendEvent(Pane().ChartView()->viewport(), &w);
       }, 0.4, 3.6},
      {"out beyond", [&] { Pane().ZoomTo(RecordsPane::AxisMs(kStart - 600), RecordsPane::AxisMs(kStart + 900)); }, 0, 4},
  };
  for (const Case& c : cases) {
    c.act();
    const auto [from, to] = InSight();
    EXPECT_NEAR(from, c.from, 0.1) << c.what;
    EXPECT_NEAR(to, c.to, 0.1) << c.what;
  }
  // The value axis follows the zoom: a spike out of sight no longer flattens the rest.
  Show({Row(0, "a", {}, 5000, ""), Row(1, "b", {}, 5, ""), Row(2, "c", {}, 6, ""), Row(3, "d", {}, 7, "")});
  const auto* values = qobject_cast<QValueAxis*>(Pane().ChartView()->chart()->axes(Qt::Vertical).value(0));
  ASSERT_NE(values, nullptr);
  Pane().ZoomTo(RecordsPane::AxisMs(kStart + 60), RecordsPane::AxisMs(kStart + 180));
  EXPECT_LE(values->max(), 200) << "channel 1 at 5..7 and channel 2 at 101..103 in sight";
  Get<QPushButton>("RecordsWholePeriod")->click();
  EXPECT_GE(values->max(), 5000);
}

TEST_F(RecordsWindowTest, SecondShowReplacesTheFirstInTheSameWindow) {
  ShowFive();
  RecordsPane* first = &Pane();
  Tick("E");
  Pane().SelectRecord(1);
  Show({Row(0, "x", {"1", 1}, 3, ""), Row(1, "y", {"2", 2}, 4, "e")}, "Файл", "Строка 3 не прочитана");
  ASSERT_EQ(window.Window(), first);
  EXPECT_EQ(Pane().windowTitle(), "Файл");
  EXPECT_EQ(Shown(), std::vector<std::string>{"2"}) << "the operator's filter stays";
  EXPECT_EQ(Get<QLabel>("RecordsShown")->text(), QString::fromUtf8("Показано 1 из 2"));
  EXPECT_EQ(Pane().SelectedRecord(), -1);
  EXPECT_EQ(Get<QLabel>("RecordsStatus")->palette().color(QPalette::Window), QColor(Qt::red));
  EXPECT_EQ(Pane().SelectedMark()->count(), 0);
  EXPECT_EQ(InSight(), (std::pair<double, double>{0, 1})) << "the new period in sight";
}

}  // namespace
}  // namespace zhv::test
