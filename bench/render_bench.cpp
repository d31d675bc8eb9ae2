// Core time to render one storage record in each layout, over the varied
// records the simulated unit stores.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/record.h"
#include "storage/records.h"

using namespace zhv;

int main() {
  constexpr int kRecords = 6656;
  constexpr int kRounds = 30;
  std::vector<sim::RecordBytes> records;
  for (int i = 0; i < kRecords; ++i) records.push_back(sim::MakeRecord(static_cast<std::uint32_t>(i), {2024, 1, 1, 0, 0, 0}, 60));

  std::printf("render one record (%d varied records x %d rounds)\n", kRecords, kRounds);
  for (Layout layout : {Layout::Spreadsheet, Layout::Readable}) {
    std::string out;
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
      for (const auto& r : records) {
        out.clear();
        AppendRecord(out, StorageRecord(r), 2020, layout);
        bytes += out.size();
      }
    }
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("  %-11s %7.0f ns per record (%zu bytes of UTF-8 per record)\n",
                layout == Layout::Spreadsheet ? "spreadsheet" : "readable", ns / (kRecords * kRounds),
                bytes / (static_cast<std::size_t>(kRecords) * kRounds));
  }
}
