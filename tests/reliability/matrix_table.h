#pragma once
// The fault matrix as a table: one row per operation, one column per fault, each cell
// "pass", "FAIL" or "n/a"; "pass*" is a pass with a note printed under the table, and
// "pending" a cell of a fault not yet enforced (kVerifyFaults) that broke. Rows are
// kept as the runs finish and printed together.

#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "tests/reliability/bench.h"

namespace tarvex::reliability {

class MatrixTable {
 public:
  void set(const std::string& operation, Fault fault, std::string cell);
  void note(const std::string& operation, Fault fault, const std::string& text);
  // The longest run of the operation so far, shown in the last column.
  void took(const std::string& operation, Duration elapsed);
  void print(std::ostream& out) const;
  void printRow(std::ostream& out, const std::string& operation) const;
  bool empty() const;

 private:
  void printHeader(std::ostream& out) const;
  void printRowLocked(std::ostream& out, const std::string& operation) const;

  mutable std::mutex mutex_;
  std::vector<std::string> order_;
  std::map<std::string, std::map<Fault, std::string>> cells_;
  std::vector<std::string> notes_;
  std::map<std::string, Duration> longest_;
};

}  // namespace tarvex::reliability
