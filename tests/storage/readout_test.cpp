// The buffer read-out against the scripted fake port and the in-memory disk:
// the handlers, the blocks asked for and what reaches the file, and every way a
// read-out can end.
#include "tests/storage/fixture.h"

namespace zhv::test {
namespace {

const std::string kFile = "/data/buffer.csv";
const std::string kHeader = SpreadsheetHeader();

class ReadOut : public StorageTest {
 protected:
  // The operator chooses the file with "Открыть/Создать".
  void Choose(const std::string& name, bool overwrite, bool readable = false) {
    (overwrite ? t.f.RadioButton103112 : t.f.RadioButton103111).SetChecked(true);
    (readable ? t.f.RadioButton103122 : t.f.RadioButton103121).SetChecked(true);
    s.saveDialog.answer = name;
    t.f.Button10310.Click();
  }
  void Start(Control& mode) {
    mode.SetChecked(true);
    t.f.Button1030.Click();
  }
  // The whole buffer into a newly chosen spreadsheet.
  void ReadWhole() {
    Choose(kFile, true);
    Start(t.f.RadioButton10321);
  }
  // An addressed read-out of 100 with its first block of 16 written.
  void ReadOneBlock() {
    Choose(kFile, true);
    t.f.Edit10320.SetText("100");
    t.f.Edit10330.SetText("8006000");
    Start(t.f.RadioButton10323);
    ASSERT_TRUE(TickUntilSent());
    DeliverAt(0, 16);
    ASSERT_TRUE(TickUntilSent());
  }
  std::string Disk(const std::string& name = kFile) { return s.file.disk[name]; }
  bool FileButtons() const {
    return t.f.Button10310.Enabled() && t.f.Button10320.Enabled() && t.f.Button10330.Enabled();
  }
  // Answers an addressed request for n records (first the count, then the block).
  void DeliverAt(int first, int n) {
    Answer(cat::kReadAt, {static_cast<std::uint8_t>(n)});
    Answer(cat::kRecordsAt, Block(n, first, n));
  }
  // Answers a sequential request with n records, and their acknowledgement once it is sent.
  void DeliverNext(int first, int n) {
    Answer(cat::kReadNext, {static_cast<std::uint8_t>(n)});
    Answer(cat::kRecordsNext, Block(n, first, n));
    s.port.whenAsked.emplace_back(cat::kAckBlock, EncodeFrame(type, cat::kAckBlock, Bytes{}));
  }
  void AnswerNoMore() { Answer(cat::kReadNext, {0}); }
  // The read-out ended: file closed, buttons and editing back, trace on, status next.
  void ExpectEnded() {
    EXPECT_FALSE(s.file.open);
    EXPECT_TRUE(FileButtons());
    EXPECT_TRUE(t.f.Button1030.Enabled());
    EXPECT_FALSE(t.exchange.ReadOutRunning());
    EXPECT_FALSE(t.link.TraceOff());
    EXPECT_EQ(pending(), Pending::None);
    EXPECT_EQ(state(), State::StorageStatus);
  }
};

TEST_F(ReadOut, AddressedReadOfFortyAsksSixteenSixteenEightEachWrittenBeforeTheNextRequest) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("40");
  t.f.Edit10330.SetText("0800B000");
  Start(t.f.RadioButton10323);
  EXPECT_FALSE(FileButtons());
  EXPECT_EQ(Disk(), kHeader);  // flushed before anything is asked
  const Bytes expected[] = {{cat::kReadAt, 16, 0x00, 0xB0, 0x00, 0x08},
                            {cat::kReadAt, 16, 0x00, 0xB1, 0x00, 0x08},
                            {cat::kReadAt, 8, 0x00, 0xB2, 0x00, 0x08}};
  int first = 0;
  for (const Bytes& request : expected) {
    ASSERT_TRUE(TickUntilSent());
    ASSERT_EQ(LastRequest(), request);
    EXPECT_EQ(Disk(), kHeader + Rendered(0, first)) << "the earlier blocks are on disk before this request";
    DeliverAt(first, request[1]);
    first += request[1];
  }
  Tick(2);
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 40));
  ExpectEnded();
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение завершено, записано записей: 40");
}

TEST_F(ReadOut, StartedBeforeAnyStorageStatusAsksForTheReferenceYearFirst) {
  jobs().referenceYearKnown = false;
  jobs().referenceYear = 0;
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kStorageStatus}));
  AnswerStorageStatus();
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  DeliverNext(0, 8);
  Tick(4);
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 8));  // dated from 2020, not from year 0
}

TEST_F(ReadOut, ShortAddressedDeliveryAsksForTheRemainderJustAfterIt) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("20");
  t.f.Edit10330.SetText("8006000");
  Start(t.f.RadioButton10323);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadAt, 16, 0x00, 0x60, 0x00, 0x08}));
  DeliverAt(0, 10);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadAt, 10, 0xA0, 0x60, 0x00, 0x08}));
  Answer(cat::kReadAt, {0});  // nothing more there: the read-out ends normally
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 10));
  ExpectEnded();
}

TEST_F(ReadOut, SequentialReadOfFiveInBlocksOfFourAcknowledgesEachAndEndsThreeBelowZero) {
  Choose(kFile, true, true);
  t.f.Edit10320.SetText("5");
  Start(t.f.RadioButton10322);
  EXPECT_EQ(Disk(), "");  // the readable form has no header
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  Answer(cat::kReadNext, {4});
  Answer(cat::kRecordsNext, Block(4, 0, 4));
  Tick(2);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  EXPECT_EQ(Disk(), "") << "a block is written once its acknowledgement is answered";
  Answer(cat::kAckBlock, {});
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  EXPECT_EQ(Disk(), Rendered(0, 4, Layout::Readable));
  DeliverNext(4, 4);
  Tick(4);
  EXPECT_EQ(jobs().readOut.recordsRemaining, -3);
  EXPECT_EQ(Disk(), Rendered(0, 8, Layout::Readable));  // every record received is kept
  ExpectEnded();
}

TEST_F(ReadOut, WholeBufferReadsUntilTheUnitHasNoMore) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("1");  // not what the whole buffer mode counts
  Start(t.f.RadioButton10321);
  for (int block = 0; block < 5; ++block) {
    SCOPED_TRACE(block);
    ASSERT_TRUE(TickUntilSent());
    ASSERT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
    DeliverNext(8 * block, 8);
    ASSERT_TRUE(TickUntilSent());
    ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  }
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  AnswerNoMore();
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 40));
  ExpectEnded();
}

// The unit's count byte and the frame's length disagree: the records the frame
// carries are written, up to the count, and never a byte beyond what arrived.
TEST_F(ReadOut, RecordsWrittenAreThoseTheCountNamesAndTheFrameCarries) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  struct Case {
    int count, carried, bytesShort, written;
  };
  const Case cases[] = {
      {33, 1, 0, 1},    // a count of 33: the one record there is
      {31, 3, 0, 3},    // announces 31, carries 3 (and the stale tail of the last frame)
      {2, 2, 1, 1},     // the second record cut short by a byte
      {33, 16, 0, 16},  // a count no frame can hold: every record carried is kept
      {4, 8, 0, 4},     // fewer named than carried: only those the unit vouches for
  };
  int first = 0;
  std::string expected = kHeader;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " named, " << c.carried << " carried");
    Bytes block = Block(c.count, first, c.carried);
    block.resize(block.size() - static_cast<std::size_t>(c.bytesShort));
    Answer(cat::kReadNext, {static_cast<std::uint8_t>(c.carried)});
    Answer(cat::kRecordsNext, block);
    s.port.whenAsked.emplace_back(cat::kAckBlock, EncodeFrame(type, cat::kAckBlock, Bytes{}));
    ASSERT_TRUE(TickUntilSent());  // the acknowledgement
    ASSERT_TRUE(TickUntilSent());  // the next block request, the block written
    expected += Rendered(first, c.written);
    EXPECT_EQ(Disk(), expected);
    first += c.carried;
  }
}

TEST_F(ReadOut, AFrameBetweenTheBlockAndItsAcknowledgementDoesNotCorruptTheBlock) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  Answer(cat::kReadNext, {8});
  Answer(cat::kRecordsNext, Block(8, 0, 8));
  ASSERT_TRUE(TickUntilSent());
  ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  Answer(cat::kReadStatus, Bytes(40, 0xEE));  // a stray frame with data overwrites the received bytes
  Tick();
  EXPECT_EQ(state(), State::AckBlock);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  Answer(cat::kAckBlock, {});
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 8));
}

TEST_F(ReadOut, UnansweredBlockRequestIsRepeatedForTheSameBlock) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("40");
  Start(t.f.RadioButton10323);
  ASSERT_TRUE(TickUntilSent());
  DeliverAt(0, 16);
  ASSERT_TRUE(TickUntilSent());
  const Bytes second = LastRequest();
  ASSERT_TRUE(TickUntilSent(25));
  EXPECT_EQ(LastRequest(), second);
}

TEST_F(ReadOut, TraceIsSparedDuringTheReadOutWhileCheckBox1IsTicked) {
  for (bool ticked : {true, false}) {
    SCOPED_TRACE(ticked ? "ticked" : "not ticked");
    t.f.CheckBox1.SetChecked(ticked);
    ReadWhole();
    ASSERT_TRUE(RunUntilRequest(cat::kReadNext));
    EXPECT_EQ(t.link.TraceOff(), ticked);
    const std::size_t lines = t.f.ListBox1.Items().size();
    DeliverNext(0, 8);
    ASSERT_TRUE(TickUntilSent());
    if (ticked) {
      EXPECT_EQ(t.f.ListBox1.Items().size(), lines);
    }
    Tick(3);
    AnswerNoMore();
    Tick();
    ExpectEnded();
  }
}

// Never chosen, or chosen for appending and not there: nothing is posted and
// everything the start locked comes back.
TEST_F(ReadOut, FileThatCannotBeOpenedPostsNothing) {
  for (bool chosen : {false, true}) {
    SCOPED_TRACE(chosen ? "appending to a file that is not there" : "no file chosen");
    if (chosen) Choose(kFile, false);
    Start(t.f.RadioButton10321);
    EXPECT_EQ(t.f.Panel1030.Text(), "Невозможно открыть/создать файл");
    EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
    EXPECT_EQ(pending(), Pending::None);
    EXPECT_EQ(s.file.opens, 0);
    EXPECT_TRUE(t.f.Button1030.Enabled());  // unlocked again
    EXPECT_TRUE(FileButtons());
  }
  Choose(kFile, true);
  EXPECT_EQ(t.f.Panel1030.Text(), "");  // a new choice takes the complaint away
}

TEST_F(ReadOut, OpenModesAppendOrOverwriteAsChosenAtTheLastOpenCreate) {
  Choose(kFile, true);
  EXPECT_EQ(t.f.Panel1030.Text(), "");
  EXPECT_EQ(t.f.Edit10310.Text(), kFile);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(cat::kReadNext));
  DeliverNext(0, 2);
  Tick(4);
  AnswerNoMore();
  Tick();
  ExpectEnded();

  // "дополнение" picked without a new "Открыть/Создать": still overwritten.
  t.f.RadioButton103111.SetChecked(true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(cat::kReadNext));
  AnswerNoMore();
  Tick();
  EXPECT_EQ(Disk(), kHeader);

  // Now chosen for appending: a second header and the new records follow the first.
  Choose(kFile, false);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(cat::kReadNext, 400));
  DeliverNext(5, 1);
  Tick(4);
  AnswerNoMore();
  Tick();
  EXPECT_EQ(Disk(), kHeader + kHeader + Rendered(5, 1));
}

TEST_F(ReadOut, LayoutIsTakenAgainAtTheStart) {
  Choose(kFile, true, false);
  t.f.RadioButton103122.SetChecked(true);  // readable, after the file was chosen
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(cat::kReadNext));
  DeliverNext(0, 1);
  Tick(4);
  EXPECT_EQ(Disk(), Rendered(0, 1, Layout::Readable));
}

TEST_F(ReadOut, CancelledDialogKeepsTheFileAndTheDialogStartsAtIt) {
  Choose(kFile, true);
  s.saveDialog.answer.reset();
  t.f.Panel1030.SetText("Невозможно открыть/создать файл");
  t.f.Button10310.Click();
  EXPECT_EQ(s.saveDialog.shownWith, kFile);
  EXPECT_EQ(t.f.Edit10310.Text(), kFile);
  EXPECT_EQ(t.f.Panel1030.Text(), "");
}

TEST_F(ReadOut, CountAndAddressEntriesAreClampedNeverRefused) {
  struct Count {
    const char* typed;
    const char* shown;
    int value;
  };
  for (const Count& c : {Count{"0", "1", 1}, Count{"abc", "1", 1}, Count{"00042", "42", 42},
                         Count{"123456", "99999", 99999}, Count{"-7", "1", 1}}) {
    SCOPED_TRACE(c.typed);
    t.f.Edit10320.SetText(c.typed);
    t.f.Button10320.Click();
    EXPECT_EQ(t.f.Edit10320.Text(), c.shown);
    EXPECT_EQ(jobs().readOut.recordsRequested, c.value);
  }
  struct Address {
    const char* typed;
    const char* shown;
    std::int32_t value;
  };
  for (const Address& a : {Address{"0800B005", "800B000", 0x0800B000}, Address{"9000000", "801FFF0", 0x0801FFF0},
                           Address{"1000", "8006000", 0x08006000}, Address{"zz", "800B000", 0x0800B000},
                           Address{"0801fff8", "801FFF0", 0x0801FFF0}, Address{"FFFFFFFF", "8006000", 0x08006000}}) {
    SCOPED_TRACE(a.typed);
    t.f.Edit10330.SetText(a.typed);
    t.f.Panel1030.SetText("x");
    t.f.Button10330.Click();
    EXPECT_EQ(t.f.Edit10330.Text(), a.shown);
    EXPECT_EQ(jobs().readOut.startAddress, a.value);
    EXPECT_EQ(t.f.Panel1030.Text(), "");
  }
}

TEST_F(ReadOut, WholeBufferAfterAnAddressedReadOutReadsSequentially) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("1");
  Start(t.f.RadioButton10323);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastCommand(), cat::kReadAt);
  DeliverAt(0, 1);
  Tick(2);
  ExpectEnded();
  Start(t.f.RadioButton10321);
  EXPECT_TRUE(RunUntilRequest(cat::kReadNext));
}

// "Обновить" is never locked: pressed during a read-out its request is dropped
// by the read-out's finish, and the button must not stay disabled for good.
TEST_F(ReadOut, UpdatePressedDuringAReadOutComesBack) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  t.f.Button10242.Click();
  EXPECT_FALSE(t.f.Button10242.Enabled());
  AnswerNoMore();
  Tick();
  ExpectEnded();
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_FALSE(jobs().dividerRead || jobs().dividerWrite);
  EXPECT_FALSE(RunUntilRequest(cat::kClockDivider, 200));
}

// A control button or "Обновить" pressed before the read-out's first request
// takes the one pending slot, and a read-out started while "Вкл." runs is
// cleared by its finish: the read-out will not run, so it must not keep its
// file open and the file buttons off until some later posting.
TEST_F(ReadOut, DisplacedBeforeItBeganClosesItsFileAndGivesTheButtonsBack) {
  struct Case {
    Control* button;
    Bytes request;
  };
  for (const Case& c : {Case{&t.f.Button102, {cat::kUnitControl, cat::kArgUsbOn}},
                        Case{&t.f.Button101, {cat::kUnitControl, cat::kArgRestart}},
                        Case{&t.f.Button10242, {cat::kClockDivider, 0x00, 0x00}}}) {
    SCOPED_TRACE(c.button->Name());
    t.f.Button1.Click();  // each case on a fresh connection
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    ReadWhole();
    c.button->Click();
    ASSERT_TRUE(TickUntilSent());
    EXPECT_EQ(LastRequest(), c.request);
    EXPECT_FALSE(s.file.open);
    EXPECT_EQ(Disk(), kHeader);
    EXPECT_TRUE(FileButtons());
    EXPECT_FALSE(t.exchange.ReadOutRunning());
    EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 0");
    EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  }

  t.f.Button1.Click();
  ASSERT_NO_FATAL_FAILURE(ConnectStorage());
  t.f.Button102.Click();
  ASSERT_TRUE(TickUntilSent());
  ReadWhole();
  Answer(cat::kUnitControl, IdentificationData(0x03, cat::kGasCombined));  // USB control on: "Вкл." finishes
  ASSERT_TRUE(RunUntilRequest(cat::kReadParams));
  Answer(cat::kReadParams, Bytes(cat::kParamsAnswerLen, 0));
  EXPECT_FALSE(RunUntilRequest(cat::kReadNext, 120));
  EXPECT_FALSE(s.file.open);
  EXPECT_TRUE(FileButtons());
  EXPECT_FALSE(t.exchange.ReadOutRunning());
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 0");
}

TEST_F(ReadOut, ProgressShowsTheRecordsWrittenSoFar) {
  ReadWhole();
  EXPECT_EQ(t.f.Panel1030.Text(), "Записано записей: 0");
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  Tick(4);
  EXPECT_EQ(t.f.Panel1030.Text(), "Записано записей: 8");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::BtnFace);
}

TEST_F(ReadOut, WriteFailureStopsTheReadOutAndTheToolPollsOn) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  Tick(4);
  s.file.failFlush = true;  // the disk is full now
  DeliverNext(8, 8);
  Tick(4);
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка записи в файл, записано записей: 8");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  ExpectEnded();
  EXPECT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));  // no further block was asked for
  EXPECT_TRUE(RunUntilRequest(cat::kReadStatus));     // polling goes on
  EXPECT_TRUE(t.f.Timer1.Enabled());
}

TEST_F(ReadOut, CloseFailureIsReportedAndTheReadOutStillEnds) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  s.file.failClose = true;
  AnswerNoMore();
  Tick();
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка закрытия файла, записано записей: 0");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  ExpectEnded();
}

TEST_F(ReadOut, RefusedHeaderPostsNothing) {
  s.file.failWrite = true;
  ReadWhole();
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка записи в файл, записано записей: 0");
  EXPECT_EQ(pending(), Pending::None);
  EXPECT_FALSE(jobs().readOut.requested);
  EXPECT_FALSE(s.file.open);
  EXPECT_TRUE(FileButtons());
  EXPECT_TRUE(t.f.Button1030.Enabled());
}

// However the connection ends, the file keeps every record written and the
// next read-out starts afresh.
enum class Ending { Unplug, ResetAndRefreshTheDeviceList, FailedWrite, WindowClosed };

class Interrupted : public ReadOut, public testing::WithParamInterface<Ending> {
 protected:
  void ExpectClosedWithTheFirstBlock() {
    EXPECT_FALSE(s.file.open);
    EXPECT_EQ(Disk(), kHeader + Rendered(0, 16));
    EXPECT_TRUE(FileButtons());
    EXPECT_FALSE(t.exchange.ReadOutRunning());
    EXPECT_FALSE(t.link.TraceOff());
    EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 16");
    EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  }
  void ExpectAFreshStart() {
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    ASSERT_NO_FATAL_FAILURE(ReadOneBlock());
    EXPECT_EQ(LastRequest(), (Bytes{cat::kReadAt, 16, 0x00, 0x61, 0x00, 0x08}))
        << "the second block of a new read-out";
  }
};

TEST_P(Interrupted, FileKeepsTheRecordsWrittenAndTheNextReadOutStartsAfresh) {
  ASSERT_NO_FATAL_FAILURE(ReadOneBlock());
  switch (GetParam()) {
    case Ending::Unplug:
      s.port.lost();
      Tick();
      break;
    case Ending::ResetAndRefreshTheDeviceList:
      t.f.Button1.Click();
      break;
    case Ending::FailedWrite:
      s.port.failWrite = true;  // the block is asked again after 20 ticks, and that write fails
      Tick(25);
      ASSERT_FALSE(t.f.Timer1.Enabled());
      break;
    case Ending::WindowClosed:
      s.pump.onPump = [&] { Tick(); };
      t.FormClose();
      EXPECT_EQ(state(), State::Parked);
      ASSERT_FALSE(s.port.writes.empty());
      EXPECT_EQ(s.port.writes.back(), EncodeFrame(cat::kTypeStorage, cat::kUnitControl, Bytes{cat::kArgUsbOff}))
          << "USB control off, nothing after";
      break;
  }
  ExpectClosedWithTheFirstBlock();
  s.port.failWrite = false;
  if (GetParam() != Ending::WindowClosed) ExpectAFreshStart();
}

std::string EndingName(const testing::TestParamInfo<Ending>& info) {
  const char* names[] = {"Unplug", "ResetAndRefreshTheDeviceList", "FailedWrite", "WindowClosed"};
  return names[static_cast<int>(info.param)];
}
INSTANTIATE_TEST_SUITE_P(Endings, Interrupted,
                         testing::Values(Ending::Unplug, Ending::ResetAndRefreshTheDeviceList, Ending::FailedWrite,
                                         Ending::WindowClosed),
                         EndingName);

// The unit's next block was on its way when the port went: it arrived, so it
// is written before the connection ends.
TEST_F(ReadOut, BlockThatArrivedBeforeTheUnplugIsKept) {
  ASSERT_NO_FATAL_FAILURE(ReadOneBlock());
  DeliverAt(16, 16);
  s.port.failWrite = true;  // the device is gone: nothing more can be sent
  s.port.lost();
  Tick(3);
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(s.file.open);
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 32));
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 32");
  EXPECT_EQ(t.f.Panel1.Text(), "Прибор отключён: проверьте кабель USB");
}

TEST_F(ReadOut, BlockAwaitingItsAcknowledgementIsKeptWhenTheConnectionEnds) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  ASSERT_TRUE(TickUntilSent());  // the acknowledgement
  ASSERT_TRUE(TickUntilSent());  // the next block
  ASSERT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  Answer(cat::kReadNext, {4});
  Answer(cat::kRecordsNext, Block(4, 8, 4));  // arrives; its acknowledgement is never answered
  Tick(40);
  ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  s.port.lost();
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 12));
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 12");
}

}  // namespace
}  // namespace zhv::test
