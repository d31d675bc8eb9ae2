// The settings file: written, read back and compared, field by field.
#include <bit>
#include <functional>

#include "fixture.h"
#include "settings/compare.h"
#include "settings/snapshot.h"

namespace zhv::test {
namespace {

Snapshot Sample() {
  Snapshot s;
  s.deviceType = cat::kTypeStorage;
  s.product = "ТКЭ  0x11 - резервное питание, часы, модуль сохранения";
  s.version = 130;
  s.softwareId = 0x1234;
  s.gasKind = cat::kGasCombined;
  for (std::uint8_t w = 0; w <= param::kSetpointWord; ++w) param::PutWord(s.block, w, static_cast<std::uint16_t>(0x0101 * w + 7));
  s.divider = 8000;
  s.readAt = "2024-05-17 13:45:09";
  s.port = "/dev/ttyUSB0";
  return s;
}

struct Case {
  std::string name;  // the one row that must differ
  std::function<void(Snapshot&)> change;
};

// Every field of the parameter table (its bits all turned over), the divider
// and what identifies the unit: changed alone, written, read back whole, and
// found as the one difference.
TEST(SettingsFile, EachFieldRoundTripsAndIsTheOneDifference) {
  std::vector<Case> cases;
  for (const param::Field* f : param::kFields)
    cases.push_back({f->name, [f](Snapshot& s) {
                       param::Set(s.block, *f, param::Get(s.block, *f) ^ (f->mask >> std::countr_zero(f->mask)));
                     }});
  cases.push_back({"Делитель коррекции часов", [](Snapshot& s) { s.divider = 6300; }});
  cases.push_back({"Тип устройства", [](Snapshot& s) { s.deviceType = cat::kTypeBase; }});
  cases.push_back({"Изделие", [](Snapshot& s) { s.product = "ТКЭ  0x10 - базовый блок"; }});
  cases.push_back({"Ver ПО", [](Snapshot& s) { s.version = 5; }});
  cases.push_back({"Id ПО", [](Snapshot& s) { s.softwareId = 0xBEEF; }});
  cases.push_back({"Газ", [](Snapshot& s) { s.gasKind = cat::kGasCO2Optical; }});
  const Snapshot base = Sample();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Snapshot changed = base;
    c.change(changed);
    std::string error;
    const auto loaded = ReadSnapshot(WriteSnapshot(changed), error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(*loaded, changed);
    std::vector<std::string> differing;
    for (const Comparison& row : Compare(base, *loaded))
      if (row.differs) differing.push_back(row.name);
    EXPECT_EQ(differing, std::vector<std::string>{c.name});
  }
}

// What a file must be for the tool to take it, each fault told by what it names.
TEST(SettingsFile, AFaultyFileIsRefusedSayingWhere) {
  const std::string good = WriteSnapshot(Sample());
  const auto edit = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    const auto at = text.find(from);
    return at == std::string::npos ? std::string("not found: ") + from : text.replace(at, from.size(), to);
  };
  const struct {
    std::string text, says;
  } cases[] = {
      {good.substr(0, good.size() / 2), "не JSON (строка "},
      {"{\"format\": \"что-то другое\"}", "не файл настроек"},
      {edit("\"formatVersion\": 1", "\"formatVersion\": 2"), "формата 2"},
      {edit("\"value\": \"0x0A11\"", "\"value\": \"0x0A12\""), "не совпадает со значением слова 0x0A"},
      {edit("\"word\": \"0x03\"", "\"word\": \"0x02\""), "слово 0x02 записано дважды"},
      {edit("\"Порог температуры, град.С\"", "\"Порог\""), "нет поля «Порог»"},
      {edit("\"gasKind\": 27", "\"gasKind\": 64"), "«gasKind»: ожидается целое от 0 до 63"},
      {edit("\"clockDivider\": 8000", "\"clockDivider\": -1"), "«clockDivider»"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadSnapshot(c.text, error)) << c.says;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace zhv::test
