// Small helpers the decoders share for writing controls.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/control.h"

namespace zhv::show {

// Compares before building a string, so a fixed text that is already shown
// costs nothing on the status path.
inline void Text(Control& c, std::string_view text) {
  if (c.Text() != text) c.SetText(std::string(text));
}

template <std::size_t N>
void Text(const std::array<Control*, N>& controls, std::string_view text) {
  for (Control* c : controls) Text(*c, text);
}

template <std::size_t N>
void FontColour(const std::array<Control*, N>& controls, TColor colour) {
  for (Control* c : controls) c->SetFontColour(colour);
}

inline const char* Bit(bool set) { return set ? "1" : "0"; }

// Little-endian word of two consecutive bytes.
template <std::size_t N>
std::int32_t Word(const std::array<std::uint8_t, N>& bytes, std::size_t at) {
  return bytes[at] + 256 * bytes[at + 1];
}

}  // namespace zhv::show
