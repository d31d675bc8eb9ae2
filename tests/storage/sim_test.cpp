// Every storage job tick by tick against the simulated unit in-process: whole
// read-outs compared record by record with the unit's buffer, the unit's
// faults, and the clock, set-up and divider reaching the unit.
#include <array>
#include <vector>

#include "storage/records.h"
#include "storage/viewer.h"
#include "storage/workbook.h"
#include "tests/fixture.h"

namespace zhv::test {
namespace {

const std::string kFile = "/data/unit.csv";

// Equal texts, or the first line where they part (a whole buffer is too long to print).
testing::AssertionResult SameText(const std::string& actual, const std::string& expected) {
  if (actual == expected) return testing::AssertionSuccess();
  std::size_t at = 0, line = 1;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) line += actual[at++] == '\n';
  const auto around = [at](const std::string& text) {
    const std::size_t from = text.rfind('\n', at == 0 ? 0 : at - 1);
    return text.substr(from == std::string::npos ? 0 : from + 1, 160);
  };
  return testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size()
                                     << ", first difference in line " << line << ":\n  actual:   "
                                     << around(actual) << "\n  expected: " << around(expected);
}

class SimJobs : public SimTest {
 protected:
  // Under USB control, so the storage buttons work, and the storage status read.
  void StartStorage(sim::Options o = UnitOptions()) {
    ASSERT_NO_FATAL_FAILURE(Start(o));
    ASSERT_TRUE(TickUntil([this] { return t().f.Button1030.Enabled() && poll().pending == Pending::None; }, 500));
    ASSERT_EQ(t().exchange.jobs.referenceYear, 2020);
  }
  template <class F>
  bool TickUntil(F done, int limit) {
    for (int i = 0; i < limit && !done(); ++i) Tick();
    return done();
  }
  bool UntilNothingPending(int limit = 100) {
    return TickUntil([this] { return poll().pending == Pending::None; }, limit);
  }

  std::vector<sim::RecordBytes> Buffer(std::size_t from, std::size_t count) {
    std::vector<sim::RecordBytes> out;
    for (std::size_t i = from; i < from + count; ++i) out.push_back(unit.Record(i));
    return out;
  }
  static std::string Expected(const std::vector<sim::RecordBytes>& records, Layout layout) {
    std::string out = layout == Layout::Spreadsheet ? SpreadsheetHeader() : "";
    for (const auto& r : records) AppendRecord(out, StorageRecord(r), 2020, layout);
    return out;
  }

  // Chooses a new file and starts a read-out in the given mode; true once it has ended.
  bool ReadOut(Control& mode, Layout layout, int limit = 100000, bool append = false) {
    TForm1& f = t().f;
    (append ? f.RadioButton103111 : f.RadioButton103112).SetChecked(true);
    (layout == Layout::Readable   ? f.RadioButton103122
     : layout == Layout::Workbook ? f.RadioButton103123
                                  : f.RadioButton103121)
        .SetChecked(true);
    s.saveDialog.answer = kFile;
    f.Button10310.Click();
    mode.SetChecked(true);
    f.Button1030.Click();
    if (poll().pending != Pending::Storage) return false;
    return UntilNothingPending(limit);
  }
  const std::string& File() { return s.file.disk[kFile]; }
};

TEST_F(SimJobs, WholeBufferSequentiallyIntoTheSpreadsheetFreesTheBuffer) {
  ASSERT_NO_FATAL_FAILURE(StartStorage());
  const auto records = Buffer(0, unit.StoredRecords());
  ASSERT_EQ(records.size(), 1280u);
  ASSERT_TRUE(ReadOut(t().f.RadioButton10321, Layout::Spreadsheet));
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Spreadsheet)));
  EXPECT_EQ(unit.StoredRecords(), 0u);
  EXPECT_EQ(unit.BlocksServed(), 160);
  EXPECT_EQ(t().f.Panel1030.Text(), "Чтение завершено, записано записей: 1280");
}

// Two read-outs into one workbook: the second adds its records after the first's,
// the hidden sheet keeps them byte for byte, and the viewer shows the last read-out.
TEST_F(SimJobs, WorkbookIsAppendedToAndTheLastReadOutIsShown) {
  ASSERT_NO_FATAL_FAILURE(StartStorage());
  const auto records = Buffer(0, 80);
  t().f.Edit10320.SetText("40");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10322, Layout::Workbook));
  EXPECT_TRUE(t().f.Button1034.Enabled());
  ASSERT_TRUE(ReadOut(t().f.RadioButton10322, Layout::Workbook, 100000, true));
  EXPECT_EQ(t().f.Panel1030.Text(), "Чтение завершено, записано записей: 40; книга дополнена, в ней записей: 80");
  std::vector<std::vector<double>> rows;
  std::vector<KeptRecord> kept;
  std::string error;
  ASSERT_TRUE(s.workbooks.ReadNumbers(kFile, kRecordsDataSheet, rows, error) && RecordsFromWorkbook(rows, kept, error));
  ASSERT_EQ(kept.size(), records.size());
  for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], (KeptRecord{records[i], 2020})) << i;

  t().f.Button1034.Click();
  ASSERT_EQ(s.recordsWindow.view.rows.size(), 40u);
  EXPECT_EQ(s.recordsWindow.view.rows[0].cells[0].text, BuildRecordsView(kept, "", "").rows[40].cells[0].text);

  // A workbook this tool did not write is not appended to, and stays as it was.
  s.workbooks.written[kFile] = Workbook{};
  EXPECT_FALSE(ReadOut(t().f.RadioButton10322, Layout::Workbook, 100000, true));
  EXPECT_EQ(t().f.Panel1030.Text(), "Книга Excel не дополняется (в книге нет листа): файл оставлен как есть, "
                                    "выберите «перезапись» или новый файл");
  EXPECT_TRUE(s.workbooks.written[kFile].sheets.empty());
}

// The unit has freed the records by the time the workbook is written: a failed
// write offers another file, and giving up says how many are still in memory.
TEST_F(SimJobs, WorkbookThatCannotBeWrittenIsOfferedAnotherFile) {
  ASSERT_NO_FATAL_FAILURE(StartStorage());
  s.workbooks.refusing = {{kFile, "нет места"}, {"/usb/unit.xlsx", "только чтение"}};
  s.dialogs.answers = {true, true, false};
  s.dialogs.fileToSave = "/usb/unit.xlsx";
  t().f.Edit10320.SetText("16");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10322, Layout::Workbook));
  ASSERT_EQ(s.dialogs.asked.size(), 3u);
  EXPECT_EQ(s.dialogs.asked[1], "Книга Excel не записана (только чтение). Записей в памяти: 16. Сохранить их в другой файл?");
  EXPECT_EQ(t().f.Panel1030.Text(), "Книга Excel не записана (только чтение), записей в памяти: 16");
  EXPECT_EQ(unit.StoredRecords(), 1280u - 16);

  s.workbooks.refusing.erase("/usb/unit.xlsx");
  s.dialogs.answers = {true};
  ASSERT_TRUE(ReadOut(t().f.RadioButton10322, Layout::Workbook));
  EXPECT_EQ(s.workbooks.written.count("/usb/unit.xlsx"), 1u);
  EXPECT_EQ(t().f.Edit10310.Text(), "/usb/unit.xlsx");
  EXPECT_EQ(t().f.Panel1030.Text(), "Чтение завершено, записано записей: 16");
}

TEST_F(SimJobs, AddressedReadOutOfTheWholeBufferIntoReadableTextFreesNothing) {
  sim::Options o = UnitOptions();
  o.storage.records = 100;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  const auto records = Buffer(0, 100);
  t().f.Edit10320.SetText("100");
  t().f.Edit10330.SetText("8006000");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10323, Layout::Readable));
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Readable)));
  EXPECT_EQ(unit.StoredRecords(), 100u);
  EXPECT_EQ(unit.BlocksServed(), 7);  // 6 x 16 + 4
}

TEST_F(SimJobs, AddressedReadOutPastTheLastRecordEndsWithWhatThereIs) {
  sim::Options o = UnitOptions();
  o.storage.records = 20;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  t().f.Edit10320.SetText("500");
  t().f.Edit10330.SetText("8006100");  // record 16
  ASSERT_TRUE(ReadOut(t().f.RadioButton10323, Layout::Spreadsheet));
  EXPECT_TRUE(SameText(File(), Expected(Buffer(16, 4), Layout::Spreadsheet)));
}

TEST_F(SimJobs, CountedSequentialReadOutTakesWholeBlocks) {
  sim::Options o = UnitOptions();
  o.storage.blockRecords = 4;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  const auto records = Buffer(0, 8);
  t().f.Edit10320.SetText("5");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10322, Layout::Spreadsheet));
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Spreadsheet)));
  EXPECT_EQ(t().exchange.jobs.readOut.recordsRemaining, -3);
  EXPECT_EQ(unit.StoredRecords(), 1280u - 8);
}

// The count byte names 17 more records than the frame carries: only records that
// arrived are written, and none is skipped or lost.
TEST_F(SimJobs, OvercountingUnitLosesNothing) {
  sim::Options o = UnitOptions();
  o.storage.records = 60;
  o.faults.overcount = true;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  const auto records = Buffer(0, 60);
  t().f.Edit10320.SetText("60");
  t().f.Edit10330.SetText("8006000");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10323, Layout::Spreadsheet));  // counts of 33 for 16
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Spreadsheet)));
  EXPECT_EQ(unit.BlocksServed(), 4);
  ASSERT_TRUE(ReadOut(t().f.RadioButton10321, Layout::Spreadsheet));  // counts of 25 for 8
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Spreadsheet)));
  EXPECT_EQ(unit.StoredRecords(), 0u);
}

TEST_F(SimJobs, UnitGoneQuietMidReadOutIsAskedAgainUntilTheOperatorResets) {
  sim::Options o = UnitOptions();
  o.faults.silentAfterBlocks = 3;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  const auto records = Buffer(0, 24);
  EXPECT_FALSE(ReadOut(t().f.RadioButton10321, Layout::Spreadsheet, 2000));
  int acknowledgements = 0, requests = 0;
  for (const sim::WrittenFrame& w : port.Written()) {
    acknowledgements += w.bytes.size() > 2 && w.bytes[2] == cat::kAckBlock;
    requests += w.bytes.size() > 2 && w.bytes[2] == cat::kReadNext;
  }
  // The third block's acknowledgement unanswered: never repeated, the next block asked for without limit.
  EXPECT_EQ(acknowledgements, 3);
  EXPECT_GT(requests, 50);
  t().f.Button1.Click();
  EXPECT_FALSE(s.file.open);
  EXPECT_TRUE(SameText(File(), Expected(records, Layout::Spreadsheet)));
  EXPECT_EQ(t().f.Panel1030.Text(), "Прервано, записано 24; последние могут прийти снова");
  EXPECT_TRUE(t().f.Button10310.Enabled());
}

TEST_F(SimJobs, UnplugMidReadOutKeepsEveryRecordReceived) {
  sim::Options o = UnitOptions();
  o.faults.hangUpAfterBlocks = 5;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  t().f.Edit10320.SetText("1000");
  t().f.Edit10330.SetText("8006000");
  ASSERT_TRUE(ReadOut(t().f.RadioButton10323, Layout::Spreadsheet, 2000));  // ended by the unplug
  EXPECT_FALSE(t().f.Timer1.Enabled());
  EXPECT_EQ(t().f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
  EXPECT_FALSE(s.file.open);
  // The fifth block arrived just before the port went: it is there with the four before it.
  EXPECT_TRUE(SameText(File(), Expected(Buffer(0, 80), Layout::Spreadsheet)));
  EXPECT_EQ(t().f.Panel1030.Text(), "Чтение прервано, записано записей: 80");
  EXPECT_TRUE(t().f.Button10310.Enabled());
  EXPECT_FALSE(t().exchange.ReadOutRunning());
}

TEST_F(SimJobs, ClockSetupAndDividerReachTheUnit) {
  sim::Options o = UnitOptions();
  o.storage.setupAltAnswer = true;
  ASSERT_NO_FATAL_FAILURE(StartStorage(o));
  TForm1& f = t().f;
  const char* entry[] = {"02", "03", "2025", "04", "05", "06"};
  Control* edits[] = {&f.Edit10221, &f.Edit10222, &f.Edit10223, &f.Edit10224, &f.Edit10225, &f.Edit10226};
  for (int i = 0; i < 6; ++i) edits[i]->SetText(entry[i]);
  f.Button10221.Click();
  ASSERT_TRUE(UntilNothingPending());
  const LocalDateTime now = unit.ClockNow();
  EXPECT_EQ((std::array<int, 5>{now.year, now.month, now.day, now.hour, now.minute}),
            (std::array<int, 5>{2025, 3, 2, 4, 5}));

  f.CheckBox10236.SetChecked(true);
  f.Button10230.Click();
  ASSERT_TRUE(UntilNothingPending());  // answered with the alternative frame
  EXPECT_EQ(unit.StoredRecords(), 0u);

  f.Edit1024.SetText("7000");
  f.Button10241.Click();
  ASSERT_TRUE(UntilNothingPending());
  EXPECT_EQ(unit.Divider(), 7000);
  f.Edit1024.SetText("");
  f.Button10242.Click();
  ASSERT_TRUE(UntilNothingPending());
  EXPECT_EQ(f.Edit1024.Text(), "7000");
  EXPECT_TRUE(f.Button10242.Enabled());
}

}  // namespace
}  // namespace zhv::test
