#pragma once
// Every operation that talks to the adapter, each with a factory for a fresh bench.

#include <memory>
#include <string>
#include <vector>

#include "tests/reliability/bench.h"

namespace tarvex::reliability {

struct Operation {
  std::string name;
  std::unique_ptr<Bench> (*make)(const BenchConfig&);
};

const std::vector<Operation>& operations();

std::unique_ptr<Bench> makeConnectionTest(const BenchConfig& config);
std::unique_ptr<Bench> makeEdidRead(const BenchConfig& config);
std::unique_ptr<Bench> makeEdidSingleRead(const BenchConfig& config);
std::unique_ptr<Bench> makeEdidWrite(const BenchConfig& config);
std::unique_ptr<Bench> makeEdidWriteStepsOff(const BenchConfig& config);
std::unique_ptr<Bench> makeKb90Read(const BenchConfig& config);
std::unique_ptr<Bench> makeKb90SingleRead(const BenchConfig& config);
std::unique_ptr<Bench> makeKb90Write(const BenchConfig& config);
std::unique_ptr<Bench> makeKb90WriteStepsOff(const BenchConfig& config);
std::unique_ptr<Bench> makeKeyboardScan(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16Check(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16Read(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16ReadWithInfo(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16SingleRead(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16Erase(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16Write(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16EraseStepsOff(const BenchConfig& config);
std::unique_ptr<Bench> makeMec16WriteStepsOff(const BenchConfig& config);
std::unique_ptr<Bench> makeIteSettings(const BenchConfig& config);
std::unique_ptr<Bench> makeIteCheck(const BenchConfig& config);
std::unique_ptr<Bench> makeIteRead(const BenchConfig& config);
std::unique_ptr<Bench> makeIteSingleRead(const BenchConfig& config);
std::unique_ptr<Bench> makeIteWrite(const BenchConfig& config);
std::unique_ptr<Bench> makeIteWriteStepsOff(const BenchConfig& config);

}  // namespace tarvex::reliability
