// A chart in a window of its own: every value the chart showed, with its time,
// held still by the pause, and saved as a table.
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QValueAxis>

#include "ui/qt/ChartWindow.h"
#include "view_fixture.h"

namespace zhv::test {
namespace {

class ChartWindowTest : public ViewTest {
 protected:
  // A new value drawn as the decoders draw it: the series again, the value last.
  void Add(double value, bool flush = true) {
    points.push_back({double(points.size() + 1), value, clr::Red});
    form.LineSeries110.AddValue(points);
    if (flush) view->Flush();
  }
  std::vector<SeriesControl::Point> points;
};

TEST_F(ChartWindowTest, HoldsEveryValueShownAndOnlyThose) {
  ChartPane* pane = Pane("Chart110");
  Add(1);
  Add(2.5);
  EXPECT_DOUBLE_EQ(pane->BottomAxis()->min(), 1) << "a chart still filling keeps its 100 places";
  EXPECT_DOUBLE_EQ(pane->BottomAxis()->max(), 100);
  form.LineSeries110.SetPoints({});  // redrawn, switched off, and on: no value, nothing to keep
  form.LineSeries110.SetPoints(points);
  view->Flush();
  Add(3, false);
  Add(4);  // two values between two looks: both kept
  ASSERT_EQ(pane->History().size(), 4u);

  QMouseEvent click(QEvent::MouseButtonDblClick, {50, 50}, {50, 50}, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(pane->viewport(), &click);  // where a real double-click lands
  ChartWindow* window = pane->Window();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->Shown().size(), 4u);
  EXPECT_EQ(window->Shown()[1].value, 2.5);
  EXPECT_EQ(window->Shown()[3].value, 4);

  window->SetPaused(true);
  Add(5);
  EXPECT_EQ(window->Shown().size(), 4u) << "paused";
  window->SetPaused(false);
  EXPECT_EQ(window->Shown().size(), 5u);
  window->resize(800, 450);
  SaveShot(*window, "chart_window.png");

  QTemporaryDir dir;
  const QString path = dir.filePath("values.csv");
  ASSERT_TRUE(window->SaveValues(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 7);  // heading, five values, and the end of the last line
  EXPECT_EQ(lines[0], "\xC2\xF0\xE5\xEC\xFF;\xCA\xEE\xED\xF6\xE5\xED\xF2\xF0\xE0\xF6\xE8\xFF\r");  // Windows-1251
  EXPECT_TRUE(lines[2].endsWith(QByteArray(";2") + QLocale().decimalPoint().toLatin1() + "5\r")) << lines[2].toStdString();
}

}  // namespace
}  // namespace zhv::test
