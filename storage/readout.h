// The operator's side of a buffer read-out: choosing the file and its layout,
// which records to read, the start, how far it has got, and the stop. The
// storage job states read the blocks; the export file writes them. What those
// states tell the storage tab comes through here.
#pragma once

#include <cstdint>
#include <string>

#include "commands/clock.h"
#include "commands/lock.h"
#include "exchange/exchange.h"
#include "platform/platform.h"
#include "storage/export.h"
#include "storage/viewer.h"
#include "ui/window_model.h"

namespace zhv {

// "Записано 1200 из 6656 (18 %), осталось 27 с": the records written, out of the
// total when it is known (0: not known), and the time left at the pace so far.
std::string ProgressText(std::int32_t written, std::int32_t total, std::int64_t elapsedMs);

class ReadOut : public StorageEvents {
 public:
  ReadOut(TForm1& f, Exchange& ex, EditingLock& lock, Clock& clock, const Platform& p)
      : exportFile(f, p.file, p.workbooks, p.dialogs, p.clock, ex.jobs.referenceYear),
        viewer(f, exportFile, p.dialogs, p.textFiles, p.workbooks, p.recordsWindow),
        f_(f),
        ex_(ex),
        lock_(lock),
        clock_(clock),
        dialog_(p.saveDialog) {}

  // Binds the five buttons of the group "Чтение модуля накопления".
  void Bind();

  void ChooseFile();    // "Открыть/Создать"
  void ApplyCount();    // "Применить" the count
  void ApplyAddress();  // "Применить" the address
  void Start();         // "Выполнить чтение буфера и запись в файл"
  // The layout chosen in "Вид файла".
  Layout ChosenLayout() const;
  // "Остановить чтение": the read-out ends once the block in hand is on disk and,
  // read in sequence, freed.
  void Stop();
  // Each poll tick of `tickMs`: while a read-out runs, the progress and its bar,
  // or for a while the word that a command pressed meanwhile was not carried out.
  void Follow(int tickMs);
  // The records expected in all: the count asked for, or for the whole buffer the
  // count of the last storage status; more once more are written. 0: not known.
  std::int32_t ExpectedTotal() const;

  // "Открыть/Создать" and the two "Применить": off while a read-out runs.
  void SetFileButtons(bool enabled);

  ClockEntry ReadClockEntry() override { return clock_.ReadClockEntry(); }
  std::uint8_t SetupByte() override { return clock_.SetupByte(); }
  BlockWritten WriteBlock(std::span<const std::uint8_t> block, std::int32_t first, std::int32_t count) override {
    return exportFile.WriteBlock(block, first, count);
  }
  void CloseReadOut(ReadOutEnd how) override;
  void ReadOutOver() override;

  ExportFile exportFile;
  RecordsViewer viewer;
  // The open mode chosen with "Открыть/Создать" holds until the next press,
  // whatever the radio buttons show meanwhile.
  bool overwrite = false;

 private:
  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  Clock& clock_;
  ISaveDialog& dialog_;
  std::int64_t elapsedMs_ = 0;  // since the start
  int noticeMs_ = 0;            // the refusal word stays this much longer
};

}  // namespace zhv
