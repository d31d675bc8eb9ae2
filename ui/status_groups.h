// The group "Состояние ТКЭ" stands on each of the five device tabs with the
// same controls, numbered 1xx to 5xx; every decoder and handler of the group
// goes through this one table.
#pragma once

#include <array>

#include "ui/window_model.h"

namespace zhv {

struct StatusGroup {
  using Member = Control TForm1::*;
  Member line, variant, gas, module, version, softwareId;  // labels
  Member counter;                                          // packet counter edit
  Member mode, network;                                    // panels
  Member restart, usbOn, usbOff, counterReset;             // buttons
  Member temperature;                                      // "контроль температуры"
};

#define ZHV_STATUS_GROUP(n)                                                                   \
  StatusGroup {                                                                               \
    &TForm1::Label##n##010, &TForm1::Label##n##011, &TForm1::Label##n##051,                   \
        &TForm1::Label##n##061, &TForm1::Label##n##071, &TForm1::Label##n##073,               \
        &TForm1::Edit##n##04, &TForm1::Panel##n##01, &TForm1::Panel##n##02,                   \
        &TForm1::Button##n##01, &TForm1::Button##n##02, &TForm1::Button##n##03,               \
        &TForm1::Button##n##04, &TForm1::CheckBox##n##01                                      \
  }
// "Сенсор 1", "Сенсор 2", "Разное", "Модуль интерфейса", "Модуль накопления".
inline constexpr std::array<StatusGroup, 5> kStatusGroups{
    ZHV_STATUS_GROUP(1), ZHV_STATUS_GROUP(2), ZHV_STATUS_GROUP(3), ZHV_STATUS_GROUP(4),
    ZHV_STATUS_GROUP(5)};
#undef ZHV_STATUS_GROUP

// The same control of all five groups.
inline std::array<Control*, 5> EachGroup(TForm1& f, StatusGroup::Member StatusGroup::*which) {
  std::array<Control*, 5> out{};
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = &(f.*(kStatusGroups[i].*which));
  return out;
}

}  // namespace zhv
