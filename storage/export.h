// The export file of a read-out: opened with its header, each block's records
// written as they arrive, closed at the end; Panel1030 tells the operator how it goes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zhv {

struct Tool;

enum class ReadOutEnd { Complete, WriteFailed, Interrupted };

// Opens the file named in Edit10310 as the read-out flags say: at its end, or
// created or emptied; false, with the reason shown, when that cannot be done.
bool OpenExport(Tool& t);

// Starts the count of records written and, for the spreadsheet layout, writes
// an empty line and the header; false, with the reason shown and the file
// closed, when the file refuses them.
bool StartExport(Tool& t);

// Writes and flushes the records of a block: at most `count`, and only whole
// records that `length` received bytes hold. Returns how many, or -1 when the
// file refused them (the reason is shown).
std::int32_t WriteExportBlock(Tool& t, const std::uint8_t* data, std::size_t length, std::int32_t count);

// Closes the export file and shows how the read-out ended.
void CloseExport(Tool& t, ReadOutEnd how);

}  // namespace zhv
