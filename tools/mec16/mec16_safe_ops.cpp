#include "tools/mec16/mec16_safe_ops.h"

#include <filesystem>
#include <span>
#include <system_error>

#include "frame/file_load.h"
#include "safety/image_checks.h"
#include "safety/image_compare.h"
#include "safety/partly_changed_line.h"
#include "tools/mec16/mec16_commands.h"
#include "tools/mec16/mec16_messages.h"

namespace tarvex::mec16 {
namespace {

constexpr std::size_t kWriteLimit = std::size_t{kMainWriteBlocks} * kWriteBlockBytes;

// The size of a file longer than what is loaded of it, for the size finding.
std::uint64_t fullSize(const std::string& path, const LoadedFile& loaded) {
  if (!loaded.longer) return loaded.bytes.size();
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? loaded.bytes.size() + 1 : size;
}

}  // namespace

PhaseStep Mec16SafeOps::finish(bool success) {
  succeeded_ = success;
  return PhaseStep::end();
}

PhaseStep Mec16SafeOps::readMain(const char* purpose, bool withInfo) {
  if (!tool_.startReadInto(read_, withInfo, purpose)) return PhaseStep::next(false);
  return PhaseStep::runRead([this] { return tool_.runWorker(); }, true);
}

PhaseChain Mec16SafeOps::write(const SafetyOptions& options, bool infoBoxChecked) {
  options_ = options;
  infoBox_ = infoBoxChecked;
  succeeded_ = false;
  backupPath_.clear();
  PhaseChain chain;
  chain.add([this](bool) { return chooseAndCheckImage(); });
  chain.add([this](bool) {
    if (options_.backup) return readMain(text::kBackupReadMain, false);
    if (!options_.force) return readMain(text::kBlankCheckRead, false);
    return PhaseStep::next();
  });
  chain.add([this](bool read) { return afterFirstRead(read); });
  chain.add([this](bool) { return startWrite(); });
  chain.add([this](bool written) { return afterWrite(written); });
  chain.add([this](bool read) { return verdict(read, false); });
  return chain;
}

PhaseStep Mec16SafeOps::chooseAndCheckImage() {
  const auto chosen = view_.chooseFile(Mec16Tool::writeDialog());
  if (!chosen) {
    view_.logLine(text::kWriteCancelled);
    return finish(false);
  }
  fileName_ = *chosen;
  // The whole image is read and looked at before the adapter is touched.
  LoadedFile loaded = loadFile(fileName_, kWriteLimit);
  if (loaded.status == LoadStatus::kNotRegularFile) view_.logLine(kNotRegularFileLine);
  if (!loaded.loaded()) {
    view_.logLine(loaded.status == LoadStatus::kReadFailed ? text::kFileReadFailed
                                                           : text::kOpenFailed);
    return finish(false);
  }
  std::vector<ImageFinding> findings;
  if (auto size = sizeFinding(fullSize(fileName_, loaded), kMainBytes)) findings.push_back(*size);
  if (auto blank = blankFinding(loaded.bytes)) findings.push_back(*blank);
  if (!acceptImageFindings(findings, view_, options_, text::kSafety)) return finish(false);
  image_ = std::move(loaded.bytes);
  return PhaseStep::next();
}

PhaseStep Mec16SafeOps::afterFirstRead(bool readSucceeded) {
  const bool backup = options_.backup;
  if (!backup && options_.force) return PhaseStep::next();
  if (!readSucceeded || !read_.whole()) {
    view_.logLine(backup ? text::kSafety.backupReadFailed : text::kSafety.cancelled);
    return finish(false);
  }
  if (backup && !keepBackup(read_.bytes(), view_, options_, text::kSafety, &backupPath_)) return finish(false);
  if (blankMismatch(read_.bytes())) {
    view_.logLine(text::kMainNotBlank);
    if (!options_.force &&
        !view_.askYesNo(std::string(text::kMainNotBlank) + "\n" + text::kWriteAnyway)) {
      view_.logLine(text::kSafety.cancelled);
      return finish(false);
    }
  }
  return PhaseStep::next();
}

PhaseStep Mec16SafeOps::startWrite() {
  if (!tool_.startWriteImage(infoBox_, fileName_, image_)) return finish(false);
  return PhaseStep::runWork([this] { return tool_.runWorker(); }, false);
}

PhaseStep Mec16SafeOps::afterWrite(bool written) {
  if (!written) {
    if (tool_.flashTouched()) view_.logLine(partlyChangedLine(text::kPartlyWritten, backupPath_));
    return finish(false);
  }
  if (!options_.verify) {
    view_.logLine(text::kWriteNotVerified);
    return finish(true);
  }
  const PhaseStep step = readMain(text::kVerifyRead, false);
  view_.setGaugeColor(0, colors::kYellow);  // the read-back shows as verifying
  return step;
}

PhaseStep Mec16SafeOps::verdict(bool readSucceeded, bool blank) {
  if (!readSucceeded || !read_.whole()) {
    view_.logLine(text::kSafety.verifyReadFailed);
    view_.setGaugeColor(0, colors::kRed);
    return finish(false);
  }
  if (blank) return finish(reportBlank(read_.bytes(), view_, text::kSafety, 0));
  // Past a shorter image the block must still be as erased: old firmware (or a stuck cell)
  // there would otherwise pass as the image written.
  std::vector<std::uint8_t> expected = tool_.sentImage();
  if (expected.size() < read_.bytes().size()) expected.resize(read_.bytes().size(), 0xFF);
  return finish(reportReadBack(read_.bytes(), expected, view_, text::kSafety, 0));
}

PhaseChain Mec16SafeOps::erase(const SafetyOptions& options, bool withInfo) {
  options_ = options;
  withInfo_ = withInfo;
  succeeded_ = false;
  backupPath_.clear();
  PhaseChain chain;
  chain.add([this](bool) {
    if (!options_.backup) return PhaseStep::next();
    return readMain(withInfo_ ? text::kBackupReadMainAndInfo : text::kBackupReadMain, withInfo_);
  });
  chain.add([this](bool read) {
    if (options_.backup) {
      if (!read || !read_.whole()) {
        view_.logLine(text::kSafety.backupReadFailed);
        return finish(false);
      }
      if (!keepBackup(read_.bytes(), view_, options_, text::kSafety, &backupPath_)) return finish(false);
    }
    return PhaseStep::runWork([this] { return tool_.erase(withInfo_); }, false);
  });
  chain.add([this](bool erased) {
    if (!erased) {
      if (tool_.flashTouched()) view_.logLine(partlyChangedLine(text::kPartlyErased, backupPath_));
      return finish(false);
    }
    if (!options_.verify) return finish(true);
    const PhaseStep step = readMain(text::kEraseCheckRead, withInfo_);
    view_.setGaugeColor(0, colors::kYellow);
    return step;
  });
  chain.add([this](bool read) { return verdict(read, true); });
  return chain;
}

}  // namespace tarvex::mec16
