// Window-system colour values of the model as Qt colours.
#pragma once

#include <QColor>
#include <QPalette>

#include "ui/control.h"

namespace zhv {

// 0x00BBGGRR; the system colours (high byte set) come from the palette.
QColor ToQColor(TColor colour, const QPalette& palette);

}  // namespace zhv
