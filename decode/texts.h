// The operator-facing texts of the status decoders, in one place.
#pragma once

namespace zhv::txt {

// --- base unit identification
inline constexpr const char* kLine10 = "------------------  ТКЭ  0x10 -";
inline constexpr const char* kLine11 = "------------------  ТКЭ  0x11 -";
inline constexpr const char* kLine12 = "------------------  ТКЭ  0x12 -";
inline constexpr const char* kLineOther = "------------------";
inline constexpr const char* kVariant10 = " базовый блок";
inline constexpr const char* kVariant11 = " резервное питание, часы, модуль сохранения";
inline constexpr const char* kVariant12 = " функция голосового информирования";

// --- base unit operating mode and interface module
inline constexpr const char* kModeLowBattery = "Рабочий режим, низкий заряд батареи";
inline constexpr const char* kModeClockNotSet = "Рабочий режим,не настроены часы/буфер хранения";
inline constexpr const char* kModeWarmUp = "Начальная инициализация (прогрев)";
inline constexpr const char* kModeUsb = "USB управление включено";
inline constexpr const char* kModeTest = "Тест пороговых устройств";
inline constexpr const char* kModeWorking = "Рабочий режим";
inline constexpr const char* kModuleNone = "-----";
inline constexpr const char* kModules[] = {"Z-wave", "LoRa", "NB IoT", "Bluetooth", "RS485", "Velk"};
inline constexpr const char* kLinkError = "Ошибка связи";
inline constexpr const char* kNoNetwork = "Нет подключения к сети";
inline constexpr const char* kNoSupplyVoltage = "0,00";

// --- sensor channel state flags
inline constexpr const char* kStateSetup = "Режим настройки";
inline constexpr const char* kStateSensorOff = "Сенсор отключен  >100 %нкпр";
inline constexpr const char* kStateTest = "Тест пороговых устройств";
inline constexpr const char* kStateThreshold = "Превышение порога 1";
inline constexpr const char* kStateNoOptical = "Нет связи с оптическим сенсором";
inline constexpr const char* kStateSensorFault = "Неисправность сенсора";
inline constexpr const char* kStateOpticalVersion = "Ошибка версии ПО сенсора";
inline constexpr const char* kStateSensorSetup = "Ошибка настройки сенсора";
inline constexpr const char* kStateWasThreshold = "Было превышение порога";
inline constexpr const char* kStateWorking = "Рабочий режим";
inline constexpr const char* kStateInit = "Начальная инициализация";

// --- sensor channel values and parameters
inline constexpr const char* kVolts = "B";  // Latin, as the unit labels have always shown it
inline constexpr const char* kNoVoltage = "0.0000";
inline constexpr const char* kNoCount = "0000";
inline constexpr const char* kNoSeconds = "00000";
inline constexpr const char* kNoTemperature = "00";

// --- storage module status flags: set, clear
inline constexpr const char* kRtcFault = "RealTimeClock неисправна";
inline constexpr const char* kRtcOk = "RealTimeClock норма";
inline constexpr const char* kDateFault = "Сбой даты/времени";
inline constexpr const char* kDateOk = "Дата/время в норме";
inline constexpr const char* kDateNotSet = "Не было установки даты/время";
inline constexpr const char* kDateSet = "Была установка даты/время";
inline constexpr const char* kOverflow = "Переполнение буфера хранения";
inline constexpr const char* kNoOverflow = "Буфер хранения в норме";
inline constexpr const char* kBufferNotInit = "Не было инициализации буфера";
inline constexpr const char* kBufferInit = "Была инициализации буфера";
inline constexpr const char* kCrcFault = "Сбой CRC буфера хранения";
inline constexpr const char* kCrcOk = "CRC буфера хранения в норме";

}  // namespace zhv::txt
