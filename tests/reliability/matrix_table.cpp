#include "tests/reliability/matrix_table.h"

#include <algorithm>
#include <chrono>
#include <iomanip>
#include <iterator>

namespace tarvex::reliability {
namespace {

constexpr int kNameWidth = 24;
constexpr int kCellWidth = 13;

// Every fault column: the ones the matrix enforces, then the ones that need verification.
std::vector<Fault> columns() {
  std::vector<Fault> all(std::begin(kAllFaults), std::end(kAllFaults));
  all.insert(all.end(), std::begin(kVerifyFaults), std::end(kVerifyFaults));
  return all;
}

}  // namespace

void MatrixTable::set(const std::string& operation, Fault fault, std::string cell) {
  std::lock_guard lock(mutex_);
  if (std::find(order_.begin(), order_.end(), operation) == order_.end()) {
    order_.push_back(operation);
  }
  cells_[operation][fault] = std::move(cell);
}

void MatrixTable::note(const std::string& operation, Fault fault, const std::string& text) {
  std::lock_guard lock(mutex_);
  notes_.push_back("* " + operation + " / " + faultName(fault) + ": " + text);
}

void MatrixTable::took(const std::string& operation, Duration elapsed) {
  std::lock_guard lock(mutex_);
  longest_[operation] = std::max(longest_[operation], elapsed);
}

bool MatrixTable::empty() const {
  std::lock_guard lock(mutex_);
  return order_.empty();
}

void MatrixTable::printHeader(std::ostream& out) const {
  out << std::left << std::setw(kNameWidth) << "operation";
  for (Fault fault : columns()) out << std::setw(kCellWidth) << faultName(fault);
  out << "longest\n";
}

void MatrixTable::printRowLocked(std::ostream& out, const std::string& operation) const {
  out << std::left << std::setw(kNameWidth) << operation;
  const auto row = cells_.find(operation);
  for (Fault fault : columns()) {
    std::string cell = "-";
    if (row != cells_.end()) {
      const auto found = row->second.find(fault);
      if (found != row->second.end()) cell = found->second;
    }
    out << std::setw(kCellWidth) << cell;
  }
  const auto longest = longest_.find(operation);
  if (longest != longest_.end()) {
    out << std::chrono::duration_cast<std::chrono::milliseconds>(longest->second).count() << " ms";
  }
  out << '\n';
}

void MatrixTable::print(std::ostream& out) const {
  std::lock_guard lock(mutex_);
  printHeader(out);
  for (const auto& operation : order_) printRowLocked(out, operation);
  for (const auto& text : notes_) out << text << '\n';
}

void MatrixTable::printRow(std::ostream& out, const std::string& operation) const {
  std::lock_guard lock(mutex_);
  printHeader(out);
  printRowLocked(out, operation);
}

}  // namespace tarvex::reliability
