// The unit's settings saved to a file, compared with one, and restored from
// one: the group "Настройки блока" on the tab "Разное" and the settings window
// beside the main one. A restore writes the differing fields one at a time
// through the commands the editors post, each confirmed by what the unit
// answers and keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "exchange/exchange.h"
#include "link/link.h"
#include "platform/platform.h"
#include "settings/compare.h"
#include "settings/snapshot.h"
#include "ui/window_model.h"

namespace zhv {

class Settings : public CommandWatch {
 public:
  Settings(TForm1& f, Exchange& ex, Commands& commands, const Link& link, IDialogs& dialogs, ITextFiles& files,
           ISettingsWindow& window, IClock& clock);

  // Binds the three buttons of the group and «Стоп» of the settings window.
  void Bind();

  void Save();     // «Сохранить настройки…»
  void Compare();  // «Сравнить с файлом…»
  void Restore();  // «Восстановить из файла…»
  void Stop();     // «Стоп»: the restore ends once the field under way is answered

  // Once per poll tick, after the exchange's step: moves a job on, and keeps
  // the buttons usable only while a unit is polled and nothing else runs.
  void Tick();
  // The connection has ended: a job under way ends and says what it did.
  void ConnectionEnded();
  bool Busy() const { return job_ != Job::None; }

  void WordAnswered(std::uint8_t word, std::uint16_t value) override;
  void DividerAnswered(std::int32_t divider) override;
  void ParametersRead() override;

  // What the tool holds of the unit now, as it would go into a file.
  Snapshot TakeSnapshot() const;

 private:
  enum class Job : std::uint8_t { None, Save, Compare, Restore };
  enum class Step : std::uint8_t { ReadingDivider, Asking, Writing };

  // One field of a restore: a row of the comparison and what became of it.
  struct Item {
    std::size_t row;
    bool write = true;  // false: listed only (not ticked, or not to be written)
    SettingsRow::Mark mark = SettingsRow::Mark::Differs;
    std::string outcome;
    int attempts = 0;
  };

  bool Ready() const;
  bool ChooseAndLoad();
  void Begin(Job job);
  void Continue();
  void FinishSave();
  void FinishCompare();
  void StartRestore();
  void PostItem();
  void CheckItem();
  void NextItem();
  void EndRestore(const std::string& status, const std::string& panelText, bool error);
  void Show(const std::string& status, bool error);
  void Tell(const std::string& text, TColor colour);
  std::string Heading() const;
  std::vector<std::string> NamesOf(SettingsRow::Mark mark) const;

  TForm1& f_;
  Exchange& ex_;
  Commands& commands_;
  const Link& link_;
  IDialogs& dialogs_;
  ITextFiles& files_;
  ISettingsWindow& window_;
  IClock& clock_;

  Job job_ = Job::None;
  Step step_ = Step::ReadingDivider;
  std::string lastFile_;  // where the file dialogs start
  std::string fileName_;
  Snapshot file_;
  std::optional<std::uint16_t> unitDivider_;
  bool dividerArrived_ = false;
  Snapshot unit_;  // the unit as it was compared
  std::vector<Comparison> rows_;
  std::string caption_;
  // The restore.
  std::vector<Item> items_;
  std::size_t current_ = 0;
  bool answered_ = false, reread_ = false;
  std::uint16_t answeredValue_ = 0;
  bool stopping_ = false;
  int total_ = 0;     // fields to write
  int finished_ = 0;  // ... of them answered (or given up)
  int done_ = 0;      // ... and confirmed
};

}  // namespace zhv
