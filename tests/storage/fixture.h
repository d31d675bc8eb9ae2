// What the storage tests share beyond the connected tool: a storage unit's
// answers, the records of a block, and the text those records render to.
#pragma once

#include <array>
#include <string>

#include "protocol/storage_record.h"
#include "storage/records.h"
#include "tests/fixture.h"

namespace zhv::test {

// A storage unit (type 0x11) under USB control, connected, idle, and its
// storage status known: each test posts a job and answers its requests.
class StorageTest : public ToolTest {
 protected:
  void SetUp() override { ConnectStorage(); }
  void ConnectStorage() {
    Connect();
    KnowReferenceYear();
    ASSERT_TRUE(t.f.Button1030.Enabled());
  }
  void AnswerStorageStatus() { Answer(cat::kStorageStatus, StorageStatusData(kReferenceYear)); }
  // The command of the last request; -1 when nothing was sent.
  int LastCommand() const {
    const Bytes last = LastRequest();
    return last.empty() ? -1 : last[0];
  }

  // A record that differs from its neighbours by its index.
  static std::array<std::uint8_t, rec::kSize> TestRecord(int index) {
    std::array<std::uint8_t, rec::kSize> r{};
    r[rec::kIntegrity] = static_cast<std::uint8_t>(index % 7 == 0);
    r[rec::kStamp] = static_cast<std::uint8_t>(index);  // seconds and minutes of the time stamp
    r[rec::kStamp + 1] = static_cast<std::uint8_t>(index >> 8);
    r[rec::kUnitState] = rec::kUnitOperating;
    r[rec::kKind1] = cat::kGasCH4;
    r[rec::kConc1] = static_cast<std::uint8_t>(index);
    r[rec::kConc1 + 1] = static_cast<std::uint8_t>(index >> 8 & 0x3F);
    return r;
  }
  // A records frame's data: the count byte, an address, then the records first..first+n-1.
  static Bytes Block(int count, int first, int n) {
    Bytes d{static_cast<std::uint8_t>(count), 0x00, 0x60, 0x00, 0x08};
    for (int i = first; i < first + n; ++i) {
      const auto r = TestRecord(i);
      d.insert(d.end(), r.begin(), r.end());
    }
    return d;
  }
  // The file text the records first..first+n-1 render to.
  static std::string Rendered(int first, int n, Layout layout = Layout::Spreadsheet,
                              std::uint16_t year = kReferenceYear) {
    std::string out;
    for (int i = first; i < first + n; ++i) {
      const auto r = TestRecord(i);
      AppendRecord(out, StorageRecord(r), year, layout);
    }
    return out;
  }
};

}  // namespace zhv::test
