// The buffer read-out against the scripted fake port and the in-memory disk:
// the handlers, the blocks asked for and what reaches the file, and every way a
// read-out can end.
#include "exchange/storage_jobs.h"
#include "storage/readout.h"
#include "tests/storage/fixture.h"

namespace zhv::test {
namespace {

const std::string kFile = "/data/buffer.csv";
const std::string kHeader = SpreadsheetHeader();

struct ReadOut : FakeUnit {
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
  std::string Disk(const std::string& name = kFile) { return s.file.disk[name]; }
  bool FileButtons() const {
    return t.f.Button10310.Enabled() && t.f.Button10320.Enabled() && t.f.Button10330.Enabled();
  }
  // Answers an addressed request for n records (first the count, then the block).
  void DeliverAt(int first, int n) {
    Answer(0x50, {static_cast<std::uint8_t>(n)});
    Answer(0x54, Block(n, first, n));
  }
  // Answers a sequential request with n records and the acknowledgement after it.
  void DeliverNext(int first, int n) {
    Answer(0x40, {static_cast<std::uint8_t>(n)});
    Answer(0x44, Block(n, first, n));
    Answer(0x48, {});
  }
  // The read-out ended: file closed, buttons and editing back, trace on, status next.
  void ExpectEnded() {
    EXPECT_FALSE(s.file.open);
    EXPECT_TRUE(FileButtons());
    EXPECT_TRUE(t.f.Button1030.Enabled());
    EXPECT_EQ(t.r.readOutFlags & 0x30, 0);
    EXPECT_EQ(t.r.traceOff, 0);
    EXPECT_EQ(t.r.pending, 0);
    EXPECT_EQ(t.r.state, 19);
  }
};

TEST_F(ReadOut, AddressedReadOfFortyAsksSixteenSixteenEightEachWrittenBeforeTheNextRequest) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("40");
  t.f.Edit10330.SetText("0800B000");
  Start(t.f.RadioButton10323);
  EXPECT_FALSE(FileButtons());
  EXPECT_EQ(Disk(), kHeader);  // flushed before anything is asked
  const Bytes expected[] = {{0x50, 16, 0x00, 0xB0, 0x00, 0x08},
                            {0x50, 16, 0x00, 0xB1, 0x00, 0x08},
                            {0x50, 8, 0x00, 0xB2, 0x00, 0x08}};
  int first = 0;
  for (const Bytes& request : expected) {
    ASSERT_TRUE(TickUntilSent());
    EXPECT_EQ(LastRequest(), request);
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
  t.r.referenceYearKnown = 0;
  t.r.referenceYear = 0;
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x4C}));
  AnswerStorageStatus();
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x40}));
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
  EXPECT_EQ(LastRequest(), (Bytes{0x50, 16, 0x00, 0x60, 0x00, 0x08}));
  DeliverAt(0, 10);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x50, 10, 0xA0, 0x60, 0x00, 0x08}));
  Answer(0x50, {0});  // nothing more there: the read-out ends normally
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
  EXPECT_EQ(LastRequest(), (Bytes{0x40}));
  Answer(0x40, {4});
  Answer(0x44, Block(4, 0, 4));
  Tick(2);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x48}));
  EXPECT_EQ(Disk(), "") << "a block is written once its acknowledgement is answered";
  Answer(0x48, {});
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x40}));
  EXPECT_EQ(Disk(), Rendered(0, 4, Layout::Readable));
  DeliverNext(4, 4);
  Tick(4);
  EXPECT_EQ(t.r.recordsRemaining, -3);
  EXPECT_EQ(Disk(), Rendered(0, 8, Layout::Readable));  // every record received is kept
  ExpectEnded();
}

TEST_F(ReadOut, WholeBufferReadsUntilTheUnitHasNoMore) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("1");  // not what the whole buffer mode counts
  Start(t.f.RadioButton10321);
  for (int block = 0; block < 5; ++block) {
    ASSERT_TRUE(TickUntilSent());
    ASSERT_EQ(LastRequest(), (Bytes{0x40})) << block;
    DeliverNext(8 * block, 8);
    ASSERT_TRUE(TickUntilSent());
    ASSERT_EQ(LastRequest(), (Bytes{0x48})) << block;
  }
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x40}));
  Answer(0x40, {0});
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 40));
  ExpectEnded();
}

// The unit's count byte and the frame's length disagree: the records the frame
// carries are written, up to the count, and never a byte beyond what arrived.
TEST_F(ReadOut, RecordsWrittenAreThoseTheCountNamesAndTheFrameCarries) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
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
    Bytes block = Block(c.count, first, c.carried);
    block.resize(block.size() - static_cast<std::size_t>(c.bytesShort));
    Answer(0x40, {static_cast<std::uint8_t>(c.carried)});
    Answer(0x44, block);
    Answer(0x48, {});
    ASSERT_TRUE(TickUntilSent());  // the acknowledgement
    ASSERT_TRUE(TickUntilSent());  // the next block request, the block written
    expected += Rendered(first, c.written);
    EXPECT_EQ(Disk(), expected) << c.count << " named, " << c.carried << " carried";
    first += c.carried;
  }
}

TEST_F(ReadOut, AFrameBetweenTheBlockAndItsAcknowledgementDoesNotCorruptTheBlock) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  Answer(0x40, {8});
  Answer(0x44, Block(8, 0, 8));
  ASSERT_TRUE(TickUntilSent());
  ASSERT_EQ(LastRequest(), (Bytes{0x48}));
  Answer(0x20, Bytes(40, 0xEE));  // a stray frame with data overwrites the received bytes
  Tick();
  EXPECT_EQ(t.r.state, 31);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{0x48}));
  Answer(0x48, {});
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
    t.f.CheckBox1.SetChecked(ticked);
    Choose(kFile, true);
    Start(t.f.RadioButton10321);
    ASSERT_TRUE(RunUntilRequest(0x40));
    EXPECT_EQ(t.r.traceOff, ticked ? 1 : 0);
    const std::size_t lines = t.f.ListBox1.Items().size();
    DeliverNext(0, 8);
    ASSERT_TRUE(TickUntilSent());
    if (ticked) {
      EXPECT_EQ(t.f.ListBox1.Items().size(), lines);
    }
    Tick(3);
    Answer(0x40, {0});
    Tick();
    ExpectEnded();
  }
}

TEST_F(ReadOut, OpenModesAppendOrOverwriteAsChosenAtTheLastOpenCreate) {
  Choose(kFile, false);
  Start(t.f.RadioButton10321);  // append to a file that is not there
  EXPECT_EQ(t.f.Panel1030.Text(), "Невозможно открыть/создать файл");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_TRUE(t.f.Button1030.Enabled());  // unlocked again
  EXPECT_TRUE(FileButtons());

  Choose(kFile, true);
  EXPECT_EQ(t.f.Panel1030.Text(), "");
  EXPECT_EQ(t.f.Edit10310.Text(), kFile);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(0x40));
  DeliverNext(0, 2);
  Tick(4);
  Answer(0x40, {0});
  Tick();
  ExpectEnded();

  // "дополнение" picked without a new "Открыть/Создать": still overwritten.
  t.f.RadioButton103111.SetChecked(true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(0x40));
  Answer(0x40, {0});
  Tick();
  EXPECT_EQ(Disk(), kHeader);

  // Now chosen for appending: a second header and the new records follow the first.
  Choose(kFile, false);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(0x40, 400));
  DeliverNext(5, 1);
  Tick(4);
  Answer(0x40, {0});
  Tick();
  EXPECT_EQ(Disk(), kHeader + kHeader + Rendered(5, 1));
}

TEST_F(ReadOut, LayoutIsTakenAgainAtTheStart) {
  Choose(kFile, true, false);
  t.f.RadioButton103122.SetChecked(true);  // readable, after the file was chosen
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(0x40));
  DeliverNext(0, 1);
  Tick(4);
  EXPECT_EQ(Disk(), Rendered(0, 1, Layout::Readable));
}

TEST_F(ReadOut, NoFileChosenCannotBeOpened) {
  t.f.Button1030.Click();
  EXPECT_EQ(t.f.Panel1030.Text(), "Невозможно открыть/создать файл");
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_EQ(s.file.opens, 0);
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
    t.f.Edit10320.SetText(c.typed);
    t.f.Button10320.Click();
    EXPECT_EQ(t.f.Edit10320.Text(), c.shown) << c.typed;
    EXPECT_EQ(t.r.recordsRequested, c.value) << c.typed;
  }
  struct Address {
    const char* typed;
    const char* shown;
    std::int32_t value;
  };
  for (const Address& a : {Address{"0800B005", "800B000", 0x0800B000}, Address{"9000000", "801FFF0", 0x0801FFF0},
                           Address{"1000", "8006000", 0x08006000}, Address{"zz", "800B000", 0x0800B000},
                           Address{"0801fff8", "801FFF0", 0x0801FFF0}, Address{"FFFFFFFF", "8006000", 0x08006000}}) {
    t.f.Edit10330.SetText(a.typed);
    t.f.Panel1030.SetText("x");
    t.f.Button10330.Click();
    EXPECT_EQ(t.f.Edit10330.Text(), a.shown) << a.typed;
    EXPECT_EQ(t.r.startAddress, a.value) << a.typed;
    EXPECT_EQ(t.f.Panel1030.Text(), "");
  }
}

TEST_F(ReadOut, WholeBufferAfterAnAddressedReadOutReadsSequentially) {
  Choose(kFile, true);
  t.f.Edit10320.SetText("1");
  Start(t.f.RadioButton10323);
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest()[0], 0x50);
  DeliverAt(0, 1);
  Tick(2);
  ExpectEnded();
  Start(t.f.RadioButton10321);
  EXPECT_TRUE(RunUntilRequest(0x40));
}

// "Обновить" is never locked: pressed during a read-out its request is dropped
// by the read-out's finish, and the button must not stay disabled for good.
TEST_F(ReadOut, UpdatePressedDuringAReadOutComesBack) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  t.f.Button10242.Click();
  EXPECT_FALSE(t.f.Button10242.Enabled());
  Answer(0x40, {0});
  Tick();
  ExpectEnded();
  EXPECT_TRUE(t.f.Button10242.Enabled());
  EXPECT_EQ(t.r.dividerFlags, 0);
  EXPECT_FALSE(RunUntilRequest(0x38, 200));
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
  for (const Case& c : {Case{&t.f.Button102, {0x10, 0x01}}, Case{&t.f.Button101, {0x10, 0x02}},
                        Case{&t.f.Button10242, {0x38, 0x00, 0x00}}}) {
    SCOPED_TRACE(c.button->Name());
    t.f.Button1.Click();  // each case on a fresh connection
    Connect();
    Choose(kFile, true);
    Start(t.f.RadioButton10321);
    c.button->Click();
    ASSERT_TRUE(TickUntilSent());
    EXPECT_EQ(LastRequest(), c.request);
    EXPECT_FALSE(s.file.open);
    EXPECT_EQ(Disk(), kHeader);
    EXPECT_TRUE(FileButtons());
    EXPECT_EQ(t.r.readOutFlags & 0x30, 0);
    EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 0");
    EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  }

  t.f.Button1.Click();
  Connect();
  t.f.Button102.Click();
  ASSERT_TRUE(TickUntilSent());
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  Answer(0x10, {0x03, 0x21, 130, 27 << 2, 0x34, 0x12});  // USB control on: "Вкл." finishes
  ASSERT_TRUE(RunUntilRequest(0x60));
  Answer(0x60, Bytes(30, 0));
  EXPECT_FALSE(RunUntilRequest(0x40, 120));
  EXPECT_FALSE(s.file.open);
  EXPECT_TRUE(FileButtons());
  EXPECT_EQ(t.r.readOutFlags & 0x30, 0);
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 0");
}

TEST_F(ReadOut, ProgressShowsTheRecordsWrittenSoFar) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  EXPECT_EQ(t.f.Panel1030.Text(), "Записано записей: 0");
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  Tick(4);
  EXPECT_EQ(t.f.Panel1030.Text(), "Записано записей: 8");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::BtnFace);
}

TEST_F(ReadOut, WriteFailureStopsTheReadOutAndTheToolPollsOn) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  Tick(4);
  s.file.failFlush = true;  // the disk is full now
  DeliverNext(8, 8);
  Tick(4);
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка записи в файл, записано записей: 8");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  ExpectEnded();
  EXPECT_EQ(LastRequest(), (Bytes{0x48}));  // no further block was asked for
  EXPECT_TRUE(RunUntilRequest(0x20));       // polling goes on
  EXPECT_TRUE(t.f.Timer1.Enabled());
}

TEST_F(ReadOut, CloseFailureIsReportedAndTheReadOutStillEnds) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  s.file.failClose = true;
  Answer(0x40, {0});
  Tick();
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка закрытия файла, записано записей: 0");
  EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  ExpectEnded();
}

TEST_F(ReadOut, RefusedHeaderPostsNothing) {
  s.file.failWrite = true;
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  EXPECT_EQ(t.f.Panel1030.Text(), "Ошибка записи в файл, записано записей: 0");
  EXPECT_EQ(t.r.pending, 0);
  EXPECT_EQ(t.r.readOutFlags & 0x10, 0);
  EXPECT_FALSE(s.file.open);
  EXPECT_TRUE(FileButtons());
  EXPECT_TRUE(t.f.Button1030.Enabled());
}

// However the connection ends, the file keeps every record written and the
// next read-out starts afresh.
struct Interrupted : ReadOut {
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
  void ExpectClosedWithTheFirstBlock() {
    EXPECT_FALSE(s.file.open);
    EXPECT_EQ(Disk(), kHeader + Rendered(0, 16));
    EXPECT_TRUE(FileButtons());
    EXPECT_EQ(t.r.readOutFlags & 0x30, 0);
    EXPECT_EQ(t.r.traceOff, 0);
    EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 16");
    EXPECT_EQ(t.f.Panel1030.Colour(), clr::Red);
  }
  void ExpectAFreshStart() {
    Connect();
    ReadOneBlock();
    EXPECT_EQ(LastRequest(), (Bytes{0x50, 16, 0x00, 0x61, 0x00, 0x08})) << "the second block of a new read-out";
  }
};

TEST_F(Interrupted, Unplug) {
  ReadOneBlock();
  s.port.lost();
  Tick();
  ExpectClosedWithTheFirstBlock();
  ExpectAFreshStart();
}

// The unit's next block was on its way when the port went: it arrived, so it
// is written before the connection ends.
TEST_F(Interrupted, BlockThatArrivedBeforeTheUnplugIsKept) {
  ReadOneBlock();
  DeliverAt(16, 16);
  s.port.failWrite = true;  // the device is gone: nothing more can be sent
  s.port.lost();
  Tick(3);
  EXPECT_FALSE(t.f.Timer1.Enabled());
  EXPECT_FALSE(s.file.open);
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 32));
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 32");
  EXPECT_EQ(t.f.Panel1.Text(), "Ошибка доступа к порт COM3");
}

TEST_F(Interrupted, ResetAndRefreshTheDeviceList) {
  ReadOneBlock();
  t.f.Button1.Click();
  ExpectClosedWithTheFirstBlock();
  ExpectAFreshStart();
}

TEST_F(Interrupted, FailedWrite) {
  ReadOneBlock();
  s.port.failWrite = true;  // the block is asked again after 20 ticks, and that write fails
  Tick(25);
  ASSERT_FALSE(t.f.Timer1.Enabled());
  ExpectClosedWithTheFirstBlock();
  s.port.failWrite = false;
  ExpectAFreshStart();
}

TEST_F(Interrupted, BlockAwaitingItsAcknowledgementIsKept) {
  Choose(kFile, true);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(TickUntilSent());
  DeliverNext(0, 8);
  ASSERT_TRUE(TickUntilSent());
  Answer(0x40, {4});
  Answer(0x44, Block(4, 8, 4));  // arrives; its acknowledgement is never answered
  Tick(40);
  ASSERT_EQ(LastRequest(), (Bytes{0x48}));
  s.port.lost();
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 12));
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение прервано, записано записей: 12");
}

TEST_F(Interrupted, WindowClosed) {
  ReadOneBlock();
  int ticks = 0;
  s.pump.onPump = [&] {
    ++ticks;
    Tick();
  };
  FormClose(t);
  EXPECT_EQ(t.r.state, 33);
  EXPECT_EQ(s.port.writes.back(), sim::EncodeFrame(0x11, 0x10, {0x00}));  // USB control off, nothing after
  ExpectClosedWithTheFirstBlock();
}

}  // namespace
}  // namespace zhv::test
