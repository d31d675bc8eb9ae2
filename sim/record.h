// The deterministic records the simulated unit stores, varied so that a
// read-out meets every case the export knows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "protocol/storage_record.h"

namespace zhv::sim {

using RecordBytes = std::array<std::uint8_t, rec::kSize>;

// Sensor type codes channel 1 cycles through, the last one unknown to the tool.
inline constexpr std::array<std::uint8_t, 14> kRecordSensorTypes{1, 2, 4, 5, 11, 13, 14, 22, 23, 24, 29, 30, 0, 41};
// Records in a row that share a sensor fit.
inline constexpr std::uint32_t kRecordsPerFit = 7;

// The record the unit stores as its index-th since the buffer began, taken at the given moment.
RecordBytes MakeRecordAt(std::uint64_t index, const LocalDateTime& stamp);

// The same with the moment a buffer recording every periodS seconds from bufferStart gives it.
RecordBytes MakeRecord(std::uint32_t index, const LocalDateTime& bufferStart, int periodS);

}  // namespace zhv::sim
