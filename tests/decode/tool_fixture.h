// A fresh tool with fake platform services for each decoder test.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "app/tool.h"
#include "decode/ServTKE.h"
#include "platform/fakes.h"

namespace zhv {

class DecoderTest : public ::testing::Test {
 protected:
  // Writes received data bytes: {index, value} pairs.
  void Data(std::initializer_list<std::pair<int, int>> bytes) {
    for (auto [i, v] : bytes) t.r.rxData[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
  }
  void DataWord(int at, int word) { Data({{at, word & 0xFF}, {at + 1, (word >> 8) & 0xFF}}); }
  void ParamWord(int n, int word) {
    t.r.param[static_cast<std::size_t>(2 * n)] = static_cast<std::uint8_t>(word & 0xFF);
    t.r.param[static_cast<std::size_t>(2 * n + 1)] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
  }

  fake::Services s;
  Tool t{s.platform()};
};

}  // namespace zhv
