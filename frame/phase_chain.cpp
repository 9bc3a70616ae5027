#include "frame/phase_chain.h"

namespace tarvex {

const PhaseStep* PhaseChain::advance() {
  while (next_ < phases_.size()) {
    current_ = phases_[next_++](previous_);
    switch (current_.kind) {
      case PhaseStep::Kind::kNext:
        previous_ = current_.passed;
        break;
      case PhaseStep::Kind::kWork:
        return &current_;
      case PhaseStep::Kind::kEnd:
        next_ = phases_.size();
        return nullptr;
    }
  }
  return nullptr;
}

void runChain(PhaseChain& chain, const std::function<bool(const PhaseStep&)>& runWork) {
  while (const PhaseStep* step = chain.advance()) chain.workEnded(runWork(*step));
}

}  // namespace tarvex
