#include "exchange/silence.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/tool.h"
#include "exchange/states.h"
#include "ui/status_groups.h"

namespace zhv {

namespace {

// Beyond days of waiting the count stops rather than wraps.
constexpr int kQuietCapMs = 1'000'000'000;

// Only the exchange with an identified unit waits on it; closing parks it.
bool Exchanging(const ExchangeRecord& r) {
  return r.portOpen == 1 && r.closing == 0 && r.pollPhase == 1 && r.state != st::kParked;
}

// Silent, or answering without doing what it is asked; and for how long.
std::string Word(const ExchangeRecord& r) {
  return std::string(r.heardSinceAnswer ? "ТКЭ отвечает, но не выполняет команду" : "Нет ответа от ТКЭ") +
         " (" + std::to_string(r.quietMs / 1000) + " с)";
}

void ShowWord(Tool& t) {
  ExchangeRecord& r = t.r;
  const auto mode = EachGroup(t.f, &StatusGroup::mode);
  if (!r.silenceShown) {
    for (std::size_t i = 0; i < mode.size(); ++i) {
      r.coveredText[i] = mode[i]->Text();
      r.coveredFontColour[i] = mode[i]->FontColour();
    }
    r.silenceShown = 1;
  }
  r.silenceText = Word(r);
  for (Control* c : mode) {
    c->SetText(r.silenceText);
    c->SetFontColour(clr::Red);
  }
}

// What the word covered comes back, unless the answer has written something newer.
void HideWord(Tool& t) {
  ExchangeRecord& r = t.r;
  if (!std::exchange(r.silenceShown, 0)) return;
  const auto mode = EachGroup(t.f, &StatusGroup::mode);
  for (std::size_t i = 0; i < mode.size(); ++i) {
    if (mode[i]->Text() != r.silenceText) continue;
    mode[i]->SetText(r.coveredText[i]);
    mode[i]->SetFontColour(r.coveredFontColour[i]);
  }
}

}  // namespace

void NoteAnswer(ExchangeRecord& r) { r.answerAccepted = 1; }

void NoteRefusal(ExchangeRecord& r) {
  r.answerAccepted = 0;
  r.heardSinceAnswer = 1;
}

void NoteFrame(ExchangeRecord& r) { r.heardSinceAnswer = 1; }

void WatchSilence(Tool& t) {
  ExchangeRecord& r = t.r;
  if (std::exchange(r.answerAccepted, 0) != 0) {
    r.quietMs = 0;
    r.heardSinceAnswer = 0;
    HideWord(t);
    return;
  }
  if (!Exchanging(r)) return;
  r.quietMs = std::min(r.quietMs + std::max(1, t.f.Timer1.Interval()), kQuietCapMs);
  if (r.quietMs >= kSilenceNoticeMs) ShowWord(t);
}

void ResetSilence(Tool& t) {
  ExchangeRecord& r = t.r;
  HideWord(t);
  r.quietMs = 0;
  r.answerAccepted = 0;
  r.heardSinceAnswer = 0;
}

}  // namespace zhv
