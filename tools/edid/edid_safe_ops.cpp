#include "tools/edid/edid_safe_ops.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "tools/edid/edid_decode.h"
#include "tools/edid/edid_image_check.h"
#include "tools/edid/edid_messages.h"

namespace tarvex::edid {
namespace {

// The size of a file longer than what is loaded of it, for the size finding.
std::uint64_t fileSize(const std::string& path, const LoadedFile& loaded) {
  if (!loaded.longer) return loaded.bytes.size();
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? loaded.bytes.size() + 1 : size;
}

}  // namespace

PhaseStep EdidSafeOps::finish(bool success) {
  succeeded_ = success;
  return PhaseStep::end();
}

PhaseChain EdidSafeOps::write(const SafetyOptions& options, bool fixChecksum) {
  options_ = options;
  fixChecksum_ = fixChecksum;
  succeeded_ = false;
  PhaseChain chain;
  chain.add([this](bool) { return chooseAndCheckImage(); });
  chain.add([this](bool) {
    if (!options_.backup) return PhaseStep::next();
    return PhaseStep::runWork([this] { return tool_.readInto(read_, msg::kBackupRead); }, false);
  });
  chain.add([this](bool read) { return afterBackupRead(read); });
  chain.add([this](bool written) { return afterWrite(written); });
  chain.add([this](bool read) { return verdict(read); });
  return chain;
}

PhaseStep EdidSafeOps::chooseAndCheckImage() {
  view_.clearLog();
  const auto loaded = tool_.chooseImageFile();
  if (!loaded) return finish(false);
  // What goes out is always 256 bytes: the file's, erased (FFh) where it is shorter. The
  // header and the checksum are looked at in exactly those bytes.
  image_.assign(kImageSize, 0xFF);
  std::copy_n(loaded->bytes.begin(), std::min(loaded->bytes.size(), kImageSize), image_.begin());

  // The decode first, so each finding below reads against it.
  const std::vector<std::string> decode = decodeLines(decodeEdid(image_));
  for (const auto& line : decode) view_.logLine(line);
  view_.logLine("");

  std::vector<ImageFinding> findings = checkEdidImage(image_, kImageSize);
  if (auto size = sizeFinding(fileSize(tool_.fileName(), *loaded), kImageSize)) {
    findings.insert(findings.begin(), *size);
  }
  if (!acceptFindings(findings, decode)) return finish(false);
  return PhaseStep::next();
}

bool EdidSafeOps::acceptFindings(const std::vector<ImageFinding>& findings,
                                 const std::vector<std::string>& alreadyLogged) {
  for (const ImageFinding& finding : findings) {
    // The decode has told the header and the checksum already.
    if (std::find(alreadyLogged.begin(), alreadyLogged.end(), finding.text) == alreadyLogged.end()) {
      view_.logLine(finding.text);
    }
    if (finding.kind == ImageFindingKind::kBadChecksum) {
      if (!acceptChecksum(finding)) return false;
      continue;
    }
    if (options_.force) continue;
    if (!view_.askYesNo(finding.text + "\n" + msg::kSafety.askGoOn)) {
      view_.logLine(msg::kSafety.cancelled);
      return false;
    }
  }
  return true;
}

bool EdidSafeOps::acceptChecksum(const ImageFinding& finding) {
  Answer answer = Answer::kOther;
  if (!fixChecksum_) {
    answer = options_.force ? Answer::kYes
                            : view_.askYesNoOr(finding.text + "\n" + msg::kChecksumQuestion,
                                               msg::kCorrectChecksumChoice);
  }
  if (answer == Answer::kNo) {
    view_.logLine(msg::kSafety.cancelled);
    return false;
  }
  if (answer == Answer::kOther) {
    const auto checksum = baseBlockChecksum(image_);
    image_ = withCorrectedChecksum(image_);
    view_.logLine(msg::checksumCorrected(checksum->stored, checksum->correct));
  }
  return true;
}

PhaseStep EdidSafeOps::afterBackupRead(bool readSucceeded) {
  if (options_.backup) {
    if (!readSucceeded || !read_.whole()) {
      view_.logLine(msg::kSafety.backupReadFailed);
      return finish(false);
    }
    if (!keepBackup(read_.bytes(), view_, options_, msg::kSafety)) return finish(false);
  }
  return PhaseStep::runWork([this] { return tool_.writeImage(image_); }, false);
}

PhaseStep EdidSafeOps::afterWrite(bool written) {
  if (!written) return finish(false);
  if (!options_.verify) {
    view_.logLine(msg::kWriteNotVerified);
    return finish(true);
  }
  return PhaseStep::runWork([this] { return tool_.readInto(read_, msg::kVerifyRead); }, false);
}

PhaseStep EdidSafeOps::verdict(bool readSucceeded) {
  if (!readSucceeded || !read_.whole()) {
    view_.logLine(msg::kSafety.verifyReadFailed);
    return finish(false);
  }
  return finish(reportReadBack(read_.bytes(), tool_.sentImage(), view_, msg::kSafety, 0));
}

}  // namespace tarvex::edid
