// The EDID decode and the checks on an EDID image: a panel's base block built here byte by
// byte, then cut short, spoiled and blanked, as files from a repair bench come.

#include "tools/edid/edid_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "tools/edid/edid_image_check.h"
#include "tools/edid/edid_messages.h"

namespace tarvex::edid {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
}

std::uint8_t sumOf(const Bytes& b, std::size_t count) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
  return sum;
}

void sealChecksum(Bytes& b) {
  b[127] = static_cast<std::uint8_t>(0x100 - sumOf(b, 127));
}

// A 15.6" full-HD laptop panel: "AUO", product 23EDh, serial 0, week 12 of 2019, EDID 1.4,
// 1920x1080 from a 148.5 MHz timing (2200 x 1125 totals: exactly 60 Hz), its name in the
// last descriptor slot behind a range-limits-like and a dummy descriptor.
Bytes panelEdid() {
  Bytes b(128, 0x00);
  put(b, 0, {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
  put(b, 8, {0x06, 0xAF});  // A=1, U=21, O=15 packed as 0 00001 10101 01111
  put(b, 10, {0xED, 0x23});
  put(b, 16, {12, 29, 0x01, 0x04});
  put(b, 54,
      {0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58, 0x2C, 0x45, 0x00, 0x58, 0xC1, 0x10,
       0x00, 0x00, 0x1A});
  put(b, 72, {0x00, 0x00, 0x00, 0xFD, 0x00, 0x28, 0x3C, 0x43, 0x43});
  put(b, 90, {0x00, 0x00, 0x00, 0x10, 0x00});
  put(b, 108,
      {0x00, 0x00, 0x00, 0xFC, 0x00, 'B', '1', '5', '6', 'H', 'A', 'N', '0', '2', '.', '1', 0x0A,
       0x20});
  sealChecksum(b);
  return b;
}

TEST(EdidDecode, ReadsEveryFieldOfAPanelsBaseBlock) {
  const auto s = decodeEdid(panelEdid());
  EXPECT_EQ(s.manufacturer, "AUO");
  EXPECT_EQ(s.productCode, 0x23ED);
  ASSERT_TRUE(s.preferredMode);
  EXPECT_EQ(s.preferredMode->pixelClockKHz, 148500u);
  EXPECT_EQ(s.preferredMode->refreshCentiHz, 6000u);
  EXPECT_EQ(s.monitorName, "B156HAN02.1");

  EXPECT_EQ(decodeLines(s), (std::vector<std::string>{
                                "EDID version: 1.4",
                                "Manufacturer: AUO",
                                "Product code: 23EDh",
                                "Serial number: 0",
                                "Manufactured: week 12 of 2019",
                                "Preferred mode: 1920 x 1080 @ 60 Hz, pixel clock 148.50 MHz",
                                "Monitor name: B156HAN02.1",
                                msg::checksumRight(panelEdid()[127]),
                            }));
}

TEST(EdidDecode, OddButLegalFieldsAndHostileBytes) {
  Bytes b = panelEdid();
  b[16] = 0xFF;  // model year
  put(b, 0x11, {30});
  // 1080i: 74.25 MHz, 540 lines a field + 22 blanking; fields alternate 562/563 lines.
  put(b, 54, {0x01, 0x1D, 0x80, 0x18, 0x71, 0x1C, 0x16, 0x20});
  b[54 + 17] = 0x9E;
  put(b, 108 + 5, {'P', 'N', 0x1B, '[', '2', 'J', 0xC3, '\\', 0x0A, 0x20, 0x20, 0x20, 0x20});
  b[8] = 0x7C;  // letter codes 31, 0 and 15: only the last names a letter
  b[9] = 0x0F;
  sealChecksum(b);
  const auto s = decodeEdid(b);
  const auto lines = decodeLines(s);
  auto has = [&](std::string_view l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("Model year: 2020"));
  EXPECT_TRUE(has("Manufacturer: ??O"));
  EXPECT_TRUE(has("Preferred mode: 1920 x 1080i @ 60 Hz, pixel clock 74.25 MHz"));
  // Control and non-ASCII bytes of the name never reach the log raw.
  EXPECT_TRUE(has("Monitor name: PN\\x1B[2J\\xC3\\\\"));

  b[16] = 0;                                                     // week not given
  put(b, 54, {0x70, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});  // no active or blanking
  b[54 + 17] = 0;
  b[108 + 3] = 0xFE;  // no name descriptor left
  sealChecksum(b);
  const std::uint8_t correct = b[127];
  b[127] ^= 0x01;
  const auto odd = decodeLines(decodeEdid(b));
  EXPECT_EQ(std::vector<std::string>(odd.begin() + 4, odd.end()),
            (std::vector<std::string>{"Manufactured: 2020",
                                      "Preferred mode: 0 x 0 @ ? Hz, pixel clock 72.80 MHz",
                                      msg::kNoMonitorName, msg::checksumWrong(b[127], correct)}));
}

TEST(EdidDecode, CutShortOrForeignImagesTellOnlyWhatTheyHold) {
  const Bytes full = panelEdid();
  for (std::size_t n = 0; n < 128; ++n) {
    // An exact-size copy, so a read past the end is a read past the allocation.
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
    const auto s = decodeEdid(cut);
    EXPECT_EQ(s.headerValid, n >= 8) << n;
    EXPECT_EQ(s.serialNumber.has_value(), n >= 16) << n;
    EXPECT_EQ(s.preferredMode.has_value(), n >= 72) << n;
    EXPECT_EQ(s.monitorName.has_value(), n >= 126) << n;
    EXPECT_FALSE(s.checksum) << n;
    const auto lines = decodeLines(s);
    EXPECT_EQ(lines.front(), msg::imageCutShort(n));
    EXPECT_EQ(lines.back(), msg::kChecksumUnknown);
  }

  // Without the header nothing else is guessed from the bytes.
  Bytes erased(256, 0xFF);
  EXPECT_EQ(decodeLines(decodeEdid(erased)),
            (std::vector<std::string>{msg::kNoEdidHeader, msg::checksumWrong(0xFF, 0x7F)}));
}

TEST(EdidImageCheck, HeaderChecksumAndItsCorrection) {
  Bytes b = panelEdid();
  b.resize(256, 0xFF);
  EXPECT_TRUE(checkEdidImage(b, 256).empty());

  b[127] = static_cast<std::uint8_t>(b[127] + 5);
  b[3] = 0xFE;  // header spoiled too: its byte counts in the sum
  const auto checksum = baseBlockChecksum(b);
  ASSERT_TRUE(checksum);
  EXPECT_EQ(checksum->stored, b[127]);
  const Bytes fixed = withCorrectedChecksum(b);
  EXPECT_EQ(fixed[127], checksum->correct);
  EXPECT_EQ(sumOf(fixed, 128), 0);
  Bytes others = fixed;
  others[127] = b[127];
  EXPECT_EQ(others, b);  // nothing but the checksum byte changed
  EXPECT_EQ(checkEdidImage(b, 256),
            (std::vector<ImageFinding>{
                {ImageFindingKind::kBadHeader, msg::kNoEdidHeader},
                {ImageFindingKind::kBadChecksum, msg::checksumWrong(b[127], checksum->correct)}}));

  const Bytes shortImage(b.begin(), b.begin() + 100);
  EXPECT_EQ(withCorrectedChecksum(shortImage), shortImage);
}

TEST(ImageChecks, SizeAndBlankFindings) {
  Bytes base = panelEdid();
  const auto findings = checkEdidImage(base, 256);
  ASSERT_EQ(findings.size(), 1u);  // a 128-byte file: a base block without its extension half
  EXPECT_EQ(findings[0],
            (ImageFinding{ImageFindingKind::kSizeDiffers, check_text::sizeDiffers(128, 256)}));
  EXPECT_NE(findings[0].text.find("128"), std::string::npos);
  EXPECT_NE(findings[0].text.find("256"), std::string::npos);

  // Blank images are told as blank, not as a missing header and a bad checksum.
  EXPECT_EQ(checkEdidImage(Bytes(256, 0xFF), 256),
            (std::vector<ImageFinding>{{ImageFindingKind::kBlank, check_text::kBlankErased}}));
  EXPECT_EQ(checkEdidImage(Bytes(256, 0x00), 256),
            (std::vector<ImageFinding>{{ImageFindingKind::kBlank, check_text::kBlankZero}}));
  Bytes almost(256, 0xFF);
  almost[255] = 0xFE;
  EXPECT_FALSE(blankFinding(almost));
  EXPECT_FALSE(blankFinding(Bytes{}));
  EXPECT_EQ(checkImage(Bytes{}, 256).size(), 1u);
}

}  // namespace
}  // namespace tarvex::edid
