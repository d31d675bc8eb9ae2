// The records viewer: a read-out's records, or those of a file the tool wrote,
// as a table and as a chart of the concentrations against time. The core says
// what the records are; the window sorts, filters and draws them.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace zhv {

struct RecordCell {
  std::string text;
  double number = NAN;  // what the column sorts by; NaN: sorted by the text
};

struct RecordRow {
  std::vector<RecordCell> cells;  // one per column of the view
  double time = NAN;              // seconds since 1970-01-01 00:00 as the unit's clock read (no zone); NaN: no date
  double concentration1 = NAN, concentration2 = NAN;  // NaN: the channel has none in this record
  // What the filters pick and the chart marks.
  bool exceeded = false;   // a threshold exceeded on any channel
  bool fault = false;      // a sensor fault, a link fault or a discharged battery
  bool badCheck = false;   // the record's check failed
  bool onBattery = false;  // the unit ran on its battery
};

struct RecordsView {
  std::string caption;  // the window's title
  std::string heading;  // where the records come from
  std::vector<std::string> columns;
  std::vector<RecordRow> rows;  // in the order the unit stored them
  std::string channel1, channel2;  // the channels' names with their units; channel2 empty: no second channel
  std::string status;              // a word under the table (a file's line that could not be read)
  bool statusIsError = false;
};

class IRecordsWindow {
 public:
  virtual ~IRecordsWindow() = default;
  // Shows the window with these records, replacing any it showed; returns at once.
  virtual void Show(const RecordsView& view) = 0;
};

}  // namespace zhv
