#pragma once
// The steps every tool adds around its documented erase and write sequences: checks on the
// image before anything is sent, a backup of the chip before it is changed, and a check
// that the chip holds what was sent (or is blank after an erase). Each tool composes them
// in its own order; the texts come from the tool's messages header, in its log language.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "safety/backup_store.h"
#include "safety/image_checks.h"
#include "safety/safety_texts.h"
#include "frame/tool_view.h"

namespace tarvex {

// The safety steps of one erase or write. All on unless the user turns them off.
struct SafetyOptions {
  bool verify = true;  // read the chip back afterwards and compare
  bool backup = true;  // read the chip into the backups folder first
  bool force = false;  // go on past plainly wrong images and a chip not erased, without asking
  std::string backupsFolder = defaultBackupsFolder();
};

// Logs each finding and asks whether to go on (unless forced). False once the user says
// No; the cancelled line is logged then.
bool acceptImageFindings(const std::vector<ImageFinding>& findings, ToolView& view,
                         const SafetyOptions& options, const SafetyTexts& texts);

// Saves the backup and logs where (the path shown printable), or why it could not. The
// path goes to savedPath too when one is given.
bool keepBackup(std::span<const std::uint8_t> image, ToolView& view, const SafetyOptions& options,
                const SafetyTexts& texts, std::string* savedPath = nullptr);

// The verdict of a read-back after a write (`read` against the bytes `sent`) or after an
// erase (`read` against all FFh). Logs the verdict line; a mismatch turns the gauge red.
bool reportReadBack(std::span<const std::uint8_t> read, std::span<const std::uint8_t> sent,
                    ToolView& view, const SafetyTexts& texts, int gauge);
bool reportBlank(std::span<const std::uint8_t> read, ToolView& view, const SafetyTexts& texts,
                 int gauge);

}  // namespace tarvex
