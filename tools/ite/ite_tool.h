#pragma once
// The ITE tool's operations: presets and pin boxes, the settings exchange, the connection
// check, and the read and write of the controller's 128 KiB flash. The handlers run on the
// user-interface thread; runWorker() is the worker's part, which the read and the write
// hand their open link and image file to.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "frame/mode_word.h"
#include "safety/safe_change.h"
#include "frame/staged_image.h"
#include "frame/tool_view.h"
#include "link/ft_device.h"
#include "link/link_state.h"
#include "tools/ite/ite_controls.h"
#include "tools/ite/ite_exchange.h"
#include "tools/ite/ite_registers.h"
#include "tools/ite/pin_boxes.h"
#include "tools/ite/presets.h"

namespace tarvex {

inline constexpr const char* kModeReadIte = "READ_ITE";
inline constexpr const char* kModeWriteIte = "WRITE_ITE_step_one";

class IteTool {
 public:
  static constexpr int kPages = 512;
  static constexpr std::size_t kFlashSize = 128 * 1024;

  IteTool(FtBus& bus, ToolView& view, IteControls& controls, IteBounds bounds = {});

  // Window creation: the help text, the gauges and the preset list from the presets file.
  void formCreate(const std::string& presetsPath);
  void loadPresets(const std::string& presetsPath);

  // A list item was picked: item 0 does nothing but disable the orientation box; any other
  // applies that preset line to the pin boxes. True when the whole preset was applied.
  bool presetSelected(int item);
  // The orientation box was clicked (its check mark has already toggled): mirror the boxes.
  // True when they were mirrored.
  bool orientationClicked();

  // "Send settings": the 15 assignments to the adapter. True when all were accepted.
  bool sendSettings();
  // "Check connection": attach and read the controller's identification. True when an
  // IT85xx answered.
  bool checkConnection();

  // "R E A D" and "W R I T E": true when the worker must be started.
  bool startRead();
  bool startWrite();
  // The same read into memory, without a file dialog (a backup or a read-back check);
  // `purpose` is logged where a read names its file.
  // `keepEnabled` is the button of the operation the read is a step of.
  bool startReadInto(MemoryImage& memory, const char* purpose,
                     IteButton keepEnabled = IteButton::kWrite);
  // The read's file dialog, for a caller that chooses the file before the read starts.
  static FileDialogSpec readDialog();
  // The write's file dialog and load, for a caller that checks the image before the write
  // starts; nothing (with the reason logged) when there is no image.
  std::optional<ChosenImage> chooseWriteImage();
  // The same write of an image already loaded from `fileName`, without the dialog.
  bool startWriteImage(const std::string& fileName, std::vector<std::uint8_t> image);
  // The worker: runs the operation the mode word names, once. True when it succeeded.
  bool runWorker();

  // EXIT: true when the window may go back to the main window (the tool is idle).
  bool exitRequested();

  const ModeWord& mode() const { return mode_; }
  const std::string& fileName() const { return fileName_; }
  // What the last write programmed: the whole flash, blank bytes included. Read once its
  // worker has ended.
  const std::vector<std::uint8_t>& sentImage() const { return sent_; }
  // Whether the last write got as far as its erase: a failure from then on leaves the
  // flash partly erased or written.
  bool flashTouched() const { return touched_; }
  const std::vector<std::string>& presetItems() const { return presetItems_; }

 private:
  PinAssignments readPins() const;
  void showPins(const PinAssignments& pins);
  // Mirrors the boxes by the "KB_pins=" of the selected line; reports what went wrong.
  bool mirrorSelected();
  void report(const PresetOutcome& outcome);
  void setButtons(bool enabled, IteButton except);
  void setAllButtons(bool enabled);
  void logChipFailure(const char* prefix, const char* code);
  bool attach();

  // The read and the write (ite_read.cpp, ite_write.cpp).
  bool beginRead(MemoryImage* memory, const char* purpose, IteButton keepEnabled);
  bool beginWrite(std::optional<std::vector<std::uint8_t>> image);
  // Opens the link as a write starts; false (the tool idle again) when it cannot.
  bool openForWrite();
  void failStart();
  void readStream();
  void writeStream();
  bool runCycles(std::span<const ite_reg::RegisterWrite> cycles, const char* prefix);
  void loadImage();
  bool programImage();
  void finishStream(bool success);

  FtBus& bus_;
  ToolView& view_;
  IteControls& controls_;
  const IteBounds bounds_;

  LinkState link_{buffer_size::kIte};
  ModeWord mode_;
  std::string fileName_;
  StagedImage saved_;  // the image a read saves
  ImageSink* sink_ = &saved_;  // where the read in progress puts its pages
  std::vector<std::uint8_t> sent_;  // what the write in progress programs
  bool touched_ = false;  // the write in progress has begun its erase
  ImageSource source_;  // the image a write programs, read whole by its start
  std::vector<std::string> presetItems_;
  int selectedPreset_ = 0;
  bool succeeded_ = false;  // the result of the read or write the worker ran last
};

}  // namespace tarvex
