#pragma once
// The COM ports of this machine that belong to FTDI adapters (USB vendor 0403), as the
// system's device list knows them, in the order of their numbers: "COM3", "COM10".

#include <string>
#include <vector>

namespace tarvex::comport {

std::vector<std::string> findFtdiComPorts();

// The system's words for an error code, in UTF-8.
std::string systemErrorText(unsigned long error);

}  // namespace tarvex::comport
