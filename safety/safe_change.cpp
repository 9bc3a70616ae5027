#include "safety/safe_change.h"

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

PhaseStep SafeChange::finish(bool success) {
  succeeded_ = success;
  return PhaseStep::end();
}

bool SafeChange::readsBefore() const {
  return options_.backup || (steps_.readChipAlone && !options_.force);
}

PhaseChain SafeChange::chain(const SafetyOptions& options) {
  options_ = options;
  succeeded_ = false;
  backupPath_.clear();
  image_ = {};
  expected_.reset();
  PhaseChain chain;
  chain.add([this](bool) { return writing() ? chooseAndCheck() : PhaseStep::next(); });
  chain.add([this](bool) {
    if (options_.backup) return readChip(texts_.backupRead);
    if (readsBefore()) return readChip(steps_.readChipAlone);
    return PhaseStep::next();
  });
  chain.add([this](bool read) { return afterFirstRead(read); });
  chain.add([this](bool) { return startChange(); });
  chain.add([this](bool changed) { return afterChange(changed); });
  chain.add([this](bool read) { return verdict(read); });
  return chain;
}

PhaseStep SafeChange::chooseAndCheck() {
  std::optional<ChosenImage> chosen = steps_.chooseImage();
  if (!chosen) return finish(false);
  image_ = std::move(*chosen);
  std::vector<ImageFinding> findings;
  if (auto size = sizeFinding(image_.fileSize, steps_.chipSize)) findings.push_back(*size);
  if (auto blank = blankFinding(image_.bytes)) findings.push_back(*blank);
  if (steps_.moreFindings) {
    for (auto& finding : steps_.moreFindings(image_.bytes)) findings.push_back(std::move(finding));
  }
  if (!acceptFindings(findings)) return finish(false);
  return PhaseStep::next();
}

bool SafeChange::acceptFindings(const std::vector<ImageFinding>& findings) {
  for (const ImageFinding& finding : findings) {
    if (!finding.shown) view_.logLine(finding.text);
    if (steps_.settleFinding) {
      if (const auto settled = steps_.settleFinding(finding, options_, image_.bytes)) {
        if (!*settled) return false;
        continue;
      }
    }
    if (options_.force) continue;
    if (!view_.askYesNo(finding.text + "\n" + texts_.safety.askGoOn)) {
      view_.logLine(texts_.safety.cancelled);
      return false;
    }
  }
  return true;
}

PhaseStep SafeChange::readChip(const char* purpose) {
  if (!steps_.startRead(read_, purpose)) return PhaseStep::next(false);
  return PhaseStep::runRead(steps_.runRead, steps_.readsStoppable);
}

PhaseStep SafeChange::afterFirstRead(bool read) {
  if (!readsBefore()) return PhaseStep::next();
  if (!read || !read_.whole()) {
    view_.logLine(options_.backup ? texts_.safety.backupReadFailed : texts_.safety.cancelled);
    return finish(false);
  }
  if (options_.backup &&
      !keepBackup(read_.bytes(), view_, options_, texts_.safety, &backupPath_)) {
    return finish(false);
  }
  if (steps_.acceptChip && !steps_.acceptChip(read_.bytes(), options_)) return finish(false);
  return PhaseStep::next();
}

PhaseStep SafeChange::startChange() {
  if (steps_.startChange && !steps_.startChange(image_.fileName, std::move(image_.bytes))) {
    return finish(false);
  }
  return PhaseStep::runWork(steps_.runChange, false);
}

PhaseStep SafeChange::afterChange(bool changed) {
  if (!changed) {
    if (steps_.flashTouched()) view_.logLine(partlyChangedLine(texts_.partly, backupPath_));
    return finish(false);
  }
  const bool readsBack = !writing() || (steps_.expectedAfter && (expected_ = steps_.expectedAfter()));
  if (!readsBack) return finish(true);
  if (!options_.verify) {
    if (texts_.notVerified) view_.logLine(texts_.notVerified);
    return finish(true);
  }
  const PhaseStep step = readChip(texts_.verifyRead);
  view_.setGaugeColor(steps_.gauge, colors::kYellow);  // the read-back shows as verifying
  return step;
}

PhaseStep SafeChange::verdict(bool read) {
  if (!read || !read_.whole()) {
    view_.logLine(texts_.safety.verifyReadFailed);
    view_.setGaugeColor(steps_.gauge, colors::kRed);
    return finish(false);
  }
  if (!writing()) return finish(reportBlank(read_.bytes(), view_, texts_.safety, steps_.gauge));
  // Past a shorter image the chip must still read erased: old firmware (or a stuck cell)
  // there would otherwise pass as the image written.
  std::vector<std::uint8_t> expected = std::move(*expected_);
  if (expected.size() < read_.bytes().size()) expected.resize(read_.bytes().size(), 0xFF);
  return finish(reportReadBack(read_.bytes(), expected, view_, texts_.safety, steps_.gauge));
}

}  // namespace tarvex
