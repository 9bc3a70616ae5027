#include "safety/safe_write.h"

#include <filesystem>
#include <system_error>

#include "safety/image_checks.h"

namespace tarvex {

ChosenImage chosenImage(const std::string& fileName, LoadedFile loaded) {
  std::uint64_t size = loaded.bytes.size();
  if (loaded.longer) {
    std::error_code ec;
    const auto onDisk = std::filesystem::file_size(fileName, ec);
    size = ec ? size + 1 : onDisk;
  }
  return {fileName, std::move(loaded.bytes), size};
}

PhaseStep SafeWrite::finish(bool success) {
  succeeded_ = success;
  return PhaseStep::end();
}

PhaseChain SafeWrite::chain(const SafetyOptions& options) {
  options_ = options;
  succeeded_ = false;
  backupPath_.clear();
  PhaseChain chain;
  chain.add([this](bool) { return chooseAndCheck(); });
  chain.add([this](bool) {
    return options_.backup ? readChip(texts_.backupRead) : PhaseStep::next();
  });
  chain.add([this](bool read) { return afterBackupRead(read); });
  chain.add([this](bool written) { return afterWrite(written); });
  chain.add([this](bool read) { return verdict(read); });
  return chain;
}

PhaseStep SafeWrite::chooseAndCheck() {
  std::optional<ChosenImage> chosen = steps_.chooseImage();
  if (!chosen) return finish(false);
  std::vector<ImageFinding> findings;
  if (auto size = sizeFinding(chosen->fileSize, steps_.chipSize)) findings.push_back(*size);
  if (auto blank = blankFinding(chosen->bytes)) findings.push_back(*blank);
  if (!acceptImageFindings(findings, view_, options_, texts_.safety)) return finish(false);
  image_ = std::move(*chosen);
  return PhaseStep::next();
}

PhaseStep SafeWrite::readChip(const char* purpose) {
  if (!steps_.startRead(read_, purpose)) return PhaseStep::next(false);
  return PhaseStep::runRead([this] { return steps_.runWork(); }, false);
}

PhaseStep SafeWrite::afterBackupRead(bool read) {
  if (options_.backup) {
    if (!read || !read_.whole()) {
      view_.logLine(texts_.safety.backupReadFailed);
      return finish(false);
    }
    if (!keepBackup(read_.bytes(), view_, options_, texts_.safety, &backupPath_)) {
      return finish(false);
    }
  }
  if (!steps_.startWrite(image_.fileName, std::move(image_.bytes))) return finish(false);
  return PhaseStep::runWork([this] { return steps_.runWork(); }, false);
}

PhaseStep SafeWrite::afterWrite(bool written) {
  if (!written) {
    if (steps_.flashTouched()) view_.logLine(partlyChangedLine(texts_.partly, backupPath_));
    return finish(false);
  }
  if (!readsBack()) {
    if (!options_.verify && steps_.sentImage) view_.logLine(texts_.notVerified);
    return finish(true);
  }
  const PhaseStep step = readChip(texts_.verifyRead);
  view_.setGaugeColor(steps_.gauge, colors::kYellow);  // the read-back shows as verifying
  return step;
}

PhaseStep SafeWrite::verdict(bool read) {
  if (!read || !read_.whole()) {
    view_.logLine(texts_.safety.verifyReadFailed);
    view_.setGaugeColor(steps_.gauge, colors::kRed);
    return finish(false);
  }
  return finish(reportReadBack(read_.bytes(), steps_.sentImage(), view_, texts_.safety,
                               steps_.gauge));
}

}  // namespace tarvex
