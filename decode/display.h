// The presenters: what the unit answers, shown in the window model. The
// exchange tells them through UnitDisplay; what they keep between answers
// (chart rings, echoes, the last storage status) lives in DisplayState.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "decode/answers.h"
#include "decode/charts.h"
#include "exchange/exchange.h"
#include "protocol/parameters.h"
#include "ui/window_model.h"

namespace zhv {

// Setting a check box from code runs its click handler; the presenter raises
// the box's echo first, so the handler knows the change is not the operator's.
struct Echoes {
  bool temperature = false;  // CheckBox320
  bool backupPower = false;  // CheckBox350
  bool valve = false;        // CheckBox3501
  bool voice = false;        // CheckBox360
  bool cleanAir = false;     // CheckBox1211
};

// The five configuration check boxes: the flag each shows (its box is the
// field's control), its echo, and what the unit must have for the flag to apply;
// where it does not, the box stays unchecked whatever the bit.
enum class FlagApplies { TemperatureSensor, StorageUnit, VoiceUnit, CleanAirShown };
struct FlagBox {
  const param::Field* flag;
  bool Echoes::*echo;
  FlagApplies applies;
};
inline constexpr FlagBox kFlagBoxes[] = {
    {&param::kTemperatureOff, &Echoes::temperature, FlagApplies::TemperatureSensor},
    {&param::kBackupPowerOff, &Echoes::backupPower, FlagApplies::StorageUnit},
    {&param::kValveOff, &Echoes::valve, FlagApplies::StorageUnit},
    {&param::kVoiceOff, &Echoes::voice, FlagApplies::VoiceUnit},
    {&param::kCleanAirOff, &Echoes::cleanAir, FlagApplies::CleanAirShown},
};

struct DisplayState {
  std::array<ChartRing, 4> rings{};  // Chart110, Chart120, Chart210, Chart220
  // The next set-up of a channel of the kind its charts show keeps their values
  // and marks a gap, instead of starting them afresh.
  bool chartsAcrossGap = false;
  std::array<std::uint8_t, 2> chartKinds{};  // the kind each channel's charts were set up for
  Echoes echoes;
  bool displayUpdate = false;  // the parameter block is being shown: CheckBox10210 posts nothing
  // The storage status repaints only what changed.
  std::uint8_t lastStorageFlags = 0;
  std::array<std::uint8_t, 10> lastBufferState{};
  std::array<std::uint8_t, 10> lastBufferParams{};
  // The silence word covers the mode panels of the status groups and gives
  // back what they showed.
  bool silenceShown = false;
  std::string silenceText;
  std::array<std::string, 5> coveredText{};
  std::array<TColor, 5> coveredFontColour{};
  // The gas kind each sensor channel reported when it was set up.
  std::array<std::uint8_t, 2> channelKinds{};
};

// The gas kind of a sensor channel as its editors scale and name it: channel 1
// by the displayed kind, channel 2 by what it reported when it was set up.
inline std::uint8_t ChannelKind(const PollState& poll, const DisplayState& d, int channel) {
  return channel == 0 ? poll.unit.displayedKind : d.channelKinds[1];
}

class Display : public UnitDisplay {
 public:
  Display(TForm1& f, const Link& link, const PollState& poll, const StorageJobs& jobs)
      : f_(f), link_(link), poll_(poll), jobs_(jobs) {}

  // The identification probe's answer: the product named in Panel2.
  void ShowProduct(std::uint8_t deviceType);
  // The window with no device: only the first tab, the panels quiet.
  void ShowNoDevice();
  // The tab brought forward when a unit's tabs appear, if that unit has it;
  // otherwise the first sensor tab.
  int openingPage = 1;
  // Whether the next unit's charts carry on from these, after a gap.
  void KeepChartsAcrossGap(bool keep);

  void ShowIdentification(const Frame& answer, bool revealTabs) override;
  void ShowParameters() override;
  void ShowStatus(const Frame& answer, bool setUpChannels) override;
  void ShowBaseStatus() override;
  void ShowSupplySetpoint(std::int32_t setpoint) override;
  void ShowCalibration(std::uint8_t operation, std::uint8_t errorFlags) override;
  void ShowEepromRewrite(bool failed) override;
  void ShowStorageStatus(const Frame& answer) override;
  void ShowDivider(std::int32_t divider) override;
  void ShowWriteVerdict(const param::Field& field, std::uint16_t sent, std::uint16_t held) override;
  void ShowSilence(bool answering, int seconds) override;
  void HideSilence() override;
  void Reset() override;

  DisplayState state;

 private:
  TForm1& f_;
  const Link& link_;
  const PollState& poll_;
  const StorageJobs& jobs_;
};

}  // namespace zhv
