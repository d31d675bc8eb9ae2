// The application object: the exchange record, the window model and the
// platform services, wired together. Every operation takes it by reference.
#pragma once

#include "app/record.h"
#include "platform/platform.h"
#include "ui/VisblForm.h"

namespace zhv {

struct Tool {
  explicit Tool(Platform platform);
  Tool(const Tool&) = delete;
  Tool& operator=(const Tool&) = delete;

  ExchangeRecord r;
  TForm1 f;
  TForm6 form6;
  TForm2 form2;
  Platform p;
};

inline constexpr const char* kApplicationTitle = "ЖОВ-11А1";

}  // namespace zhv
