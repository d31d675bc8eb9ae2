// Every control fits its tab of the fixed window: inside its container, clear of its
// neighbours and wide enough for its text; and screenshots of the six tabs.
#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <QTableWidget>
#include <cmath>
#include <map>
#include <vector>

#include "ui/qt/PanelLabel.h"
#include "ui/tab_panels.h"
#include "view_fixture.h"

namespace zhv::test {
namespace {

class LayoutTest : public ViewTest {
 protected:
  void ShowTab(int index) {
    for (int i = 0; i < Tabs()->count(); ++i) Tabs()->setTabVisible(i, true);
    Tabs()->setCurrentIndex(index);
    view->show();
    app_.processEvents();
  }

  // Widgets of the controls on one tab, by their container.
  std::map<QWidget*, std::vector<std::pair<const Control*, QWidget*>>> ByContainer(int tab) {
    std::map<QWidget*, std::vector<std::pair<const Control*, QWidget*>>> out;
    for (const Control* c : form.All()) {
      const Control* sheet = TabOf(c);
      if (!sheet || sheet == c || sheet->GetCell().col != tab || c->GetKind() == Kind::Series) continue;
      QWidget* w = Get<QWidget>(c->Name());
      out[w->parentWidget()].push_back({c, w});
    }
    return out;
  }

  // How wide the widget must be to show its text whole.
  static int TextNeed(const Control& c, QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    switch (c.GetKind()) {
      case Kind::Label:
        return fm.horizontalAdvance(static_cast<QLabel*>(w)->text()) +
               (w->width() - static_cast<QLabel*>(w)->contentsRect().width());
      case Kind::Panel: {
        auto* panel = dynamic_cast<PanelLabel*>(w);
        if (!panel) throw std::runtime_error(std::string(c.Name()) + " is no panel");
        return QFontMetrics(panel->DrawingFont()).horizontalAdvance(panel->text()) +
               (w->width() - panel->contentsRect().width());
      }
      case Kind::Edit:
        return fm.horizontalAdvance(static_cast<QLineEdit*>(w)->text()) + 8;  // frame and margins
      case Kind::Button:
        return fm.horizontalAdvance(static_cast<QAbstractButton*>(w)->text()) + 8;
      case Kind::CheckBox:
      case Kind::RadioButton:
        return w->sizeHint().width();
      case Kind::GroupBox:
        return fm.horizontalAdvance(static_cast<QGroupBox*>(w)->title()) + 10;
      default:
        return 0;
    }
  }

  void CheckTab(int tab) {
    ShowTab(tab);
    for (auto& [container, items] : ByContainer(tab)) {
      const QRect room = container->rect();
      for (std::size_t i = 0; i < items.size(); ++i) {
        auto [c, w] = items[i];
        const QRect g = w->geometry();
        EXPECT_TRUE(room.contains(g)) << c->Name() << " leaves its container " << g.x() << ","
                                      << g.y() << " " << g.width() << "x" << g.height();
        EXPECT_GE(g.width(), TextNeed(*c, w)) << c->Name() << " cuts its text";
        if (QLayout* inner = w->layout()) {
          EXPECT_GE(g.height(), inner->minimumSize().height()) << c->Name() << " is squeezed";
          EXPECT_GE(g.width(), inner->minimumSize().width()) << c->Name() << " is squeezed";
        } else {
          EXPECT_GE(g.height(), w->fontMetrics().height()) << c->Name() << " is squeezed";
        }
        for (std::size_t j = i + 1; j < items.size(); ++j) {
          EXPECT_FALSE(g.intersects(items[j].second->geometry()))
              << c->Name() << " overlaps " << items[j].first->Name();
        }
        if (auto* pane = dynamic_cast<ChartPane*>(container)) {
          EXPECT_FALSE(g.intersects(pane->Title()->geometry())) << c->Name() << " hides the title";
        }
      }
    }
  }

  // Plausible values, so that a person can judge the look.
  void FillWithValues() {
    form.Panel1.SetText("Открыт порт COM7");
    form.Panel1.SetColour(clr::PortOpen);
    form.Panel2.SetText("ЖОВ-22 (11h)");
    form.Panel2.SetColour(clr::Lime);
    int row = form.ListView1.AddRow("USB Serial Port");
    form.ListView1.SetSubItem(row, 0, "COM7");
    form.ListView1.SetSubItem(row, 1, "Открыт");
    row = form.ListView1.AddRow("Communications Port");
    form.ListView1.SetSubItem(row, 0, "COM1");
    form.ListView1.SetSubItem(row, 1, "Доступен");
    for (int i = 0; i < 12; ++i) {
      form.ListBox1.AddItem(i % 2 ? "<< 0D 11 20 20 03 02 B0 04 1A 01 ..." : ">> 0D 11 20 00 3C");
    }
    form.Edit1.SetText("38");
    form.Edit2.SetText("6");
    for (Control* c : {&form.Panel101, &form.Panel201, &form.Panel301, &form.Panel401, &form.Panel501}) {
      c->SetText("Рабочий режим");
    }
    for (Control* c : {&form.Edit104, &form.Edit204, &form.Edit304, &form.Edit404, &form.Edit504}) {
      c->SetText("01234");
    }
    form.Panel501.SetText("Рабочий режим,не настроены часы/буфер хранения");
    form.Panel501.SetFontColour(clr::Red);
    form.Panel120.SetText("Напряжение на сенсоре вышло за допустимые границы");
    form.Panel1110.SetText("Рабочий режим");
    form.Panel1114.SetText("Превышение порога 1");
    form.Panel1114.SetColour(clr::Red);
    form.Edit1114.SetText("1");
    form.Panel1111.SetText("Было превышение порога");
    form.Panel1111.SetColour(clr::Fuchsia);
    form.Edit112.SetText("1.234");
    form.Edit120.SetText("0.4512");
    form.Panel3110.SetText("Начальная инициализация");
    form.Panel3110.SetColour(clr::Olive);
    form.Edit312.SetText("+25");
    form.Panel10115.SetColour(clr::Lime);
    form.Edit10310.SetText("/home/operator/export/zhv22.csv");
    form.Panel1030.SetText("Чтение буфера ...");
    for (ChartControl* chart : {&form.Chart110, &form.Chart210}) {
      chart->SetLeftMax(2);
      chart->SetLeftMin(-1);
      chart->SetLeftFormat("0.000", 1);
    }
    for (ChartControl* chart : {&form.Chart120, &form.Chart220}) {
      chart->SetLeftMax(5);
      chart->SetLeftMin(0);
      chart->SetLeftFormat("0.000", 1);
    }
    auto wave = [](double base, double amp, double phase) {
      std::vector<SeriesControl::Point> points;
      for (int i = 1; i <= 100; ++i) {
        points.push_back({double(i), base + amp * std::sin(i / 9.0 + phase), clr::Red});
      }
      return points;
    };
    form.LineSeries110.SetPoints(wave(1.0, 0.6, 0));
    form.LineSeries120.SetPoints(wave(2.5, 1.2, 1));
    form.LineSeries210.SetPoints(wave(0.5, 0.3, 2));
    form.LineSeries220.SetPoints(wave(3.0, 0.8, 3));
    view->Flush();
  }
};

TEST_F(LayoutTest, TheUsbTabFits) { CheckTab(0); }
TEST_F(LayoutTest, TheFirstSensorTabFits) { CheckTab(1); }
TEST_F(LayoutTest, TheSecondSensorTabFits) { CheckTab(2); }
TEST_F(LayoutTest, TheMiscellaneousTabFits) { CheckTab(3); }
TEST_F(LayoutTest, TheInterfaceModuleTabFits) { CheckTab(4); }
TEST_F(LayoutTest, TheStorageModuleTabFits) { CheckTab(5); }

TEST_F(LayoutTest, TheLongestTextsOfTheToolStillFit) {
  form.Panel2.SetText("Найден Блок сигнализатора загазованости ЖОВ-22МТ(ID = 11h)");
  form.Panel1.SetText("Ошибка доступа к порт COM10");
  for (Control* c : {&form.Panel101, &form.Panel201, &form.Panel301, &form.Panel401, &form.Panel501}) {
    c->SetText("Рабочий режим,не настроены часы/буфер хранения");
  }
  for (Control* c : {&form.Panel102, &form.Panel202, &form.Panel302, &form.Panel402, &form.Panel502}) {
    c->SetText("Нет подключения к сети");
  }
  for (Control* c : {&form.Label1011, &form.Label2011, &form.Label3011, &form.Label4011, &form.Label5011}) {
    c->SetText(" функция голосового информирования");
  }
  for (Control* c : {&form.Label1051, &form.Label2051, &form.Label3051, &form.Label4051, &form.Label5051}) {
    c->SetText("совмещенный CH4/CO");
  }
  for (Control* c : {&form.Label1061, &form.Label2061, &form.Label3061, &form.Label4061, &form.Label5061}) {
    c->SetText("Bluetooth");
  }
  form.Panel120.SetText("Напряжение на сенсоре вышло за допустимые границы");
  form.Panel220.SetText("Delta напряжения отрицательна или очень малая");
  form.Panel1113.SetText("Нет связи с оптическим сенсором");
  form.Panel2116.SetText("Сенсор отключен  >100 %нкпр");
  form.Panel3112.SetText("Ошибка настройки сенсора");
  form.Panel10112.SetText("Не было установки даты/время");
  form.Panel10116.SetText("Не было инициализации буфера");
  form.Panel1030.SetText("Невозможно открыть/создать файл");
  for (Control* c : {&form.Panel390, &form.Panel420, &form.Panel1020}) c->SetText("Команда отменена: ТКЭ её не подтвердил");
  ShowCancelButtons(form, true);
  form.Edit112.SetText(">-0.05");
  form.Edit212.SetText(">1.234");
  form.Edit143.SetText("11111111");
  form.Edit312.SetText("-01");
  view->Flush();
  for (int tab = 0; tab < 6; ++tab) CheckTab(tab);
  // The read-out's longest words, one after the other in its one panel.
  for (const char* text : {"Записано 12000 из 99999 (12 %), осталось 2 ч 05 мин",
                           "Файл не закрыт, записано 99999; последние могут прийти снова",
                           "Ошибка записи, записано 99999; в конце файла обрывок строки"}) {
    form.Panel1030.SetText(text);
    view->Flush();
    CheckTab(5);
  }
}

TEST_F(LayoutTest, ThePortColumnsShowWithoutScrolling) {
  FillWithValues();
  ShowTab(0);
  auto* table = Get<QTableWidget>("ListView1");
  EXPECT_FALSE(table->horizontalScrollBar()->isVisible());
}

TEST_F(LayoutTest, ChartTitlesStandAtTheLeft) {
  ShowTab(1);
  for (const char* name : {"Chart110", "Chart120"}) {
    EXPECT_LT(Pane(name)->Title()->geometry().left(), 8) << name;
  }
}

TEST_F(LayoutTest, ScreenshotsOfTheSixTabs) {
  const QString folder = qEnvironmentVariable("ZHV_SHOTS", QDir::tempPath() + "/zhv_shots");
  ASSERT_TRUE(QDir().mkpath(folder));
  FillWithValues();
  const char* files[] = {"tab1_usb.png",  "tab2_sensor1.png",   "tab3_sensor2.png",
                         "tab4_misc.png", "tab5_interface.png", "tab6_storage.png"};
  for (int tab = 0; tab < 6; ++tab) {
    ShowTab(tab);
    const QString path = folder + "/" + files[tab];
    QFile::remove(path);
    ASSERT_TRUE(view->grab().save(path)) << path.toStdString();
    QPixmap shot(path);
    EXPECT_EQ(shot.size(), QSize(794, 598)) << path.toStdString();
  }
}

}  // namespace
}  // namespace zhv::test
