// The five "Состояние ТКЭ" groups and the voltage fields, fed by the pure
// presenters straight from status bytes and parsed answers.
#include <array>
#include <string>
#include <vector>

#include "decode/decoders.h"
#include "fixture.h"

namespace zhv {
namespace {

using test::Answer32;
using test::SetData;

class BaseStatus : public ::testing::Test {
 protected:
  // The five copies of a status group control: "#" stands for the group digit.
  std::vector<Control*> Copies(std::string pattern) {
    const auto at = pattern.find('#');
    std::vector<Control*> out;
    for (char g = '1'; g <= '5'; ++g) {
      pattern[at] = g;
      Control* c = f.Find(pattern);
      EXPECT_NE(c, nullptr) << pattern;
      if (c) out.push_back(c);
    }
    return out;
  }
  // Every copy of the status group shows the same text (and font colour).
  void ExpectAll(const char* pattern, const std::string& text) {
    for (Control* c : Copies(pattern)) EXPECT_EQ(c->Text(), text) << c->Name();
  }
  void ExpectFont(const char* pattern, TColor colour) {
    for (Control* c : Copies(pattern)) EXPECT_EQ(c->FontColour(), colour) << c->Name();
  }
  void Identify(std::uint8_t deviceType, UnitInfo unit = {}) { ShowIdentificationGroups(f, deviceType, unit); }

  TForm1 f;
};

TEST_F(BaseStatus, OperatingModeByStatusByte0) {
  struct Case {
    std::uint8_t status0;
    const char* text;
    TColor font;
  };
  const Case cases[] = {
      {0x90, "Рабочий режим, низкий заряд батареи", clr::Red},  // bit 4 wins over bit 7
      {0x12, "Рабочий режим, низкий заряд батареи", clr::Red},
      {0x83, "Рабочий режим,не настроены часы/буфер хранения", clr::Red},
      {0x05, "Начальная инициализация (прогрев)", clr::WindowText},  // bit 1 clear wins
      {0x07, "USB управление включено", clr::WindowText},          // bit 0 wins over bit 2
      {0x06, "Тест пороговых устройств", clr::WindowText},
      {0x6A, "Рабочий режим", clr::WindowText},                    // bits 3, 5, 6 say nothing
  };
  for (const auto& c : cases) {
    ShowBaseStatus(f, c.status0, 0, 0);
    SCOPED_TRACE(int(c.status0));
    ExpectAll("Panel#01", c.text);
    ExpectFont("Panel#01", c.font);
  }
}

TEST_F(BaseStatus, InterfaceModuleAndNetworkState) {
  struct Case {
    std::uint8_t status1;
    const char* module;
    const char* network;
    TColor font;
  };
  const Case cases[] = {
      {0x27, "Z-wave", "Ошибка связи", clr::Red},
      {0x25, "Z-wave", "Нет подключения к сети", clr::Red},
      {0x21, "Z-wave", "", clr::WindowText},
      {0x26, "-----", "", clr::WindowText},  // no module fitted
      {0x87, "-----", "", clr::WindowText},  // unknown type
      {0x17, "-----", "", clr::WindowText},
      {0x31, "LoRa", "", clr::WindowText},
      {0x45, "NB IoT", "Нет подключения к сети", clr::Red},
      {0x51, "Bluetooth", "", clr::WindowText},
      {0x63, "RS485", "Ошибка связи", clr::Red},
      {0x71, "Velk", "", clr::WindowText},
  };
  for (const auto& c : cases) {
    ShowBaseStatus(f, 0, c.status1, 0);
    SCOPED_TRACE(int(c.status1));
    ExpectAll("Label#061", c.module);
    ExpectAll("Panel#02", c.network);
    ExpectFont("Panel#02", c.font);
  }
}

TEST_F(BaseStatus, PacketCounterHasFiveDigitsAtMost) {
  ShowBaseStatus(f, 0, 0, 42);
  ExpectAll("Edit#04", "00042");
  ShowBaseStatus(f, 0, 0, 123456);
  ExpectAll("Edit#04", "99999");
}

TEST_F(BaseStatus, IdentificationTextsByDeviceType) {
  struct Case {
    std::uint8_t type;
    const char* line;
    const char* variant;
  };
  const Case cases[] = {
      {cat::kTypeBase, "------------------  ТКЭ  0x10 -", " базовый блок"},
      {cat::kTypeStorage, "------------------  ТКЭ  0x11 -", " резервное питание, часы, модуль сохранения"},
      {cat::kTypeVoice, "------------------  ТКЭ  0x12 -", " функция голосового информирования"},
      {0x20, "------------------", ""},
  };
  for (const auto& c : cases) {
    Identify(c.type);
    SCOPED_TRACE(int(c.type));
    ExpectAll("Label#010", c.line);
    ExpectAll("Label#011", c.variant);
  }
}

TEST_F(BaseStatus, SupplyGroupOnlyForTheStorageVariant) {
  struct Step {
    std::uint8_t type;
    bool enabled;
  };
  // Other codes leave the state alone.
  const Step steps[] = {{cat::kTypeBase, false}, {cat::kTypeStorage, true}, {0x33, true},
                        {cat::kTypeVoice, false}, {0x33, false}};
  for (const Step& step : steps) {
    Identify(step.type);
    const std::array<bool, 3> enabled{f.GroupBox340.Enabled(), f.Edit341.Enabled(), f.Edit342.Enabled()};
    EXPECT_EQ(enabled, (std::array<bool, 3>{step.enabled, step.enabled, step.enabled})) << int(step.type);
  }
}

TEST_F(BaseStatus, GasNameAndTemperaturePlaceholder) {
  struct Case {
    std::uint8_t kind;
    const char* gas;
    const char* temperature;
  };
  const Case cases[] = {
      {1, "природный CH4", "XX"},   {2, "сжиженный C3H8", "XX"},   {13, "углекислый CO2", "00"},
      {33, "углекислый CO2", "00"}, {23, "угарный CO", "00"},       {27, "совмещенный CH4/CO", "00"},
      {0, "------", "XX"},          {63, "------", "XX"},
  };
  for (const auto& c : cases) {
    Identify(cat::kTypeStorage, {.gasKind = c.kind});
    SCOPED_TRACE(int(c.kind));
    ExpectAll("Label#051", c.gas);
    EXPECT_EQ(f.Edit312.Text(), c.temperature);
  }
}

TEST_F(BaseStatus, SoftwareVersionAndIdentifier) {
  Identify(cat::kTypeStorage, {.version = 0x3FF, .id4 = 0x34, .id5 = 0x12});
  ExpectAll("Label#071", "10.23");
  ExpectAll("Label#073", "1234");

  Identify(cat::kTypeStorage, {.version = 0, .id4 = 0xB0, .id5 = 0x0A});
  ExpectAll("Label#071", "0.00");
  ExpectAll("Label#073", "0AB0");  // byte 5 first
}

TEST_F(BaseStatus, ValveVoltageAndFlagsOnThreeTabs) {
  Frame answer = Answer32();
  SetData(answer, {{2, 0xB0}, {3, 0x14}});  // 0x4B0, D0 = 1, D1 = 0
  ShowValveVoltage(f, ParseStatus(answer));
  for (Control* c : {&f.Edit130, &f.Edit230, &f.Edit330}) EXPECT_EQ(c->Text(), "12.00") << c->Name();
  for (Control* c : {&f.Edit133, &f.Edit233, &f.Edit333}) EXPECT_EQ(c->Text(), "1") << c->Name();
  for (Control* c : {&f.Edit132, &f.Edit232, &f.Edit332}) EXPECT_EQ(c->Text(), "0") << c->Name();

  SetData(answer, {{2, 0x05}, {3, 0xEF}});  // only the low nibble of byte 3 is voltage
  ShowValveVoltage(f, ParseStatus(answer));
  EXPECT_EQ(f.Edit330.Text(), "38.45");  // 0xF05
  EXPECT_EQ(f.Edit333.Text(), "0");
  EXPECT_EQ(f.Edit332.Text(), "1");
}

TEST_F(BaseStatus, SupplyVoltagesOnlyFromTheStorageVariant) {
  Frame answer = Answer32();
  SetData(answer, {{4, 0x14}, {5, 0xB0}, {6, 0x9A}});  // supply 0x4B0, battery 0x19A
  ShowSupplyVoltages(f, ParseStatus(answer), cat::kTypeStorage);
  EXPECT_EQ(f.Edit341.Text(), "12.00");
  EXPECT_EQ(f.Edit342.Text(), "4.10");

  SetData(answer, {{4, 0xFF}});
  for (std::uint8_t type : {cat::kTypeBase, cat::kTypeVoice}) {
    ShowSupplyVoltages(f, ParseStatus(answer), type);
    EXPECT_EQ(f.Edit341.Text(), "0,00") << int(type);
    EXPECT_EQ(f.Edit342.Text(), "0,00") << int(type);
  }
}

}  // namespace
}  // namespace zhv
