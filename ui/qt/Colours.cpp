#include "ui/qt/Colours.h"

namespace zhv {

QColor ToQColor(TColor colour, const QPalette& palette) {
  if (colour == clr::BtnFace) return palette.color(QPalette::Button);
  if (colour == clr::WindowText) return palette.color(QPalette::WindowText);
  if (colour & 0xFF000000u) return palette.color(QPalette::Button);  // other system colours
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

}  // namespace zhv
