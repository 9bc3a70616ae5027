// The adapter link's and the connection test's texts that users know from the manual and from the
// windows themselves, stated here character for character, so a slip in a message table cannot pass
// unseen: the other tests take these texts from those tables.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "link/adapter_link.h"
#include "link/connection_test.h"

namespace tarvex {
namespace {

TEST(LinkTexts, EveryDocumentedTextIsExact) {
  const std::pair<std::string_view, std::string_view> texts[] = {
      {link_text::kNoList, "I can not get a list of VCOM ports"},
      {link_text::kNoPorts, "VCOM port is not found on the machine!"},
      {link_text::kPortCount, "Number of VCOM ports found on the machine: "},
      {link_text::kInstalled, "Communication with programmer installed."},
      {link_text::kUpdateFirmware, "It is necessary to update the firmware programmer!"},
      {link_text::kFirmwareVersion, "FW Version Programmer -> "},
      {link_text::kNotFoundArrow, "-->  The programmer is not found or does not respond"},
      {link_text::kNotFound, "The programmer is not found or does not respond"},
      {link_text::kStepReset, "COM порт сброшен."},
      {link_text::kStepBaud, "Установлена скорость 921600 bps."},
      {link_text::kStepFormat, "Произведена настройка формата передачи данных."},
      {link_text::kStepTimeouts, "Произведена настройка таймаутов."},
      {link_text::kStepLatency, "Произведена настройка LatencyTimer."},
      {link_text::kStepPortSet, "Настроили порт "},
      {connection_test_text::kNoList, "FT_CreateDeviceInfoList != FT_OK"},
      {connection_test_text::kNoPorts, "VCOM порты не найдены!"},
      {connection_test_text::kPortCount, "Количество найденых VCOM портов на машине: "},
      {connection_test_text::kOpenFailed, "Ошибка открытия порта (!= FT_OK) "},
      {connection_test_text::kOpened, "Открыли порт  "},
      {connection_test_text::kDriverVersion, "Версия драйвера этого порта  "},
      {connection_test_text::kWriteShort, "Нам не удалось отправить 'B' (Temp != 1) "},
      {connection_test_text::kThreeBytes, "Три байта ответа получено"},
      {connection_test_text::kRightFirmware, "Программатор найден, версия ПО верная."},
      {connection_test_text::kReconfigured, "Порт переконфигурирован. Закрыли порт и вышли."},
      {connection_test_text::kWrongFirmware,
       "Программатор найден, НО версия ПО неверная. Закрыли порт и вышли."},
      {connection_test_text::kNoThreeBytes, "Не получили ответа в три байта!"},
      {connection_test_text::kNobodyAnswered, "Перебрали все порты, нам никто не ответил"},
  };
  for (const auto& [shown, documented] : texts) EXPECT_EQ(shown, documented);
}

}  // namespace
}  // namespace tarvex
