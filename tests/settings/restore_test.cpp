// «Восстановить из файла…» against the simulated unit.
#include <functional>
#include <set>

#include "fixture.h"
#include "settings/snapshot.h"

namespace zhv::test {
namespace {

using Mark = SettingsRow::Mark;

class Restore : public SimTest {
 protected:
  // The unit's settings as they stand, changed so, as a file of that name.
  void FileWith(const std::string& name, const std::function<void(Snapshot&)>& change) {
    Snapshot file = t().settings.TakeSnapshot();
    file.divider = unit.Divider();
    change(file);
    s.textFiles.disk[name] = WriteSnapshot(file);
  }
  // The restore from that file, answered «Да» with these calibration items ticked, to its end.
  void RestoreFrom(const std::string& name, std::set<std::size_t> ticks = {}) {
    s.dialogs.fileToOpen = name;
    s.dialogs.answers = {true};
    s.dialogs.tickThese = std::move(ticks);
    Tick();
    ASSERT_TRUE(t().f.Button373.Enabled());
    t().f.Button373.Click();
    for (int i = 0; i < 5000 && t().settings.Busy(); ++i) Tick();
    ASSERT_FALSE(t().settings.Busy());
  }
  const SettingsRow& Row(const std::string& name) {
    for (const SettingsRow& r : s.settingsWindow.view.rows)
      if (r.name == name) return r;
    ADD_FAILURE() << "no row " << name;
    return s.settingsWindow.view.rows.at(0);
  }
  static void Changes(Snapshot& f) {
    param::Set(f.block, param::kThreshold1, 300);
    param::Set(f.block, param::kValveVoltage, 1350);
    param::Set(f.block, param::kPeriodNormal, 1800);
    param::Set(f.block, param::kZeroVoltage1, 4100);  // a calibration voltage: only when ticked
    param::Set(f.block, param::kTemperatureThreshold, 200);  // beyond what an entry may hold: never written
    f.divider = 8000;
  }
};

TEST_F(Restore, DifferencesAreWrittenTheRestUntouchedCalibrationOnlyWhenTicked) {
  for (const bool tick : {false, true}) {
    SCOPED_TRACE(tick ? "ticked" : "not ticked");
    s.dialogs = fake::Dialogs{};
    Start();
    auto expected = unit.Words();
    const std::uint16_t zeroBefore = expected[param::kZeroVoltage1.word];
    FileWith("f.json", Changes);
    const int writesBefore = unit.RequestCount(cat::kWriteWord);
    RestoreFrom("f.json", tick ? std::set<std::size_t>{0} : std::set<std::size_t>{});

    ASSERT_EQ(s.dialogs.offered.size(), 1u);
    ASSERT_EQ(s.dialogs.offered[0].size(), 1u);
    EXPECT_EQ(s.dialogs.offered[0][0].text, "Напряжение отстрела нуля, канал 1: 0.4000 B → 0.4100 B");
    expected[param::kThreshold1.word] = 300;
    expected[param::kValveVoltage.word] = 1350;
    expected[param::kPeriodNormal.word] = 1800;
    expected[param::kZeroVoltage1.word] = tick ? 4100 : zeroBefore;
    EXPECT_EQ(unit.Words(), expected);
    EXPECT_EQ(Row("Порог температуры, град.С").outcome, "не записывается: допустимо 0..127");
    EXPECT_EQ(unit.Divider(), 8000);
    EXPECT_EQ(unit.RequestCount(cat::kWriteWord) - writesBefore, tick ? 4 : 3) << "one write per differing field";
    EXPECT_EQ(s.settingsWindow.view.status, tick ? "Восстановлено полей: 5 из 5." : "Восстановлено полей: 4 из 4.");
    EXPECT_EQ(Row("Напряжение отстрела нуля, канал 1").outcome, tick ? "записано" : "не отмечено");
    EXPECT_TRUE(t().f.Button123.Enabled()) << "editing unlocked again";
  }
}

TEST_F(Restore, AFieldTheUnitKeepsIsReportedAndTheRestGoOn) {
  Start();
  FileWith("f.json", [](Snapshot& f) {
    param::Set(f.block, param::kThreshold1, 300);
    f.divider = 8000;
  });
  unit.faults().keepWords = true;
  RestoreFrom("f.json");
  EXPECT_EQ(Row("Порог сигнализации, канал 1").mark, Mark::Failed);
  EXPECT_EQ(Row("Порог сигнализации, канал 1").outcome, "не подтверждено: блок хранит 01.00 % об.");
  EXPECT_EQ(unit.Divider(), 8000);
  EXPECT_EQ(Row("Делитель коррекции часов").outcome, "записано");
  EXPECT_EQ(s.settingsWindow.view.status, "Записано 1 из 2; не подтверждены блоком: «Порог сигнализации, канал 1».");
  EXPECT_EQ(t().f.Panel370.Colour(), clr::Red);
}

TEST_F(Restore, AFileOfAnotherDeviceTypeOrGasKindIsRefusedNamingBoth) {
  const struct {
    std::uint8_t type, gas;
    const char* says;
  } cases[] = {
      {cat::kTypeBase, cat::kGasCombined,
       "файл f.json снят с блока ТКЭ 0x10, газ совмещенный CH4/CO (27), а подключён блок ТКЭ 0x11, газ "
       "совмещенный CH4/CO (27)."},
      {cat::kTypeStorage, cat::kGasCH4,
       "файл f.json снят с блока ТКЭ 0x11, газ природный CH4 (1), а подключён блок ТКЭ 0x11, газ совмещенный "
       "CH4/CO (27)."},
  };
  for (const auto& c : cases) {
    s.dialogs = fake::Dialogs{};
    Start();
    FileWith("f.json", [&c](Snapshot& f) {
      Changes(f);
      f.deviceType = c.type;
      f.gasKind = c.gas;
    });
    const int writesBefore = unit.RequestCount(cat::kWriteWord);
    RestoreFrom("f.json");
    EXPECT_TRUE(s.dialogs.asked.empty()) << "nothing asked";
    EXPECT_EQ(unit.RequestCount(cat::kWriteWord), writesBefore);
    EXPECT_EQ(s.settingsWindow.view.status, std::string("Восстановление невозможно: ") + c.says);
    EXPECT_TRUE(s.settingsWindow.view.statusIsError);
  }
}

TEST_F(Restore, ALostLinkStopsItSayingWhatWasWritten) {
  Start();
  FileWith("f.json", Changes);
  s.dialogs.fileToOpen = "f.json";
  s.dialogs.answers = {true};
  Tick();
  t().f.Button373.Click();
  for (int i = 0; i < 1000 && s.settingsWindow.view.done < 1; ++i) Tick();
  port.Unplug();
  Tick(5);
  EXPECT_FALSE(t().settings.Busy());
  EXPECT_EQ(s.settingsWindow.view.status,
            "Связь с блоком прервана во время восстановления. Записаны: «Порог сигнализации, канал 1». Неизвестно, "
            "записано ли: «Напряжение на импульсном клапане, В». Не записаны: «Период выдачи состояния Норма, сек», "
            "«Делитель коррекции часов».");
}

}  // namespace
}  // namespace zhv::test
