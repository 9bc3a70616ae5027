#pragma once
// The texts of the safety steps around a tool's erase and write; each tool fills them in
// its messages header, in its log language.

namespace tarvex {

// A tool's texts for the safety steps.
struct SafetyTexts {
  const char* tool;               // the backup's file name starts with it: "mec16"
  const char* askGoOn;            // after a finding, in the Yes/No question
  const char* cancelled;          // the user (or the missing --force) said No
  const char* backupReadFailed;   // the backup read failed: nothing was changed
  const char* backupSaved;        // followed by the backup's path
  const char* backupNotSaved;     // followed by the reason
  const char* verifyReadFailed;   // the read-back did not complete: not verified
  const char* verifyOk;           // the chip holds the image
  const char* blankOk;            // the erased block(s) read back blank
  const char* mismatchAt;         // followed by the first differing address
  const char* mismatchCount;      // followed by the number of differing bytes
  const char* mismatchEnd;        // closes the mismatch line
};

}  // namespace tarvex
