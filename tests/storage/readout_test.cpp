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
  EXPECT_EQ(Disk(), Rendered(0, 4, Layout::Readable)) << "on disk before the acknowledgement frees it";
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

// An acknowledgement answered wrongly or not at all is never sent again: the
// unit may have freed that block, and another would free one never received.
// The next block is asked for: a unit that missed the acknowledgement sends
// the same block again (grown, maybe), which is not written twice.
TEST_F(ReadOut, UnconfirmedBlockSentAgainIsNotWrittenTwice) {
  ReadWhole();
  ASSERT_TRUE(TickUntilSent());
  Answer(cat::kReadNext, {3});
  Answer(cat::kRecordsNext, Block(3, 0, 3));
  ASSERT_TRUE(TickUntilSent());
  ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  Answer(cat::kReadStatus, Bytes(40, 0xEE));  // a stray frame
  ASSERT_TRUE(TickUntilSent());
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  DeliverNext(0, 4);  // the same block, a record stored meanwhile
  ASSERT_TRUE(TickUntilSent());
  ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
  ASSERT_TRUE(TickUntilSent(25));  // its answer: on to the next block
  EXPECT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 4));
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

// Never chosen, or refused by the system: nothing is posted and everything the
// start locked comes back.
TEST_F(ReadOut, FileThatCannotBeOpenedPostsNothing) {
  s.file.unopenable.insert(kFile);
  for (bool chosen : {false, true}) {
    SCOPED_TRACE(chosen ? "refused" : "no file chosen");
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

  // Now chosen for appending: a second header and the new records follow the first;
  // a new file chosen for appending is created, header and all.
  Choose(kFile + "2", false);
  Start(t.f.RadioButton10321);
  ASSERT_TRUE(RunUntilRequest(cat::kReadNext, 400));
  AnswerNoMore();
  Tick();
  EXPECT_EQ(Disk(kFile + "2"), kHeader);
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

// The control buttons and "Обновить" stay outside the editing lock; pressed
// during a read-out (begun or not), which a posting would displace or whose
// end would drop it, they say so in the panel and post nothing.
TEST_F(ReadOut, CommandPressedDuringAReadOutIsRefusedAndSaysSo) {
  for (Control* button : {&t.f.Button102, &t.f.Button101, &t.f.Button503, &t.f.Button10242}) {
    SCOPED_TRACE(button->Name());
    ReadWhole();
    for (bool begun : {false, true}) {
      if (begun) {
        ASSERT_TRUE(TickUntilSent());
      }
      button->Click();
      Tick();
      EXPECT_EQ(t.f.Panel1030.Text(), "Идёт чтение буфера: команда не выполнена");
      EXPECT_TRUE(button->Enabled());
      EXPECT_EQ(pending(), Pending::Storage);
    }
    DeliverNext(0, 1);
    Tick(300);  // the word stays three seconds, then the progress again
    EXPECT_EQ(t.f.Panel1030.Text(), "Записано записей: 1");
    AnswerNoMore();
    Tick();
    ExpectEnded();
    EXPECT_FALSE(RunUntilRequest(cat::kClockDivider, 150) || RunUntilRequest(cat::kUnitControl, 150));
  }
}

// A read-out started while "Вкл." runs is cleared by its finish: it will not
// run, so it must not keep its file open and the file buttons off until some
// later posting.
TEST_F(ReadOut, DisplacedBeforeItBeganClosesItsFileAndGivesTheButtonsBack) {
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

// Each block is on disk, record by record, before the acknowledgement that
// frees it goes out. A disk that fails part-way gets no acknowledgement, keeps
// only whole records, and the panel counts those.
TEST_F(ReadOut, BlocksAreOnDiskBeforeTheirAcknowledgementAndAFailingDiskGetsNone) {
  const std::size_t line = Rendered(8, 1).size(), lines = Rendered(8, 1, Layout::Readable).size();
  const std::string written = "Ошибка записи в файл, записано записей: ";
  struct Case {
    const char* name;
    Layout layout;
    std::optional<std::size_t> room;  // left on the disk once the first block is written
    int kept;                         // whole records in the file
    std::string panel;
    bool cutBackFails = false;
  };
  const Case cases[] = {
      {"disk fine", Layout::Spreadsheet, {}, 16, "Чтение завершено, записано записей: 16"},
      {"full in the third record", Layout::Spreadsheet, 2 * line + 7, 10,
       "Ошибка записи, записано 10; последние могут прийти снова"},
      {"full at the block", Layout::Spreadsheet, 0, 8, written + "8"},
      {"readable, full in a second line", Layout::Readable, lines + 40, 9,
       "Ошибка записи, записано 9; последние могут прийти снова"},
      {"no cut back", Layout::Spreadsheet, 5, 8, "Ошибка записи, записано 8; в конце файла обрывок строки", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    t.f.Button1.Click();
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    s.file.room.reset();
    s.file.failCutBack = c.cutBackFails;
    Choose(kFile, true, c.layout == Layout::Readable);
    t.f.Edit10320.SetText("16");
    Start(t.f.RadioButton10322);
    const std::string header = LayoutHeader(c.layout);
    for (int block = 0; block < 2; ++block) {
      ASSERT_TRUE(TickUntilSent());
      ASSERT_EQ(LastRequest(), (Bytes{cat::kReadNext}));
      if (block == 1) s.file.room = c.room;
      Answer(cat::kReadNext, {8});
      Answer(cat::kRecordsNext, Block(8, 8 * block, 8));
      Tick(2);
      if (state() != State::AckBlock) break;  // the disk failed: nothing is acknowledged
      EXPECT_EQ(Disk(), header + Rendered(0, 8 * block + 8, c.layout)) << "on disk before it is freed";
      ASSERT_TRUE(TickUntilSent());
      ASSERT_EQ(LastRequest(), (Bytes{cat::kAckBlock}));
      Answer(cat::kAckBlock, {});
      Tick();
    }
    ExpectEnded();
    EXPECT_EQ(t.f.Panel1030.Text(), c.panel);
    const std::string whole = header + Rendered(0, c.kept, c.layout);
    EXPECT_EQ(Disk(), c.cutBackFails ? whole + Rendered(8, 1).substr(0, 5) : whole);
  }
}

// «Остановить чтение» at any step of a block: the block in hand is written and,
// read in sequence, acknowledged; nothing is asked for after it; the file closes
// with every record received and the window is as at any end.
TEST_F(ReadOut, StopAtEachStepOfABlockEndsAfterTheBlockInHand) {
  struct Case {
    State stopIn;
    bool addressed;
    int kept;
    std::string panel;
    bool ackAnswered = true;
  };
  const std::string stopped = "Чтение остановлено, записано записей: ";
  const Case cases[] = {
      {State::ReadOut, false, 0, stopped + "0"},
      {State::AwaitReadNext, false, 8, stopped + "8"},
      {State::AwaitRecordsNext, false, 8, stopped + "8"},
      {State::AckBlock, false, 8, stopped + "8"},
      {State::AwaitAck, false, 8, stopped + "8"},
      {State::AwaitAck, false, 8, "Остановлено, записано 8; последние могут прийти снова", false},
      {State::AwaitReadAt, true, 16, stopped + "16"},
      {State::AwaitRecordsAt, true, 16, stopped + "16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "stopped in state " << static_cast<int>(c.stopIn) << (c.ackAnswered ? "" : ", unanswered"));
    t.f.Button1.Click();
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    s.port.writes.clear();
    Choose(kFile, true);
    t.f.Edit10320.SetText("100");
    Start(c.addressed ? t.f.RadioButton10323 : t.f.RadioButton10322);
    EXPECT_TRUE(t.f.Button1033.Enabled());
    // The unit answers each wait once, as the tool enters it.
    State answered = State::Identify;
    auto step = [&] {
      if (state() != answered) {
        answered = state();
        if (answered == State::AwaitReadNext) Answer(cat::kReadNext, {8});
        if (answered == State::AwaitRecordsNext) Answer(cat::kRecordsNext, Block(8, 0, 8));
        if (answered == State::AwaitAck && c.ackAnswered) Answer(cat::kAckBlock, {});
        if (answered == State::AwaitReadAt) Answer(cat::kReadAt, {16});
        if (answered == State::AwaitRecordsAt) Answer(cat::kRecordsAt, Block(16, 0, 16));
      }
      Tick();
    };
    for (int i = 0; i < 20 && state() != c.stopIn; ++i) step();
    ASSERT_EQ(state(), c.stopIn);
    t.f.Button1033.Click();
    EXPECT_FALSE(t.f.Button1033.Enabled());
    for (int i = 0; i < 40 && t.exchange.ReadOutRunning(); ++i) step();
    ExpectEnded();
    EXPECT_EQ(Disk(), kHeader + Rendered(0, c.kept));
    EXPECT_EQ(t.f.Panel1030.Text(), c.panel);
    int blockRequests = 0;
    for (const Bytes& w : s.port.writes) blockRequests += w[2] == cat::kReadNext || w[2] == cat::kReadAt;
    EXPECT_EQ(blockRequests, c.stopIn == State::ReadOut ? 0 : 1);
  }
}

// While it runs the panel counts the records written out of the total expected
// (the count asked for, or the last storage status's for the whole buffer), with
// the time left at the pace so far, and the bar moves with it.
TEST_F(ReadOut, ProgressCountsOutOfTheExpectedTotal) {
  struct Case {
    Control* mode;
    std::uint8_t statusCount;  // records in the buffer, by the storage status
    const char* shown;         // once the first block is on disk
    int barMax;                // 0: busy, no end known
  };
  const Case cases[] = {
      {&t.f.RadioButton10321, 40, "Записано 8 из 40 (20 %), осталось ", 40},
      {&t.f.RadioButton10321, 0, "Записано записей: 8", 0},
      {&t.f.RadioButton10322, 40, "Записано 8 из 100 (8 %), осталось ", 100},
      {&t.f.RadioButton10323, 0, "Записано 16 из 100 (16 %), осталось ", 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    t.f.Button1.Click();
    ASSERT_NO_FATAL_FAILURE(ConnectStorage());
    Bytes status = StorageStatusData(kReferenceYear);
    status[12] = c.statusCount;
    ASSERT_TRUE(RunUntilRequest(cat::kStorageStatus));
    Answer(cat::kStorageStatus, status);
    Choose(kFile, true);
    t.f.Edit10320.SetText("100");
    Start(*c.mode);
    ASSERT_TRUE(TickUntilSent());
    if (c.mode == &t.f.RadioButton10323) DeliverAt(0, 16);
    else DeliverNext(0, 8);
    Tick(2);
    EXPECT_TRUE(t.f.Panel1030.Text().starts_with(c.shown)) << t.f.Panel1030.Text();
    EXPECT_EQ(t.f.ProgressBar1030.Max(), c.barMax);
    EXPECT_EQ(t.f.ProgressBar1030.Position(), c.barMax ? (c.mode == &t.f.RadioButton10323 ? 16 : 8) : 0);
  }
  // The time left, from the pace so far.
  EXPECT_EQ(ProgressText(0, 40, 500), "Записано 0 из 40 (0 %)");
  EXPECT_EQ(ProgressText(8, 40, 2000), "Записано 8 из 40 (20 %), осталось 8 с");
  EXPECT_EQ(ProgressText(100, 6656, 10000), "Записано 100 из 6656 (1 %), осталось 10 мин 56 с");
  EXPECT_EQ(ProgressText(40, 40, 9000), "Записано 40 из 40 (100 %)");
}

// Closing the window during a read-out asks first; Enter keeps reading. «Да»
// stops it after the block in hand, then closes as ever.
TEST_F(ReadOut, ClosingDuringAReadOutAsksWhetherToStopItFirst) {
  s.pump.onPump = [&] { Tick(); };
  ASSERT_NO_FATAL_FAILURE(ReadOneBlock());
  EXPECT_FALSE(t.FormClose());  // the operator presses Enter
  ASSERT_EQ(s.dialogs.asked.size(), 1u);
  EXPECT_TRUE(t.exchange.ReadOutRunning());
  EXPECT_TRUE(s.port.open);
  s.dialogs.answers = {true};
  DeliverAt(16, 16);  // the block in hand
  EXPECT_TRUE(t.FormClose());
  EXPECT_FALSE(s.port.open);
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 32));
  EXPECT_EQ(t.f.Panel1030.Text(), "Чтение остановлено, записано записей: 32");
  EXPECT_EQ(s.port.writes.back(), EncodeFrame(cat::kTypeStorage, cat::kUnitControl, Bytes{cat::kArgUsbOff}));
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
enum class Ending { Unplug, ResetAndRefreshTheDeviceList, FailedWrite };

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
  }
  ExpectClosedWithTheFirstBlock();
  s.port.failWrite = false;
  ExpectAFreshStart();
}

std::string EndingName(const testing::TestParamInfo<Ending>& info) {
  const char* names[] = {"Unplug", "ResetAndRefreshTheDeviceList", "FailedWrite"};
  return names[static_cast<int>(info.param)];
}
INSTANTIATE_TEST_SUITE_P(Endings, Interrupted,
                         testing::Values(Ending::Unplug, Ending::ResetAndRefreshTheDeviceList, Ending::FailedWrite),
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

// A unit gone has no read-out left to keep on: closing does not ask, and what
// arrived before the unplug is still written.
TEST_F(ReadOut, ClosingAfterAnUnplugDoesNotAskAndKeepsWhatArrived) {
  s.pump.onPump = [&] { Tick(); };
  ASSERT_NO_FATAL_FAILURE(ReadOneBlock());
  DeliverAt(16, 16);
  s.port.failWrite = true;
  s.port.lost();
  EXPECT_TRUE(t.FormClose());
  EXPECT_TRUE(s.dialogs.asked.empty());
  EXPECT_FALSE(t.exchange.ReadOutRunning());
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 32));
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
  ASSERT_EQ(LastRequest(), (Bytes{cat::kReadNext})) << "the next block asked for";
  s.port.lost();
  Tick();
  EXPECT_EQ(Disk(), kHeader + Rendered(0, 12));
  EXPECT_EQ(t.f.Panel1030.Text(), "Прервано, записано 12; последние могут прийти снова");
}

}  // namespace
}  // namespace zhv::test
