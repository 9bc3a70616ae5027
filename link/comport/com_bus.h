#pragma once
// The device layer on the COM ports of FTDI adapters (the vendor's virtual COM port
// driver), or on one port named by the user (--port COM7).

#include <mutex>
#include <string>
#include <vector>

#include "link/ft_device.h"

namespace tarvex::comport {

class ComBus final : public FtBus {
 public:
  ComBus() = default;
  // A bus of exactly one port, the one named.
  static std::unique_ptr<ComBus> forPort(std::string portName);

  FtStatus createDeviceInfoList(std::uint32_t* count) override;
  FtStatus open(std::uint32_t index, std::unique_ptr<FtDevice>* device) override;
  std::string lastOpenError() const override;

 private:
  void scanLocked();

  std::string fixedPort_;
  mutable std::mutex mutex_;
  bool scanned_ = false;
  std::vector<std::string> ports_;
  std::string lastOpenError_;
};

}  // namespace tarvex::comport
