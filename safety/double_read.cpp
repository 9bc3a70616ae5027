#include "safety/double_read.h"

#include <optional>
#include <span>
#include <utility>

#include "safety/image_compare.h"
#include "frame/kept_partial_line.h"
#include "base/printable.h"

namespace tarvex {
namespace {

// Where two reads differ; bytes one has beyond the other's end count as differing.
std::optional<ImageMismatch> differences(std::span<const std::uint8_t> a,
                                         std::span<const std::uint8_t> b) {
  if (a.size() < b.size()) std::swap(a, b);
  auto mismatch = compareImage(a.first(b.size()), b);
  const std::size_t beyond = a.size() - b.size();
  if (beyond == 0) return mismatch;
  if (!mismatch) return ImageMismatch{b.size(), beyond};
  mismatch->count += beyond;
  return mismatch;
}

}  // namespace

PhaseChain DoubleRead::chain() {
  succeeded_ = false;
  matched_ = false;
  first_.clear();
  second_.clear();
  PhaseChain chain;
  chain.add([this](bool) {
    if (steps_.begin) steps_.begin();
    if (!steps_.chooseAfterReads && !steps_.chooseTarget(target_)) return finish(false);
    return read(first_, texts_.firstRead);
  });
  chain.add([this](bool read) { return afterFirst(read); });
  chain.add([this](bool read) { return afterSecond(read); });
  return chain;
}

PhaseStep DoubleRead::read(MemoryImage& into, const char* purpose) {
  if (!steps_.startRead(into, purpose)) return PhaseStep::next(false);
  return PhaseStep::runWork(steps_.runWork, steps_.stoppable);
}

PhaseStep DoubleRead::afterFirst(bool read) {
  if (!read || !first_.whole()) {
    if (!steps_.chooseAfterReads) keepPartial(first_);
    return finish(false);
  }
  return this->read(second_, texts_.secondRead);
}

PhaseStep DoubleRead::afterSecond(bool read) {
  if (!read || !second_.whole()) {
    if (!steps_.chooseAfterReads) {
      keepPartial(second_);
      // The first read is whole but was never compared: kept, under a name that says so.
      keepRead(first_, ".read1.unconfirmed", texts_.unconfirmedKept);
    }
    return finish(false);
  }
  if (const auto mismatch = differences(first_.bytes(), second_.bytes())) {
    return reportMismatch(mismatch->count, mismatch->firstAddress);
  }
  matched_ = true;
  const auto& image = second_.bytes();
  if (steps_.chooseAfterReads) {
    if (steps_.showImage) steps_.showImage(image);
    if (!steps_.chooseTarget(target_)) return finish(false);
  }
  if (target_.write(image.data(), image.size()) && target_.commit()) {
    view_.logLine(texts_.readsMatch);
    return finish(true);
  }
  view_.logLine(texts_.fileWriteFailed);
  if (const auto kept = target_.abandon()) {
    view_.logLine(keptPartialLine(texts_.partial.lead, *kept, texts_.partial.beforeCount,
                                  texts_.partial.afterCount));
  }
  return finish(false);
}

PhaseStep DoubleRead::reportMismatch(std::size_t count, std::size_t firstAddress) {
  view_.setGaugeColor(steps_.gauge, colors::kRed);
  view_.logLine(std::string(texts_.differIn) + std::to_string(count) + texts_.firstAt +
                hexAddress(firstAddress) + texts_.checkContacts);
  // Said before the dialog, so the file chosen is known to be for the two reads kept.
  if (steps_.chooseAfterReads && !steps_.chooseTarget(target_)) return finish(false);
  keepRead(first_, ".read1.mismatch", texts_.readKept);
  keepRead(second_, ".read2.mismatch", texts_.readKept);
  return finish(false);
}

void DoubleRead::keepPartial(const MemoryImage& failed) {
  const auto& bytes = failed.bytes();
  target_.write(bytes.data(), bytes.size());
  if (const auto kept = target_.abandon()) {
    view_.logLine(keptPartialLine(texts_.partial.lead, *kept, texts_.partial.beforeCount,
                                  texts_.partial.afterCount));
  }
}

void DoubleRead::keepRead(const MemoryImage& read, const char* suffix, const char* lead) {
  if (const auto kept = keepBeside(target_.target(), suffix, read.bytes())) {
    view_.logLine(std::string(lead) + printable(kept->path));
  } else if (!read.bytes().empty()) {
    view_.logLine(texts_.fileWriteFailed);
  }
}

PhaseStep DoubleRead::finish(bool success) {
  // An image not saved leaves the chosen name as it was; its temporary file goes.
  target_.abandon();
  succeeded_ = success;
  if (matched_ && steps_.afterImage) steps_.afterImage(second_.bytes());
  return PhaseStep::end();
}

}  // namespace tarvex
