#include <array>
#include <vector>

#include "tool_fixture.h"

namespace zhv {
namespace {

class BaseStatus : public DecoderTest {
 protected:
  // The five copies of a status group control: "#" stands for the group digit.
  std::vector<Control*> Copies(std::string pattern) {
    const auto at = pattern.find('#');
    std::vector<Control*> out;
    for (char g = '1'; g <= '5'; ++g) {
      pattern[at] = g;
      Control* c = t.f.Find(pattern);
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
    t.r.status0 = c.status0;
    ShowBaseStatus(t);
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
    t.r.status1 = c.status1;
    ShowBaseStatus(t);
    SCOPED_TRACE(int(c.status1));
    ExpectAll("Label#061", c.module);
    ExpectAll("Panel#02", c.network);
    ExpectFont("Panel#02", c.font);
  }
}

TEST_F(BaseStatus, PacketCounterHasFiveDigitsAtMost) {
  t.r.packetCounter = 42;
  ShowBaseStatus(t);
  ExpectAll("Edit#04", "00042");
  t.r.packetCounter = 123456;
  ShowBaseStatus(t);
  ExpectAll("Edit#04", "99999");
}

TEST_F(BaseStatus, IdentificationTextsByDeviceType) {
  struct Case {
    std::uint8_t type;
    const char* line;
    const char* variant;
  };
  const Case cases[] = {
      {0x10, "------------------  ТКЭ  0x10 -", " базовый блок"},
      {0x11, "------------------  ТКЭ  0x11 -", " резервное питание, часы, модуль сохранения"},
      {0x12, "------------------  ТКЭ  0x12 -", " функция голосового информирования"},
      {0x20, "------------------", ""},
  };
  for (const auto& c : cases) {
    t.r.rxDeviceType = c.type;
    ShowIdentification(t);
    SCOPED_TRACE(int(c.type));
    ExpectAll("Label#010", c.line);
    ExpectAll("Label#011", c.variant);
  }
}

TEST_F(BaseStatus, SupplyGroupOnlyForTheStorageVariant) {
  auto enabled = [&] {
    return std::array<bool, 3>{t.f.GroupBox340.Enabled(), t.f.Edit341.Enabled(), t.f.Edit342.Enabled()};
  };
  t.r.rxDeviceType = 0x10;
  ShowIdentification(t);
  EXPECT_EQ(enabled(), (std::array<bool, 3>{false, false, false}));
  t.r.rxDeviceType = 0x11;
  ShowIdentification(t);
  EXPECT_EQ(enabled(), (std::array<bool, 3>{true, true, true}));
  t.r.rxDeviceType = 0x33;  // other codes leave the state alone
  ShowIdentification(t);
  EXPECT_EQ(enabled(), (std::array<bool, 3>{true, true, true}));
  t.r.rxDeviceType = 0x12;
  ShowIdentification(t);
  EXPECT_EQ(enabled(), (std::array<bool, 3>{false, false, false}));
  t.r.rxDeviceType = 0x33;
  ShowIdentification(t);
  EXPECT_EQ(enabled(), (std::array<bool, 3>{false, false, false}));
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
    t.r.gasKind = c.kind;
    ShowIdentification(t);
    SCOPED_TRACE(int(c.kind));
    ExpectAll("Label#051", c.gas);
    EXPECT_EQ(t.f.Edit312.Text(), c.temperature);
  }
}

TEST_F(BaseStatus, SoftwareVersionAndIdentifier) {
  t.r.identValue = 0x3FF;
  t.r.ident4 = 0x34;
  t.r.ident5 = 0x12;
  ShowIdentification(t);
  ExpectAll("Label#071", "10.23");
  ExpectAll("Label#073", "1234");

  t.r.identValue = 0;
  t.r.ident4 = 0xB0;
  t.r.ident5 = 0x0A;
  ShowIdentification(t);
  ExpectAll("Label#071", "0.00");
  ExpectAll("Label#073", "0AB0");  // byte 5 first
}

TEST_F(BaseStatus, ValveVoltageAndFlagsOnThreeTabs) {
  Data({{2, 0xB0}, {3, 0x14}});  // 0x4B0, D0 = 1, D1 = 0
  ShowValveVoltage(t);
  for (Control* c : {&t.f.Edit130, &t.f.Edit230, &t.f.Edit330}) EXPECT_EQ(c->Text(), "12.00") << c->Name();
  for (Control* c : {&t.f.Edit133, &t.f.Edit233, &t.f.Edit333}) EXPECT_EQ(c->Text(), "1") << c->Name();
  for (Control* c : {&t.f.Edit132, &t.f.Edit232, &t.f.Edit332}) EXPECT_EQ(c->Text(), "0") << c->Name();

  Data({{2, 0x05}, {3, 0xEF}});  // only the low nibble of byte 3 is voltage
  ShowValveVoltage(t);
  EXPECT_EQ(t.f.Edit330.Text(), "38.45");  // 0xF05
  EXPECT_EQ(t.f.Edit333.Text(), "0");
  EXPECT_EQ(t.f.Edit332.Text(), "1");
}

TEST_F(BaseStatus, SupplyVoltagesOnlyFromTheStorageVariant) {
  Data({{4, 0x14}, {5, 0xB0}, {6, 0x9A}});  // supply 0x4B0, battery 0x19A
  t.r.rxDeviceType = 0x11;
  ShowSupplyVoltages(t);
  EXPECT_EQ(t.f.Edit341.Text(), "12.00");
  EXPECT_EQ(t.f.Edit342.Text(), "4.10");

  Data({{4, 0xFF}});
  for (std::uint8_t type : {std::uint8_t(0x10), std::uint8_t(0x12)}) {
    t.r.rxDeviceType = type;
    ShowSupplyVoltages(t);
    EXPECT_EQ(t.f.Edit341.Text(), "0,00");
    EXPECT_EQ(t.f.Edit342.Text(), "0,00");
  }
}

}  // namespace
}  // namespace zhv
