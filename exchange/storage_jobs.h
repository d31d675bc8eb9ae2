// The storage module's jobs: setting the clock, changing the storage set-up and
// reading the record buffer out (one chain, pending command 22, run in that
// order), and reading or setting the clock divider (34). Each ends by asking
// for the storage status.
#pragma once

#include <cstdint>

namespace zhv {

struct Tool;

// One tick of a storage job state (22 to 32, 34, 35).
void StorageJobTick(Tool& t);

// The data byte of the set-up request, read from the two check boxes.
std::uint8_t StorageSetupByte(const Tool& t);

// "Обновить" is not locked, so it can post over a command under way, whose
// finish then drops the divider request: the button must come back.
void DropUnsentDivider(Tool& t);

// A requested read-out that has lost the pending slot before it began will not
// run: its file is closed and the file buttons come back.
void DropUnstartedReadOut(Tool& t);

// The connection has ended: a read-out under way closes its file with what it
// wrote and gives the file buttons back, and no job is left for the next unit.
void DropStorageJobs(Tool& t);

}  // namespace zhv
