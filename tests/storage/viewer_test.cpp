// The records viewer's side in the tool: what the filters pick, and the files it opens.
#include <gtest/gtest.h>

#include "storage/viewer.h"
#include "storage/workbook.h"
#include "tests/storage/fixture.h"

namespace zhv::test {
namespace {

TEST_F(StorageTest, ViewFlagsPickTheRecordsTheFiltersNeed) {
  using namespace rec;
  struct Case {
    std::size_t at;
    std::uint8_t bits;
    bool exceeded, fault, badCheck, onBattery;
  } cases[] = {
      {kChannels, 0, false, false, false, false},
      {kChannels, kCh1Above2, true, false, false, false},
      {kChannels, kCh2Above1, false, false, false, false},  // no second channel: its bits mean nothing
      {kChannels, kCh2Present | kCh2Above1, true, false, false, false},
      {kChannels, kCh2Present | kCh2Fault, false, true, false, false},
      {kTempState, kTempAbove, false, false, false, false},
      {kTempState, kTempPresent | kTempAbove, true, false, false, false},
      {kUnitState, kUnitOperating | kUnitDischarged, false, true, false, false},
      {kUnitState, kUnitOperating | kUnitOnBattery, false, false, false, true},
      {kIntegrity, 1, false, false, true, false},
  };
  for (const Case& c : cases) {
    KeptRecord r{TestRecord(1), kReferenceYear};
    r.bytes[c.at] = c.bits;
    const RecordsView view = BuildRecordsView(std::span(&r, 1), "", "");
    ASSERT_EQ(view.rows.size(), 1u);
    const RecordRow& row = view.rows[0];
    EXPECT_EQ((std::array{row.exceeded, row.fault, row.badCheck, row.onBattery}),
              (std::array{c.exceeded, c.fault, c.badCheck, c.onBattery}))
        << c.at << " " << int(c.bits);
  }
}

// Files as an engineer may pick them: the tool's own in both kinds, damaged ones, strangers.
TEST_F(StorageTest, OpenedFilesAreShownOrRefusedNamingWhy) {
  const std::string sheet = SpreadsheetHeader() + Rendered(0, 3);
  s.textFiles.disk = {{"/in/good.csv", sheet},
                      {"/in/torn.csv", sheet + "0;15/03/2;" + "\r\n" + Rendered(3, 2)},
                      {"/in/readable.txt", Rendered(0, 3, Layout::Readable)}};
  std::vector<KeptRecord> kept;
  for (int i = 0; i < 5; ++i) kept.push_back({TestRecord(i), kReferenceYear});
  s.workbooks.written["/in/ours.xlsx"] = BuildWorkbook(kept, {}, {2026, 1, 1, 0, 0, 0});
  s.workbooks.written["/in/other.xlsx"] = Workbook{};
  struct Case {
    const char* file;
    std::size_t rows;  // 0: refused
    const char* said;  // the viewer's status, or the storage panel's refusal
  } cases[] = {
      {"/in/good.csv", 3, ""},
      {"/in/torn.csv", 5, "строка 6 не запись вида «для экспорта в Excel»; пропущено строк: 1"},
      {"/in/readable.txt", 0, "Файл записей не открыт: строка 1 не запись вида «для экспорта в Excel»"},
      {"/in/ours.xlsx", 5, ""},
      {"/in/other.xlsx", 0, "Файл записей не открыт: в книге нет листа"},
      {"/in/missing.csv", 0, "Файл записей не открыт: Отказано в доступе"},
  };
  for (const Case& c : cases) {
    s.recordsWindow.shows = 0;
    t.f.Panel1030.SetText("");
    s.dialogs.fileToOpen = c.file;
    t.f.Button1035.Click();
    EXPECT_EQ(s.recordsWindow.shows, c.rows ? 1 : 0) << c.file;
    if (!c.rows) {
      EXPECT_EQ(t.f.Panel1030.Text(), c.said) << c.file;
      continue;
    }
    EXPECT_EQ(s.recordsWindow.view.rows.size(), c.rows) << c.file;
    EXPECT_EQ(s.recordsWindow.view.status, c.said) << c.file;
    EXPECT_EQ(s.recordsWindow.view.rows[1].cells[0].text, BuildRecordsView(kept, "", "").rows[1].cells[0].text) << c.file;
  }
}

}  // namespace
}  // namespace zhv::test
