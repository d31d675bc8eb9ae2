// The exchange record: every piece of link, exchange and display state for the
// life of the process. One instance, owned by the Tool and passed by reference.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zhv {

using Bytes256 = std::array<std::uint8_t, 256>;

// Values of one live chart: exactly 100, drawn oldest first once full.
struct ChartRing {
  std::array<double, 100> values{};
  int writePos = 0;
  int fillCount = 0;
};

struct ExchangeRecord {
  // --- port
  std::string portName;
  std::uint8_t portOpen = 0;
  std::uint8_t linkLost = 0;  // the device has gone; what it sent is still being taken

  // --- transmit
  Bytes256 request{};  // [2] command, [3] length, [4..] data
  std::uint8_t sendDeviceType = 0x00;
  Bytes256 frame{};

  // --- receive
  Bytes256 rxBuffer{};
  std::uint32_t bytesRead = 0;
  std::uint32_t readPos = 0;
  std::uint8_t rxState = 0;
  std::uint8_t rxCheck = 0;
  std::uint8_t dataIndex = 0;
  std::uint8_t rxDeviceType = 0;
  std::uint8_t rxCommand = 0;
  std::uint8_t rxLength = 0;
  Bytes256 rxData{};
  std::uint8_t frameReady = 0;
  std::int32_t interByteTimeout = 0;
  std::int32_t timeoutReload = 0;

  // --- trace
  std::string traceLine;
  std::int32_t traceLineCount = 0;
  std::uint8_t traceOff = 0;  // bit 0
  std::string logLine;        // the same frame for the session log, whatever the trace shows

  // --- port list
  std::vector<PortInfo> listedPorts;  // the set the port list was last built from

  // --- start-up and identification
  std::int32_t pollPhase = 0;  // 0 identification, 1 exchange
  std::uint8_t identified = 0;
  std::int32_t identRetry = 0;
  std::uint8_t closing = 0;
  std::int32_t closeCountdown = 0;
  std::uint8_t readOutTraceSetting = 0;

  // --- exchange state machine
  std::int32_t state = 0;
  std::int32_t pending = 0;
  std::uint8_t commandArg = 0;
  std::uint8_t initTyping = 0;  // a key has gone into the shown INIT pass phrase edit
  std::int32_t timeoutCounter = 0;
  std::uint8_t status0 = 0;
  std::uint8_t status1 = 0;
  std::uint8_t gasKind = 0;
  std::uint8_t displayedKind = 0;
  std::int32_t identValue = 0;
  std::uint8_t ident4 = 0;
  std::uint8_t ident5 = 0;
  std::array<std::uint8_t, 32> param{};  // words 0x00..0x0E, then the supply setpoint
  std::uint8_t paramOffset = 0;
  std::int32_t paramValue = 0;
  std::int32_t packetCounter = 0;
  std::uint8_t firstPass = 0;
  std::string calMessage;

  // --- value codecs
  double paramScale = 0;
  std::string entryText;
  std::uint8_t entryRejected = 0;

  // --- sensor channels
  std::array<ChartRing, 4> rings{};  // Chart110, Chart120, Chart210, Chart220
  std::uint8_t displayUpdate = 0;
  std::uint8_t echoTemperature = 0;  // CheckBox320
  std::uint8_t echoBackupPower = 0;  // CheckBox350
  std::uint8_t echoValve = 0;        // CheckBox3501
  std::uint8_t echoVoice = 0;        // CheckBox360
  std::uint8_t echoCleanAir = 0;     // CheckBox1211

  // --- storage module status
  std::uint8_t lastStorageFlags = 0;
  std::array<std::uint8_t, 10> lastBufferState{};
  std::array<std::uint8_t, 10> lastBufferParams{};
  std::uint16_t referenceYear = 0;
  std::uint8_t referenceYearKnown = 0;  // a storage status has come from this unit
  std::array<std::uint8_t, 7> clockPayload{};

  // --- storage module jobs (flag bits in exchange/catalogue.h)
  std::uint8_t clockSetFlags = 0;
  std::uint8_t storageSetupFlags = 0;
  std::uint8_t readOutFlags = 0;
  std::int32_t recordsRequested = 0;
  std::int32_t startAddress = 0;
  std::int32_t recordsRemaining = 0;
  std::int32_t nextAddress = 0;
  std::int32_t blockRecordCount = 0;
  std::uint8_t dividerFlags = 0;
  std::int32_t clockDivider = 0;
  // A sequential block is written only once its acknowledgement is answered;
  // it is kept here so no frame in between can overwrite it (length 0: none held).
  Bytes256 heldBlock{};
  std::uint8_t heldBlockLength = 0;
  std::int32_t recordsWritten = 0;  // by the running or last read-out

  // --- silence watch (exchange/silence.h)
  std::int32_t quietMs = 0;           // waited since the last accepted answer
  std::uint8_t answerAccepted = 0;    // set by the step that accepted one this tick
  std::uint8_t heardSinceAnswer = 0;  // good frames came meanwhile, none accepted
  std::uint8_t silenceShown = 0;      // the word stands in the status groups
  std::string silenceText;            // the word as shown
  std::array<std::string, 5> coveredText{};  // what the word covers, restored after it
  std::array<std::uint32_t, 5> coveredFontColour{};
};

}  // namespace zhv
