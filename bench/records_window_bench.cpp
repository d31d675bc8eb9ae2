// The records viewer with a full buffer of 6656 records on two channels: the time
// to open and fill it, to tick a filter, to zoom to a tenth of the period and back,
// each up to the window painted. Runs offscreen unless QT_QPA_PLATFORM says otherwise;
// given a folder, it saves what the window looked like after each step there.
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt/RecordsWindow.h"

using namespace zhv;

namespace {

RecordsView Records(int count) {
  RecordsView view;
  view.caption = "Просмотр записей";
  view.heading = "Буфер записей блока, считано " + std::to_string(count) + " записей";
  view.columns = {"№", "Дата", "Время", "Канал 1, % НКПР", "Канал 2, мг/м³", "Порог 1", "Порог 2",
                  "Авария", "CRC", "Питание", "Температура, °C", "Состояние"};
  view.channel1 = "Канал 1, % НКПР";
  view.channel2 = "Канал 2, мг/м³";
  const double start = 1706745600;  // 2024-02-01 00:00 by the unit's clock
  for (int i = 0; i < count; ++i) {
    RecordRow r;
    r.time = start + i * 60.0;
    r.concentration1 = 12 + 10 * std::sin(i / 150.0) + (i % 1300 > 1250 ? 30 : 0) + (i * 7919 % 13) / 10.0;
    r.concentration2 = i % 997 < 20 ? NAN : 40 + 25 * std::cos(i / 400.0);
    r.exceeded = r.concentration1 > 30;
    r.fault = i % 211 == 0;
    r.badCheck = i % 1024 == 17;
    r.onBattery = i > 4000 && i < 4400;
    char date[16], clock[16], c1[16], c2[16], temp[16];
    const long minutes = i;
    std::snprintf(date, sizeof date, "%02ld.02.2024", 1 + minutes / 1440);
    std::snprintf(clock, sizeof clock, "%02ld:%02ld:00", minutes / 60 % 24, minutes % 60);
    std::snprintf(c1, sizeof c1, "%.1f", r.concentration1);
    std::snprintf(c2, sizeof c2, "%.1f", r.concentration2);
    const double t = 20 + 5 * std::sin(i / 700.0);
    std::snprintf(temp, sizeof temp, "%.1f", t);
    r.cells = {{std::to_string(i + 1), double(i + 1)},
               {date, NAN},
               {clock, NAN},
               {c1, r.concentration1},
               {std::isnan(r.concentration2) ? "—" : c2, r.concentration2},
               {r.exceeded ? "да" : "нет", NAN},
               {"нет", NAN},
               {r.fault ? "да" : "нет", NAN},
               {r.badCheck ? "ошибка" : "норма", NAN},
               {r.onBattery ? "АКБ" : "сеть", NAN},
               {temp, t},
               {r.fault ? "Авария датчика" : "Норма", NAN}};
    view.rows.push_back(std::move(r));
  }
  return view;
}

double Ms(const std::function<void()>& step, QWidget& window) {
  const auto start = std::chrono::steady_clock::now();
  step();
  QApplication::processEvents();
  window.repaint();  // the picture the operator waits for, not just the data behind it
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("  %-34s median %6.1f ms, worst %6.1f ms (%zu runs)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString shots = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (!shots.isEmpty()) QDir().mkpath(shots);
  const auto shot = [&shots](QWidget& w, const char* name) {
    if (!shots.isEmpty()) w.grab().save(shots + "/" + name);
  };

  constexpr int kRecords = 6656;
  constexpr int kRuns = 7;
  const RecordsView view = Records(kRecords);
  QWidget owner;
  owner.resize(400, 300);
  owner.show();
  QtRecordsWindow records;
  records.SetOwner(&owner);
  std::printf("records viewer, %d records on two channels, platform %s\n", kRecords,
              QApplication::platformName().toUtf8().constData());

  QWidget* window = nullptr;
  const auto start = std::chrono::steady_clock::now();
  records.Show(view);
  window = records.Window();
  QApplication::processEvents();
  window->repaint();
  const double first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("  %-34s %6.1f ms\n", "Show, the window made and filled", first);
  shot(*window, "records_all.png");

  RecordsPane& pane = *records.Window();
  std::vector<double> refill, tick, zoom, whole;
  for (int run = 0; run < kRuns; ++run) refill.push_back(Ms([&] { records.Show(view); }, *window));
  Report("Show again, the window refilled", refill);

  auto* exceeded = window->findChild<QCheckBox*>("RecordsExceeded");
  for (int run = 0; run < kRuns; ++run) {
    tick.push_back(Ms([&] { exceeded->setChecked(true); }, *window));
    const int shown = pane.Table()->model()->rowCount();
    if (run == 0) std::printf("  (filter ticked: %d of %d records shown)\n", shown, kRecords);
    if (run == 0) shot(*window, "records_filter.png");
    Ms([&] { exceeded->setChecked(false); }, *window);
  }
  Report("a filter ticked", tick);

  auto* wholeButton = window->findChild<QPushButton*>("RecordsWholePeriod");
  const double from = static_cast<double>(pane.TimeAxis()->min().toMSecsSinceEpoch());
  const double to = static_cast<double>(pane.TimeAxis()->max().toMSecsSinceEpoch());
  for (int run = 0; run < kRuns; ++run) {
    const double at = from + (to - from) * 0.1 * (run + 2);
    zoom.push_back(Ms([&] { pane.ZoomTo(at, at + (to - from) / 10); }, *window));
    if (run == 0) {
      pane.SelectRecord(kRecords / 10 * 3 + 40);
      QApplication::processEvents();
      shot(*window, "records_zoomed.png");
    }
    whole.push_back(Ms([&] { wholeButton->click(); }, *window));
  }
  Report("zoom to a tenth of the period", zoom);
  Report("back to the whole period", whole);
  return 0;
}
