// The EDID decode and image checks over bytes of any length: nothing read past the end,
// only printable ASCII in the log lines whatever the panel stores, and a corrected
// checksum that really corrects and touches nothing else.

#include <algorithm>
#include <vector>

#include "fuzz_check.h"
#include "tools/edid/edid_decode.h"
#include "tools/edid/edid_image_check.h"

using namespace tarvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy: a read one byte past the image is a heap overrun ASan reports.
  const std::vector<std::uint8_t> image(data, data + size);
  const auto summary = edid::decodeEdid(image);

  FUZZ_CHECK(summary.size == size);
  FUZZ_CHECK(
      summary.headerValid ==
      (size >= 8 && std::equal(edid::kEdidHeader.begin(), edid::kEdidHeader.end(), image.begin())));
  FUZZ_CHECK(summary.checksum.has_value() == (size >= edid::kBaseBlockSize));
  if (summary.monitorName) {
    FUZZ_CHECK(summary.monitorName->size() <= 13);
    FUZZ_CHECK(summary.monitorName->find('\n') == std::string::npos);
  }
  if (summary.preferredMode) FUZZ_CHECK(summary.preferredMode->pixelClockKHz > 0);

  for (const auto& line : edid::decodeLines(summary)) {
    FUZZ_CHECK(!line.empty());
    for (char c : line) FUZZ_CHECK(c >= 0x20 && c < 0x7F);
  }

  const auto fixed = edid::withCorrectedChecksum(image);
  FUZZ_CHECK(fixed.size() == size);
  if (size >= edid::kBaseBlockSize) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < edid::kBaseBlockSize; ++i)
      sum = static_cast<std::uint8_t>(sum + fixed[i]);
    FUZZ_CHECK(sum == 0);
    FUZZ_CHECK(edid::baseBlockChecksum(fixed)->ok());
  }
  for (std::size_t i = 0; i < size; ++i) {
    FUZZ_CHECK(fixed[i] == image[i] || i == edid::kChecksumOffset);
  }

  const auto findings = edid::checkEdidImage(image, 256);
  const bool sizeDiffers = std::any_of(findings.begin(), findings.end(), [](const auto& f) {
    return f.kind == ImageFindingKind::kSizeDiffers;
  });
  FUZZ_CHECK(sizeDiffers == (size != 256));
  for (const auto& f : findings) FUZZ_CHECK(fuzz::wellFormedUtf8(f.text));
  return 0;
}
