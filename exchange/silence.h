// The unit that stops answering, or answers without doing what it is asked:
// requests go on repeating, and after a few seconds the status group of every
// tab says so. The word covers the mode panels and gives back what they showed
// with the next accepted answer.
#pragma once

namespace zhv {

struct Tool;
struct ExchangeRecord;

inline constexpr int kSilenceNoticeMs = 5000;

// The held frame is the answer the waiting state asked for.
void NoteAnswer(ExchangeRecord& r);
// ...yet it tells that the unit did not do it (USB control refused, say).
void NoteRefusal(ExchangeRecord& r);
// A frame with a good check byte has arrived, whatever it is.
void NoteFrame(ExchangeRecord& r);

// Once per tick, after the step: counts the tick's time while the exchange
// waits on the unit, shows or updates the word, and takes it away after an answer.
void WatchSilence(Tool& t);
// A new start (reset, new unit, lost port): no word, nothing counted.
void ResetSilence(Tool& t);

}  // namespace zhv
