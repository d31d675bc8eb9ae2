#include "settings/snapshot.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>

#include "decode/codecs.h"
#include "protocol/gas_kinds.h"

namespace zhv {

namespace {

// Keys in the order written, so that two files compare line by line.
using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "BToolZHV22MT: настройки блока ЖОВ-22";

std::string Hex4(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

std::string WordName(std::uint8_t word) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(word));
  return text;
}

// A hexadecimal number as "0x..", within `max`.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::uint32_t max) {
  if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
  if (ec != std::errc{} || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

// Where a parse error lies, as a person counts: line and column from 1.
std::string Place(const std::string& text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i + 1 < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {  // UTF-8: count characters
      ++column;
    }
  }
  return "строка " + std::to_string(line) + ", позиция " + std::to_string(column);
}

// Reads the file's values, each by its key; the first fault is the one told.
class Reader {
 public:
  explicit Reader(std::string& error) : error_(error) {}

  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
    return false;
  }
  const Json* Find(const Json& object, const char* key, const std::string& where) {
    if (!object.is_object() || !object.contains(key)) {
      Fail("нет «" + std::string(key) + "»" + where);
      return nullptr;
    }
    return &object.at(key);
  }
  std::optional<std::string> Text(const Json& object, const char* key, const std::string& where = "") {
    const Json* v = Find(object, key, where);
    if (!v) return std::nullopt;
    if (!v->is_string()) {
      Fail("«" + std::string(key) + "»" + where + ": ожидается текст");
      return std::nullopt;
    }
    return v->get<std::string>();
  }
  std::optional<std::uint32_t> Value(const Json& value, const std::string& name, std::uint32_t max) {
    if (!value.is_number_unsigned() || value.get<std::uint64_t>() > max) {
      Fail("«" + name + "»: ожидается целое от 0 до " + std::to_string(max) + ", а стоит " + value.dump());
      return std::nullopt;
    }
    return static_cast<std::uint32_t>(value.get<std::uint64_t>());
  }
  std::optional<std::uint32_t> Number(const Json& object, const char* key, std::uint32_t max) {
    const Json* v = Find(object, key, "");
    return v ? Value(*v, key, max) : std::nullopt;
  }
  std::optional<std::uint32_t> Hex(const Json& object, const char* key, std::uint32_t max, const std::string& where) {
    const auto text = Text(object, key, where);
    if (!text) return std::nullopt;
    const auto value = ParseHex(*text, max);
    if (!value) Fail("«" + std::string(key) + "»" + where + ": ожидается шестнадцатеричное число вида 0x.., а стоит «" + *text + "»");
    return value;
  }

 private:
  std::string& error_;
};

// A word and the fields it holds: the word's value is what is written; its
// fields are there to be read, and must agree with it.
bool ReadWord(Reader& r, const Json& entry, param::Block& block, bool (&seen)[param::kWordCount]) {
  const auto word = r.Hex(entry, "word", param::kLastWord, " в «parameters»");
  if (!word) return false;
  const std::string where = " слова " + WordName(static_cast<std::uint8_t>(*word));
  if (seen[*word]) return r.Fail("слово " + WordName(static_cast<std::uint8_t>(*word)) + " записано дважды");
  seen[*word] = true;
  const auto value = r.Hex(entry, "value", 0xFFFF, where);
  if (!value) return false;
  param::PutWord(block, static_cast<std::uint8_t>(*word), static_cast<std::uint16_t>(*value));
  const Json* fields = r.Find(entry, "fields", where);
  if (!fields) return false;
  if (!fields->is_object()) return r.Fail("«fields»" + where + ": ожидается объект");
  for (const auto& [name, shown] : fields->items()) {
    const param::Field* field = nullptr;
    for (const param::Field* f : param::kFields)
      if (f->word == *word && name == f->name) field = f;
    if (!field) return r.Fail("в слове " + WordName(static_cast<std::uint8_t>(*word)) + " нет поля «" + name + "»");
    const auto fieldValue = r.Value(shown, name, 0xFFFF);
    if (!fieldValue) return false;
    if (*fieldValue != param::Get(block, *field))
      return r.Fail("«" + name + "» = " + std::to_string(*fieldValue) + " не совпадает со значением слова " +
                    WordName(static_cast<std::uint8_t>(*word)) + " (" + Hex4(static_cast<std::uint16_t>(*value)) +
                    ", в нём " + std::to_string(param::Get(block, *field)) + ")");
  }
  return true;
}

}  // namespace

std::string DeviceTypeText(std::uint8_t type) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(type));
  return text;
}

std::string WriteSnapshot(const Snapshot& s) {
  Json unit;
  unit["deviceType"] = DeviceTypeText(s.deviceType);
  unit["product"] = s.product;
  unit["softwareVersion"] = FormatValue(0x23, s.version);
  unit["softwareId"] = Hex4(s.softwareId).substr(2);
  unit["gasKind"] = s.gasKind;
  unit["gas"] = GasKindOf(s.gasKind).name;  // for the reader; the code is what counts

  Json words = Json::array();
  for (std::uint8_t word = 0; word <= param::kLastWord; ++word) {
    Json fields = Json::object();
    for (const param::Field* f : param::kFields)
      if (f->word == word) fields[f->name] = param::Get(s.block, *f);
    Json entry;
    entry["word"] = WordName(word);
    entry["value"] = Hex4(param::Word(s.block, word));
    entry["fields"] = std::move(fields);
    words.push_back(std::move(entry));
  }

  Json file;
  file["format"] = kFormatName;
  file["formatVersion"] = kSettingsFormatVersion;
  file["readAt"] = s.readAt;
  file["port"] = s.port;
  file["unit"] = std::move(unit);
  file["parameters"] = std::move(words);
  file["supplySetpoint"] = param::Word(s.block, param::kSetpointWord);
  file["clockDivider"] = s.divider ? Json(*s.divider) : Json(nullptr);
  // A port name the system gave in another encoding must not stop the file being written.
  return file.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<Snapshot> ReadSnapshot(const std::string& text, std::string& error) {
  error.clear();
  Json file;
  try {
    file = Json::parse(text);
  } catch (const Json::parse_error& e) {
    error = "не JSON (" + Place(text, e.byte) + ")";
    return std::nullopt;
  }
  Reader r(error);
  if (!file.is_object() || !file.contains("format") || file["format"] != kFormatName) {
    r.Fail("это не файл настроек блока ЖОВ-22");
    return std::nullopt;
  }
  const auto version = r.Number(file, "formatVersion", 0xFFFF);
  if (!version) return std::nullopt;
  if (*version > kSettingsFormatVersion) {
    r.Fail("файл формата " + std::to_string(*version) + ", программа знает формат до " +
           std::to_string(kSettingsFormatVersion));
    return std::nullopt;
  }

  Snapshot s;
  const Json* unit = r.Find(file, "unit", "");
  if (!unit) return std::nullopt;
  const auto type = r.Hex(*unit, "deviceType", 0xFF, " в «unit»");
  const auto product = r.Text(*unit, "product", " в «unit»");
  const auto shownVersion = r.Text(*unit, "softwareVersion", " в «unit»");
  const auto id = r.Text(*unit, "softwareId", " в «unit»");
  const auto gas = r.Number(*unit, "gasKind", 0x3F);
  const auto readAt = r.Text(file, "readAt");
  const auto port = r.Text(file, "port");
  if (!type || !product || !shownVersion || !id || !gas || !readAt || !port) return std::nullopt;
  std::string digits = *shownVersion;
  if (const auto point = digits.find('.'); point != std::string::npos) digits.erase(point, 1);
  std::int32_t versionValue = 0;
  const auto [vEnd, vEc] = std::from_chars(digits.data(), digits.data() + digits.size(), versionValue);
  const auto idValue = ParseHex("0x" + *id, 0xFFFF);
  if (vEc != std::errc{} || vEnd != digits.data() + digits.size() || versionValue < 0 || versionValue > 0x3FF) {
    r.Fail("«softwareVersion»: ожидается версия вида 1.30, а стоит «" + *shownVersion + "»");
    return std::nullopt;
  }
  if (!idValue) {
    r.Fail("«softwareId»: ожидаются четыре шестнадцатеричные цифры, а стоит «" + *id + "»");
    return std::nullopt;
  }
  s.deviceType = static_cast<std::uint8_t>(*type);
  s.product = *product;
  s.version = versionValue;
  s.softwareId = static_cast<std::uint16_t>(*idValue);
  s.gasKind = static_cast<std::uint8_t>(*gas);
  s.readAt = *readAt;
  s.port = *port;

  const Json* words = r.Find(file, "parameters", "");
  if (!words) return std::nullopt;
  if (!words->is_array()) {
    r.Fail("«parameters»: ожидается список слов");
    return std::nullopt;
  }
  bool seen[param::kWordCount] = {};
  for (const Json& entry : *words)
    if (!ReadWord(r, entry, s.block, seen)) return std::nullopt;
  for (std::uint8_t word = 0; word <= param::kLastWord; ++word) {
    if (!seen[word]) {
      r.Fail("нет слова " + WordName(word) + " в «parameters»");
      return std::nullopt;
    }
  }
  const auto setpoint = r.Number(file, "supplySetpoint", 0xFFFF);
  if (!setpoint) return std::nullopt;
  param::PutWord(s.block, param::kSetpointWord, static_cast<std::uint16_t>(*setpoint));
  const Json* divider = r.Find(file, "clockDivider", "");
  if (!divider) return std::nullopt;
  if (!divider->is_null()) {
    const auto value = r.Value(*divider, "clockDivider", 0xFFFF);
    if (!value) return std::nullopt;
    s.divider = static_cast<std::uint16_t>(*value);
  }
  return s;
}

}  // namespace zhv
