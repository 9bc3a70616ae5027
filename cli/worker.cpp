#include "cli/worker.h"

namespace tarvex::cli {

Worker::~Worker() {
  if (thread_.joinable()) thread_.join();
}

void Worker::start(std::function<bool()> body) {
  thread_ = std::thread([this, body = std::move(body)] {
    const bool result = body();
    std::lock_guard lock(mutex_);
    result_ = result;
    finished_ = true;
    done_.notify_all();
  });
}

bool Worker::waitFor(std::chrono::milliseconds bound) {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, bound, [this] { return finished_; });
}

bool Worker::join() {
  if (!thread_.joinable()) return false;
  thread_.join();
  std::lock_guard lock(mutex_);
  return result_;
}

std::string Supervision::halfDoneNote() {
  return "cannot stop part-way without leaving the chip half done; finishing "
         "(Ctrl-C again quits at once)";
}

std::string Supervision::readGoesOnNote() {
  return "the read cannot stop part-way and runs to its end; Ctrl-C again quits at once, "
         "leaving the chip as it is";
}

std::string Supervision::stopsBeforeChangeNote() {
  return "the read before the write cannot stop part-way; once it ends, nothing is erased or "
         "written (Ctrl-C again quits at once, leaving the chip as it is)";
}

std::string Supervision::readBackGoesOnNote() {
  return "the write is done; its read-back cannot stop part-way and runs to its end "
         "(Ctrl-C again quits at once, leaving the write unverified)";
}

std::string endsWithin(std::chrono::steady_clock::duration bound) {
  return "within " + std::to_string(std::chrono::ceil<std::chrono::seconds>(bound).count()) + " s";
}

bool supervise(Worker& worker, const CliEnv& env, TerminalView& view, const Supervision& what) {
  bool stopped = false;
  bool toldUnstoppable = false;
  const auto period = what.tick ? what.tickPeriod : std::chrono::milliseconds(100);
  while (worker.started()) {
    // Looked at before each wait, so a Ctrl-C that came before the worker started counts.
    const bool interrupted = env.interrupted && env.interrupted->load();
    const bool timeUp = what.stopAt && std::chrono::steady_clock::now() >= *what.stopAt;
    if ((interrupted || timeUp) && what.stop && !stopped) {
      what.stop();
      stopped = true;
    } else if (interrupted && !what.stop && !toldUnstoppable) {
      view.note(what.cannotStop);
      toldUnstoppable = true;
    }
    if (worker.waitFor(period)) break;
    if (what.tick) what.tick();
  }
  return worker.join();
}

void superviseChain(PhaseChain& chain, const CliEnv& env, TerminalView& view,
                    const std::function<void()>& stop, const std::string& cannotStop) {
  bool chipChanging = false;  // a step that may change the chip has started
  runChain(chain, [&](const PhaseStep& step) {
    const bool beforeChange = !chipChanging;
    if (!step.readsOnly) chipChanging = true;
    Worker worker;
    worker.start(step.work);
    Supervision supervision;
    if (step.stoppable) {
      supervision.stop = stop;
    } else if (!step.readsOnly) {
      supervision.cannotStop = cannotStop;
    } else {
      supervision.cannotStop = beforeChange ? Supervision::stopsBeforeChangeNote()
                                            : Supervision::readBackGoesOnNote();
    }
    const bool result = supervise(worker, env, view, supervision);
    // A Ctrl-C during a read before the chip is changed: the chain goes no further.
    if (step.readsOnly && beforeChange && env.interrupted && env.interrupted->load()) {
      return false;
    }
    return result;
  });
}

}  // namespace tarvex::cli
