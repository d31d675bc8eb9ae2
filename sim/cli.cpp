#include "sim/cli.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string_view>

namespace zhv::sim {

namespace {

// Decimal, or hexadecimal after 0x: what people type for protocol codes.
std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t max) {
  int base = 10;
  std::size_t from = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    from = 2;
  }
  std::uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data() + from, end, value, base);
  if (text.empty() || ec != std::errc{} || ptr != end || value > max) return std::nullopt;
  return value;
}

// The options that order misbehaviour: what a fault line may name.
constexpr std::string_view kFaultOptions[] = {
    "--silent", "--bad-check", "--wrong-length", "--split", "--refuse-usb-on", "--cal-error",
    "--eeprom-fail", "--keep-words", "--silent-after-blocks", "--overcount", "--hangup-after-blocks"};

constexpr std::uint32_t kMaxBlocks = 1'000'000;  // far beyond a full buffer's read-out

// The largest value each numeric option takes.
std::uint32_t Limit(const std::string& option) {
  if (option == "--warm-up") return 86'400'000u;
  if (option == "--gas") return 0x3Fu;
  if (option == "--records") return StorageModule::kMaxRecords;
  if (option == "--block") return StorageModule::kMaxBlock;
  if (option == "--silent-after-blocks" || option == "--hangup-after-blocks") return kMaxBlocks;
  if (option == "--baud") return 4'000'000u;
  return 0xFFu;
}

}  // namespace

std::string ParseArguments(const std::vector<std::string>& args, ProgramOptions& out) {
  Faults& faults = out.unit.faults;
  std::string unitOption;  // the first that orders the simulated unit, which a replay has none of
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a != "--help" && a != "-h" && a != "--device" && a != "--link" && a != "--replay" && unitOption.empty())
      unitOption = a;
    const auto flag = [&](const char* name, bool& field) {
      if (a != name) return false;
      field = true;
      return true;
    };
    if (a == "--help" || a == "-h") {
      out.help = true;
      continue;
    }
    if (flag("--bad-check", faults.badCheck) || flag("--split", faults.split) ||
        flag("--refuse-usb-on", faults.refuseUsbOn) || flag("--eeprom-fail", faults.eepromFailure) ||
        flag("--overcount", faults.overcount) || flag("--setup-alt-answer", out.unit.storage.setupAltAnswer))
      continue;
    if (flag("--keep-words", faults.keepWords) || flag("--stdin-faults", out.faultsFromStdin)) continue;
    if (a == "--instant") {
      out.lineBaud = 0;
      continue;
    }

    const bool takesValue = a == "--type" || a == "--gas" || a == "--device" || a == "--link" || a == "--replay" ||
                            a == "--silent" || a == "--wrong-length" || a == "--cal-error" || a == "--warm-up" ||
                            a == "--records" || a == "--block" || a == "--silent-after-blocks" ||
                            a == "--hangup-after-blocks" || a == "--baud";
    if (!takesValue) return "неизвестный параметр: " + a;
    if (i + 1 == args.size()) return "не задано значение параметра " + a;
    const std::string& v = args[++i];
    if (a == "--device") {
      out.device = v;
      continue;
    }
    if (a == "--link") {
      out.link = v;
      continue;
    }
    if (a == "--replay") {
      out.replay = v;
      continue;
    }
    if (a == "--silent" && v == "all") {
      faults.silentAll = true;
      continue;
    }
    const auto number = ParseNumber(v, Limit(a));
    if (!number || ((a == "--block" || a == "--baud") && *number == 0))
      return "недопустимое значение параметра " + a + ": " + v;
    if (a == "--baud") {
      out.lineBaud = *number;
      continue;
    }
    const auto byte = static_cast<std::uint8_t>(*number);
    if (a == "--type") out.unit.deviceType = byte;
    else if (a == "--gas") out.unit.gasKind = byte;
    else if (a == "--silent") faults.silent.insert(byte);
    else if (a == "--wrong-length") faults.wrongLength = byte;
    else if (a == "--cal-error") faults.calibrationError = byte;
    else if (a == "--records") out.unit.storage.records = static_cast<std::uint16_t>(*number);
    else if (a == "--block") out.unit.storage.blockRecords = byte;
    else if (a == "--silent-after-blocks") faults.silentAfterBlocks = static_cast<int>(*number);
    else if (a == "--hangup-after-blocks") faults.hangUpAfterBlocks = static_cast<int>(*number);
    else out.unit.warmUpMs = *number;
  }
  if (!out.replay.empty() && !unitOption.empty()) return "параметр " + unitOption + " не сочетается с --replay";
  return {};
}

std::string ParseFaultLine(const std::string& line, Faults& out) {
  std::vector<std::string> args;
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    const bool option = word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
    if (option && std::find(std::begin(kFaultOptions), std::end(kFaultOptions), word) == std::end(kFaultOptions))
      return "не параметр неисправности: " + word;
    args.push_back(word);
  }
  ProgramOptions parsed;
  std::string error = ParseArguments(args, parsed);
  if (error.empty()) out = parsed.unit.faults;
  return error;
}

const char* UsageText() {
  return "Использование: zhv22-sim [параметры]\n"
         "Имитатор блока сигнализатора ЖОВ-22: отвечает по протоколу связи на псевдотерминале\n"
         "(его путь выводится первой строкой) или на заданном последовательном порту.\n"
         "\n"
         "  --device ПУТЬ        обслуживать последовательный порт (250000 бод, 8N2)\n"
         "  --link ПУТЬ          создать символьную ссылку на обслуживаемый путь\n"
         "  --type КОД           код типа устройства (по умолчанию 0x11)\n"
         "  --gas КОД            код вида газа (по умолчанию 27)\n"
         "  --warm-up МС         длительность прогрева после включения и перезапуска\n"
         "  --replay ФАЙЛ        вместо блока отвечать кадрами журнала сеанса (--trace-file\n"
         "                       программы настройки): на каждый запрос тем ответом, что блок\n"
         "                       дал на него в этом месте журнала, с той же задержкой\n"
         "  --baud N             на псевдотерминале отвечать не быстрее линии N бод 8N2\n"
         "                       (по умолчанию 250000: блок из 16 записей идёт 11 мс)\n"
         "  --instant            на псевдотерминале отвечать сразу, без темпа линии\n"
         "Модуль накопления:\n"
         "  --records N          записей в буфере при запуске (0..6656, по умолчанию 1280)\n"
         "  --block N            записей в блоке последовательного чтения (1..16, по умолчанию 8)\n"
         "  --setup-alt-answer   отвечать на смену параметров буфера кодом 0x0E\n"
         "Неисправности:\n"
         "  --silent КОД|all     не отвечать на команду с этим кодом (или ни на что)\n"
         "  --bad-check          неверный контрольный байт в ответах\n"
         "  --wrong-length КОД   ответ на эту команду на байт длиннее положенного\n"
         "  --split              каждый ответ приходит двумя частями\n"
         "  --refuse-usb-on      не включать USB управление\n"
         "  --cal-error ФЛАГИ    флаги ошибки в ответах на отстрел\n"
         "  --eeprom-fail        перезапись EEPROM завершается ошибкой\n"
         "  --silent-after-blocks N  после N блоков записей не отвечать на запросы чтения буфера\n"
         "  --overcount          в блоке записей число записей на 17 больше переданного\n"
         "  --hangup-after-blocks N  после N блоков записей закрыть терминал и завершиться\n"
         "  --keep-words         не менять параметры при записи, отвечать сохранённым значением\n"
         "  --stdin-faults       задавать неисправности на ходу: каждая строка стандартного ввода\n"
         "                       задаёт их заново, как параметры выше; пустая строка снимает все\n"
         "  --help               эта справка\n"
         "Коды задаются десятичными или шестнадцатеричными (0x..).\n";
}

}  // namespace zhv::sim
