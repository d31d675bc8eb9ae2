// The real window while it polls a simulated two-channel storage unit: values,
// moving charts and colours on every tab, saved as screenshots for a person to judge.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include "fixture.h"
#include "ui/qt/FormView.h"
#include "ui/view_fixture.h"

namespace zhv::test {
namespace {

// The simulated unit in-process, warming up for its first half second, with
// the window on screen.
struct Live : SimTest {
  std::unique_ptr<FormView> view;

  void SetUp() override {
    App();
    sim::Options o = UnitOptions();
    o.warmUpMs = 500;
    ASSERT_NO_FATAL_FAILURE(Open(o));
    view = std::make_unique<FormView>(t().f);
  }
  void Run(int ticks) {
    Tick(ticks);
    view->Flush();
  }
  template <class W>
  W* Widget(const char* name) {
    return Child<W>(*view, name);
  }
};

TEST_F(Live, EveryTabShowsTheLiveUnit) {
  Run(300);
  Widget<QPushButton>("Button102")->click();  // "Вкл.": the operator takes USB control
  Run(4000);  // forty seconds of polling: some forty points per chart

  EXPECT_EQ(Widget<QLabel>("Panel2")->text().toStdString(),
            "Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  EXPECT_EQ(Widget<QLabel>("Panel2")->palette().color(QPalette::Window), QColor(0, 255, 0));
  EXPECT_EQ(Widget<QLabel>("Panel101")->text().toStdString(), "USB управление включено");
  EXPECT_TRUE(Widget<QPushButton>("Button123")->isEnabled());
  EXPECT_FALSE(Widget<QLineEdit>("Edit123")->isReadOnly());
  EXPECT_FALSE(Widget<QLineEdit>("Edit112")->text().isEmpty());
  EXPECT_EQ(Widget<QLineEdit>("Edit10123")->text(), "2024");
  EXPECT_EQ(Widget<QLineEdit>("Edit10142")->text(), "0800B000");
  EXPECT_EQ(Widget<QLabel>("Panel1110")->text().toStdString(), "Рабочий режим");

  // Some forty values each, and only those: a chart not yet full draws nothing made up.
  for (const char* name : {"Chart110", "Chart120", "Chart210", "Chart220"}) {
    auto* chart = Widget<QChartView>(name);
    auto* series = qobject_cast<QLineSeries*>(chart->chart()->series().value(0));
    ASSERT_NE(series, nullptr) << name;
    EXPECT_GE(series->count(), 20) << name;
    EXPECT_LT(series->count(), 100) << name;
  }
  // The voltage of channel 1 has moved.
  const auto& points = t().f.LineSeries120.Points();
  ASSERT_GE(points.size(), 20u);
  double lo = points.front().y, hi = lo;
  for (const auto& p : points) {
    lo = std::min(lo, p.y);
    hi = std::max(hi, p.y);
  }
  EXPECT_GT(hi, lo);

  const char* files[] = {"live_tab1_usb.png", "live_tab2_sensor1.png", "live_tab3_sensor2.png",
                         "live_tab4_misc.png", "live_tab5_interface.png", "live_tab6_storage.png"};
  for (int page = 0; page < 6; ++page) {
    t().f.PageControl1.SetActivePage(page);
    view->Flush();
    const QString path = SaveShot(*view, files[page]);
    ASSERT_FALSE(path.isEmpty()) << files[page];
    EXPECT_GT(QFileInfo(path).size(), 2000) << files[page];
  }
}

}  // namespace
}  // namespace zhv::test
