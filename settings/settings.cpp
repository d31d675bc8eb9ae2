#include "settings/settings.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "decode/codecs.h"
#include "protocol/catalogue.h"
#include "ui/bindings.h"

namespace zhv {

namespace {

using Mark = SettingsRow::Mark;

constexpr const char* kFilter = "Настройки блока ЖОВ-22 (*.json);;Все файлы (*)";
constexpr const char* kCompareCaption = "Сравнение настроек блока с файлом";
constexpr const char* kRestoreCaption = "Восстановление настроек блока из файла";
// A command of ours that another took the place of is posted again, this often at most.
constexpr int kMaxAttempts = 3;

constexpr Click<Settings> kClicks[] = {
    {&TForm1::Button371, &Settings::Save},
    {&TForm1::Button372, &Settings::Compare},
    {&TForm1::Button373, &Settings::Restore},
};

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Stamp(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

// Field names hold commas of their own: each is quoted.
std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "«" : ", «") + n + "»";
  return text.empty() ? "нет" : text;
}

// The unit as its identification group names it, without the group's rule of dashes.
std::string ProductText(const TForm1& f) {
  const std::string& line = f.Label3010.Text();
  const auto start = line.find_first_not_of("- ");
  return (start == std::string::npos ? "" : line.substr(start)) + f.Label3011.Text();
}

}  // namespace

Settings::Settings(TForm1& f, Exchange& ex, Commands& commands, const Link& link, IDialogs& dialogs,
                   ITextFiles& files, ISettingsWindow& window, IClock& clock)
    : f_(f),
      ex_(ex),
      commands_(commands),
      link_(link),
      dialogs_(dialogs),
      files_(files),
      window_(window),
      clock_(clock) {}

void Settings::Bind() {
  BindClicks<Settings>(f_, *this, kClicks);
  window_.SetStopHandler([this] { Stop(); });
}

// A unit polled, its parameters read, and no command, read-out or job of ours under way.
bool Settings::Ready() const {
  const PollState& p = ex_.poll;
  return job_ == Job::None && link_.IsOpen() && p.firstPass && p.pending == Pending::None && !p.closing &&
         !ex_.ReadOutRunning();
}

Snapshot Settings::TakeSnapshot() const {
  const UnitInfo& u = ex_.poll.unit;
  Snapshot s;
  s.deviceType = link_.SendType();
  s.product = ProductText(f_);
  s.version = u.version;
  s.softwareId = static_cast<std::uint16_t>(u.id5 << 8 | u.id4);
  s.gasKind = u.gasKind;
  s.block = ex_.poll.param;
  s.divider = unitDivider_;
  s.readAt = Stamp(clock_.Now());
  s.port = link_.PortName();
  return s;
}

void Settings::Tell(const std::string& text, TColor colour) {
  f_.Panel370.SetText(text);
  f_.Panel370.SetColour(colour);
}

void Settings::Save() {
  if (!Ready()) return;
  const Snapshot now = TakeSnapshot();
  std::string name = lastFile_;
  if (name.empty())
    name = "настройки_ТКЭ_" + Hex2(static_cast<std::uint8_t>(now.softwareId >> 8)) +
           Hex2(static_cast<std::uint8_t>(now.softwareId & 0xFF)) + ".json";
  if (!dialogs_.ChooseFileToSave(name, kFilter)) return;
  lastFile_ = fileName_ = name;
  // The dialog kept the window alive: the unit may have gone or got busy meanwhile.
  if (!Ready()) return Tell("Блок занят или отключён: не сохранено", clr::Red);
  Begin(Job::Save);
}

void Settings::Compare() {
  if (Ready() && ChooseAndLoad()) Begin(Job::Compare);
}

void Settings::Restore() {
  if (!Ready() || commands_.lock.Locked() || !ChooseAndLoad()) return;
  const std::uint8_t type = link_.SendType();
  const std::uint8_t gas = ex_.poll.unit.gasKind;
  if (file_.deviceType == type && file_.gasKind == gas) return Begin(Job::Restore);
  unitDivider_.reset();
  unit_ = TakeSnapshot();
  rows_ = zhv::Compare(unit_, file_);
  items_.clear();
  total_ = 0;
  caption_ = kRestoreCaption;
  Tell("Файл другого блока: не восстановлено", clr::Red);
  Show("Восстановление невозможно: файл " + BaseName(fileName_) + " снят с блока " + UnitTypeText(file_.deviceType) +
           ", газ " + GasKindText(file_.gasKind) + ", а подключён блок " + UnitTypeText(type) + ", газ " +
           GasKindText(gas) + ".",
       true);
}

bool Settings::ChooseAndLoad() {
  std::string name = lastFile_;
  if (!dialogs_.ChooseFileToOpen(name, kFilter)) return false;
  lastFile_ = fileName_ = name;
  std::string text, error;
  std::optional<Snapshot> loaded;
  if (files_.Load(name, text, error)) loaded = ReadSnapshot(text, error);
  if (!loaded) {
    rows_.clear();
    items_.clear();
    total_ = 0;
    caption_ = kCompareCaption;
    Tell("Файл не прочитан", clr::Red);
    Show("Файл " + BaseName(name) + " не прочитан: " + error, true);
    return false;
  }
  if (!Ready()) {
    Tell("Блок занят или отключён", clr::Red);
    return false;
  }
  file_ = *loaded;
  return true;
}

// A unit with the storage module has its clock divider read first: the tool
// knows it only from the unit's last answer.
void Settings::Begin(Job job) {
  job_ = job;
  step_ = Step::ReadingDivider;
  unitDivider_.reset();
  dividerArrived_ = false;
  items_.clear();
  total_ = 0;
  if (link_.SendType() != cat::kTypeStorage) return Continue();
  commands_.clock.ReadDivider();
  Tell("Чтение делителя коррекции часов…", clr::BtnFace);
}

void Settings::Continue() {
  switch (job_) {
    case Job::Save: return FinishSave();
    case Job::Compare: return FinishCompare();
    case Job::Restore: return StartRestore();
    case Job::None: return;
  }
}

void Settings::FinishSave() {
  job_ = Job::None;
  std::string error;
  if (files_.Save(fileName_, WriteSnapshot(TakeSnapshot()), error))
    Tell("Сохранено: " + BaseName(fileName_), clr::PortOpen);
  else
    Tell("Не сохранено: " + error, clr::Red);
}

void Settings::FinishCompare() {
  job_ = Job::None;
  unit_ = TakeSnapshot();
  rows_ = zhv::Compare(unit_, file_);
  caption_ = kCompareCaption;
  const auto differing = std::count_if(rows_.begin(), rows_.end(), [](const Comparison& c) { return c.differs; });
  if (differing == 0) {
    Tell("Совпадает с файлом", clr::PortOpen);
    return Show("Настройки блока совпадают с файлом.", false);
  }
  Tell("Отличий: " + std::to_string(differing), clr::Yellow);
  Show("Отличий: " + std::to_string(differing) + " (отмечены цветом).", false);
}

void Settings::StartRestore() {
  // The question below keeps the window alive, and its ticks come here meanwhile.
  step_ = Step::Asking;
  unit_ = TakeSnapshot();
  rows_ = zhv::Compare(unit_, file_);
  caption_ = kRestoreCaption;
  items_.clear();
  std::string list, refused;
  std::vector<TickItem> ticks;
  std::vector<std::size_t> ticked;  // the items the ticks stand for
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const Comparison& c = rows_[i];
    if (!c.differs || !c.Writable()) continue;
    const std::string change = c.name + ": " + c.unit + " → " + c.file;
    Item item;
    item.row = i;
    // A hand-edited file may hold what no entry could: it is not written, as a typed one would not be.
    const auto [low, high] = c.divider ? std::pair<std::int64_t, std::int64_t>{cat::kDividerMin, cat::kDividerMax}
                                       : std::pair<std::int64_t, std::int64_t>{c.field->min, c.field->max};
    if (c.fileValue < low || c.fileValue > high) {
      item.write = false;
      item.mark = Mark::Failed;
      item.outcome = "не записывается: допустимо " + std::to_string(low) + ".." + std::to_string(high);
      refused += "\n    " + change + " (" + item.outcome + ")";
    } else if (c.Calibration()) {
      item.write = false;
      item.mark = Mark::Skipped;
      item.outcome = "не отмечено";
      ticks.push_back({change, false});
      ticked.push_back(items_.size());
    } else {
      list += "\n    " + change;
    }
    items_.push_back(std::move(item));
  }
  const auto writes = [this] {
    return std::count_if(items_.begin(), items_.end(), [](const Item& it) { return it.write; });
  };
  if (writes() == 0 && ticks.empty()) {
    job_ = Job::None;
    if (items_.empty()) {
      Tell("Совпадает с файлом", clr::PortOpen);
      return Show("Записывать нечего: настройки блока совпадают с файлом.", false);
    }
    Tell("Записывать нечего", clr::Red);
    return Show("Записывать нечего: отличия файла в блок не записываются (см. столбец «Запись»).", true);
  }

  std::string question = "Восстановить настройки блока из файла " + BaseName(fileName_) + "?";
  if (!list.empty()) question += "\n\nБудут записаны, по одному:" + list;
  if (!refused.empty()) question += "\n\nНе будут записаны:" + refused;
  if (!ticks.empty())
    question += "\n\nНапряжения и отметки отстрела задаёт отстрел; они записываются, только если их отметить:";
  Show("Ожидается подтверждение.", false);
  const bool yes = dialogs_.AskWithTicks(question, ticks, false);
  // The question kept the window alive: the unit may have gone meanwhile.
  if (job_ != Job::Restore) return;
  if (!yes || !link_.IsOpen() || ex_.poll.pending != Pending::None) {
    job_ = Job::None;
    Tell("Восстановление отменено", clr::BtnFace);
    return Show("Восстановление отменено: ничего не записано.", false);
  }
  for (std::size_t k = 0; k < ticks.size(); ++k) {
    if (!ticks[k].ticked) continue;
    Item& item = items_[ticked[k]];
    item.write = true;
    item.mark = Mark::Differs;
    item.outcome.clear();
  }
  total_ = static_cast<int>(writes());
  if (total_ == 0) {
    job_ = Job::None;
    Tell("Ничего не отмечено", clr::BtnFace);
    return Show("Ничего не записано: не отмечено ни одного поля.", false);
  }
  for (Item& item : items_)
    if (item.write) item.outcome = "ожидает";
  step_ = Step::Writing;
  done_ = finished_ = 0;
  stopping_ = false;
  commands_.lock.Hold(true);
  current_ = 0;
  while (!items_[current_].write) ++current_;
  PostItem();
}

void Settings::PostItem() {
  Item& item = items_[current_];
  const Comparison& c = rows_[item.row];
  item.mark = Mark::Writing;
  item.outcome = "записывается…";
  ++item.attempts;
  answered_ = reread_ = false;
  if (c.divider)
    commands_.clock.WriteDivider(static_cast<std::int32_t>(c.fileValue));
  else
    commands_.editors.WriteField(*c.field, c.fileValue);
  Tell("Восстановление: " + std::to_string(finished_ + 1) + " из " + std::to_string(total_), clr::BtnFace);
  Show("Записывается " + std::to_string(finished_ + 1) + " из " + std::to_string(total_) + ": " + c.name, false);
}

void Settings::CheckItem() {
  Item& item = items_[current_];
  const Comparison& c = rows_[item.row];
  if (!answered_) {
    if (ex_.poll.pending != Pending::None) return;  // under way
    // Another command ("Вкл.", "ReStart ТКЭ") took the slot before ours was sent.
    if (item.attempts < kMaxAttempts) return PostItem();
    item.mark = Mark::Failed;
    item.outcome = "не записано: команду вытесняли другие";
    return NextItem();
  }
  // The parameter block read after the write is what confirms a word. The
  // divider and the setpoint are in no read: their answer says what the unit keeps.
  if (ex_.poll.pending != Pending::None || (!c.divider && !reread_)) return;
  std::uint32_t kept = answeredValue_;
  if (c.field && c.field->word != param::kSetpointWord) kept = param::Get(ex_.poll.param, *c.field);
  // The unit's column shows what the unit keeps now.
  Comparison& row = rows_[item.row];
  row.unit = c.divider ? FormatValue(4, static_cast<std::int32_t>(kept)) : ShowField(*c.field, kept, unit_.gasKind);
  row.differs = kept != c.fileValue;
  if (!row.differs) {
    item.mark = Mark::Written;
    item.outcome = "записано";
    ++done_;
  } else {
    item.mark = Mark::Failed;
    item.outcome = "не подтверждено: блок хранит " + row.unit;
  }
  NextItem();
}

void Settings::NextItem() {
  ++finished_;
  do ++current_;
  while (current_ < items_.size() && !items_[current_].write);
  if (current_ < items_.size() && !stopping_) return PostItem();

  std::vector<std::string> left;
  for (std::size_t i = current_; i < items_.size(); ++i) {
    if (!items_[i].write) continue;
    items_[i].mark = Mark::Skipped;
    items_[i].outcome = "не записано: остановлено";
    left.push_back(rows_[items_[i].row].name);
  }
  const std::vector<std::string> failed = NamesOf(Mark::Failed);
  const std::string count = std::to_string(done_) + " из " + std::to_string(total_);
  if (!left.empty())
    return EndRestore("Остановлено оператором: записано " + count + "; не записаны: " + Join(left) + ".",
                      "Остановлено: записано " + count, !failed.empty());
  if (failed.empty()) return EndRestore("Восстановлено полей: " + count + ".", "Восстановлено: " + count, false);
  EndRestore("Записано " + count + "; не подтверждены блоком: " + Join(failed) + ".", "Не подтверждено: " +
             std::to_string(failed.size()), true);
}

void Settings::EndRestore(const std::string& status, const std::string& panelText, bool error) {
  job_ = Job::None;
  commands_.lock.Hold(false);
  commands_.lock.Apply();
  Tell(panelText, error ? clr::Red : clr::PortOpen);
  Show(status, error);
}

std::vector<std::string> Settings::NamesOf(Mark mark) const {
  std::vector<std::string> names;
  for (const Item& item : items_)
    if (item.write && item.mark == mark) names.push_back(rows_[item.row].name);
  return names;
}

void Settings::Stop() {
  if (job_ == Job::Restore && step_ == Step::Writing) {
    if (stopping_) return;
    stopping_ = true;
    return Show("Остановка: ждём ответа блока на «" + rows_[items_[current_].row].name +
                    "». Если блок не отвечает, связь прерывает «Сброс/Обновить список устройств».",
                false);
  }
}

void Settings::ConnectionEnded() {
  for (Control* b : {&f_.Button371, &f_.Button372, &f_.Button373}) b->SetEnabled(false);
  if (job_ == Job::None) return;
  const bool writing = job_ == Job::Restore && step_ == Step::Writing;
  job_ = Job::None;
  commands_.lock.Hold(false);
  Tell("Связь с блоком прервана", clr::Red);
  if (!writing) return;
  std::vector<std::string> left;
  Item& under = items_[current_];
  under.mark = Mark::Failed;
  under.outcome = "неизвестно: связь прервана во время записи";
  for (std::size_t i = current_ + 1; i < items_.size(); ++i) {
    if (!items_[i].write) continue;
    items_[i].mark = Mark::Skipped;
    items_[i].outcome = "не записано: связь прервана";
    left.push_back(rows_[items_[i].row].name);
  }
  Show("Связь с блоком прервана во время восстановления. Записаны: " + Join(NamesOf(Mark::Written)) +
           ". Неизвестно, записано ли: «" + rows_[under.row].name + "». Не записаны: " + Join(left) + ".",
       true);
}

void Settings::Tick() {
  if (job_ != Job::None) {
    if (step_ == Step::Writing) {
      CheckItem();
    } else if (step_ == Step::ReadingDivider && ex_.poll.pending == Pending::None) {
      if (dividerArrived_) {
        Continue();
      } else {  // another command took the divider read's place
        commands_.clock.ReadDivider();
      }
    }
  }
  const bool ready = Ready();
  f_.Button371.SetEnabled(ready);
  f_.Button372.SetEnabled(ready);
  f_.Button373.SetEnabled(ready && !commands_.lock.Locked());
}

void Settings::WordAnswered(std::uint8_t, std::uint16_t value) {
  if (job_ != Job::Restore || step_ != Step::Writing) return;
  answered_ = true;
  answeredValue_ = value;
}

void Settings::DividerAnswered(std::int32_t divider) {
  if (job_ == Job::None) return;
  if (step_ == Step::ReadingDivider) {
    unitDivider_ = static_cast<std::uint16_t>(divider);
    dividerArrived_ = true;
  } else {
    answered_ = true;
    answeredValue_ = static_cast<std::uint16_t>(divider);
  }
}

void Settings::ParametersRead() {
  if (answered_) reread_ = true;
}

std::string Settings::Heading() const {
  std::string text = "Файл: " + BaseName(fileName_);
  if (rows_.empty()) return text;
  return "Блок: " + UnitTypeText(unit_.deviceType) + " на порту " + unit_.port + ", сейчас.  " + text +
         ": прочитан " + file_.readAt + " с порта " + file_.port + ".";
}

void Settings::Show(const std::string& status, bool error) {
  SettingsView v;
  v.caption = caption_;
  v.heading = Heading();
  for (const Comparison& c : rows_) v.rows.push_back({c.name, c.unit, c.file, c.differs ? Mark::Differs : Mark::Same, ""});
  for (const Item& item : items_) {
    v.rows[item.row].mark = item.mark;
    v.rows[item.row].outcome = item.outcome;
  }
  v.status = status;
  v.statusIsError = error;
  if (total_ > 0) {
    v.done = finished_;
    v.total = total_;
  }
  v.stoppable = job_ == Job::Restore && step_ == Step::Writing && !stopping_;
  window_.Show(v);
}

}  // namespace zhv
