#pragma once
// The MEC16 tool's operations: the connection check, HELP, the starts of read and write,
// the erase, and the worker's block streams. The button handlers run on the user-interface
// thread; the worker's loop (runWorker) on the tool's worker thread. The mode word keeps
// them apart: a handler only starts when it is "NONE", and from a stream's start until its
// closing sequence only the worker touches the link, the buffer and the image file.

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "frame/file_load.h"
#include "frame/image_sink.h"
#include "frame/mode_word.h"
#include "frame/staged_image.h"
#include "link/ft_device.h"
#include "link/link_state.h"
#include "tools/mec16/mec16_bounds.h"
#include "tools/mec16/mec16_view.h"

namespace tarvex::mec16 {

namespace mode {
inline constexpr const char* kId = "ID";
inline constexpr const char* kReadMain = "READ_MAIN";
inline constexpr const char* kReadInfo = "READ_INFO";
inline constexpr const char* kErase = "ERASE";
inline constexpr const char* kWriteMain = "WRITE_MAIN";
}  // namespace mode

class Mec16Tool {
 public:
  Mec16Tool(FtBus& bus, Mec16View& view, Mec16Bounds bounds = {});

  // Button handlers (user-interface thread). The check and the erase return their result:
  // true when they ended with the success outcome.
  // The write's file dialog, for a caller that chooses the file before the write starts.
  static FileDialogSpec writeDialog();
  // The read's file dialog, for a caller that chooses the file before the read starts.
  static FileDialogSpec readDialog();

  bool connectionCheck();                 // "Проверка отклика от MEC16"
  void help();                            // "HELP"
  bool startRead(bool withInfo);          // true: the worker must run the read stream
  // The same read into memory, without a file dialog (a backup or a read-back check);
  // `purpose` is logged where a read logs its file name.
  bool startReadInto(MemoryImage& memory, bool withInfo, const char* purpose);
  bool erase(bool withInfo);              // the whole erase, on the calling thread
  bool startWrite(bool infoBoxChecked);   // true: the worker must run the write stream
  // The same write of an image already loaded from `fileName`: the file dialog is answered
  // with it without being shown.
  bool startWriteImage(bool infoBoxChecked, const std::string& fileName,
                       std::vector<std::uint8_t> image);
  // "СТОП или ВЫХОД": true when idle (the window may leave); during an operation it raises
  // the stop request instead.
  bool exitOrStop();

  // The worker: runs the stream the mode word names until that stream's closing sequence.
  // True when the stream ended with the success outcome.
  bool runWorker();

  const ModeWord& modeWord() const { return mode_; }
  std::string fileName() const { return fileName_; }
  // What the last write sent to the chip, padding included. Read once its worker has ended.
  const std::vector<std::uint8_t>& sentImage() const { return sent_; }
  // Whether the last erase sent its erase command, or the last write its first block: a
  // failure from then on leaves the flash partly erased or written. Read once it has ended.
  bool flashTouched() const { return touched_; }
  bool stopRequested() const { return stop_.load(); }

 private:
  enum class Blocks { kMainOnly, kMainAndInfo };

  bool beginRead(bool withInfo, MemoryImage* memory, const char* purpose);
  bool beginWrite(bool infoBoxChecked, std::optional<std::vector<std::uint8_t>> image);

  // Shared steps.
  bool openLink();
  std::optional<std::uint8_t> readStatus(const char* label, const char* lostLine);
  void decodeProtection(std::optional<std::uint8_t> status);
  bool writeLogged(std::uint32_t address, std::uint32_t value, const char* done,
                   const char* lostLine);
  void releaseSequence(const char* lost1, const char* lost2, const char* lost3);
  void closingSequence();
  // Keeps what a failed read received as a partial file and says where.
  void keepPartial();
  // Sends the outcome signal and keeps it as the operation's result.
  void signalOutcome(bool success);
  void failedStart();
  // Ends a start whose file was not chosen or could not be opened: the line, 'O', the link
  // closed, idle again. Always false, for the handler to return.
  bool abandonStart(const char* line);
  bool idAllOnes() const;
  void send(std::uint8_t command);

  // Streams (worker thread). Each returns true once its operation has ended.
  bool stepReadMain();
  bool stepReadInfo();
  bool stepWrite();
  void endReadFailed(const char* line);
  void endWriteUnacknowledged();
  bool finishWriteEarly();

  FtBus& bus_;
  Mec16View& view_;
  const Mec16Bounds bounds_;

  ModeWord mode_;
  StopRequest stop_{false};
  LinkState link_;
  StagedImage saved_;  // the image a read saves
  ImageSink* sink_ = &saved_;  // where the read in progress puts its blocks
  std::vector<std::uint8_t> sent_;  // what the write in progress sent
  bool touched_ = false;  // the erase or write in progress has begun changing the flash
  ImageSource source_;   // the image a write sends, read whole at its start
  std::string fileName_;
  Blocks blocks_ = Blocks::kMainOnly;
  int blockCounter_ = 0;
  bool fault_ = false;  // the operation result: false "all_ok", true "fault"
  std::atomic<bool> succeeded_{false};  // the outcome signalled last; false until one is
  bool fileWriteFailed_ = false;
};

}  // namespace tarvex::mec16
