// The operator's side of a buffer read-out: choosing the file and its layout,
// which records to read, and the start. The storage job states read the blocks;
// the export file writes them. What those states tell the storage tab comes
// through here.
#pragma once

#include <cstdint>

#include "commands/clock.h"
#include "commands/lock.h"
#include "exchange/exchange.h"
#include "platform/platform.h"
#include "storage/export.h"
#include "ui/window_model.h"

namespace zhv {

class ReadOut : public StorageEvents {
 public:
  ReadOut(TForm1& f, Exchange& ex, EditingLock& lock, Clock& clock, IExportFile& file, ISaveDialog& dialog)
      : exportFile(f, file, ex.jobs.referenceYear), f_(f), ex_(ex), lock_(lock), clock_(clock), dialog_(dialog) {}

  // Binds the four buttons of the group "Чтение модуля накопления".
  void Bind();

  void ChooseFile();    // "Открыть/Создать"
  void ApplyCount();    // "Применить" the count
  void ApplyAddress();  // "Применить" the address
  void Start();         // "Выполнить чтение буфера и запись в файл"

  // "Открыть/Создать" and the two "Применить": off while a read-out runs.
  void SetFileButtons(bool enabled);

  ClockEntry ReadClockEntry() override { return clock_.ReadClockEntry(); }
  std::uint8_t SetupByte() override { return clock_.SetupByte(); }
  std::int32_t WriteBlock(std::span<const std::uint8_t> block, std::int32_t count) override {
    return exportFile.WriteBlock(block, count);
  }
  void CloseReadOut(ReadOutEnd how) override { exportFile.Close(how); }
  void ReadOutOver() override { SetFileButtons(true); }

  ExportFile exportFile;
  // The open mode chosen with "Открыть/Создать" holds until the next press,
  // whatever the radio buttons show meanwhile.
  bool overwrite = false;

 private:
  TForm1& f_;
  Exchange& ex_;
  EditingLock& lock_;
  Clock& clock_;
  ISaveDialog& dialog_;
};

}  // namespace zhv
