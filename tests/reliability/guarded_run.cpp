#include "tests/reliability/guarded_run.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvex::reliability {
namespace {

struct Shared {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool threw = false;
  std::string what;
};

}  // namespace

GuardedRun runGuarded(const std::function<void()>& body,
                      std::chrono::steady_clock::duration limit) {
  auto shared = std::make_shared<Shared>();
  const auto start = std::chrono::steady_clock::now();
  std::thread runner([shared, body] {
    bool threw = false;
    std::string what;
    try {
      body();
    } catch (const std::exception& e) {
      threw = true;
      what = e.what();
    } catch (...) {
      threw = true;
      what = "unknown exception";
    }
    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->threw = threw;
    shared->what = std::move(what);
    shared->done.notify_all();
  });

  std::unique_lock lock(shared->mutex);
  const bool finished = shared->done.wait_for(lock, limit, [&] { return shared->finished; });
  GuardedRun result;
  result.elapsed = std::chrono::steady_clock::now() - start;
  if (!finished) {
    lock.unlock();
    runner.detach();
    result.end = RunEnd::kHung;
    return result;
  }
  result.end = shared->threw ? RunEnd::kThrew : RunEnd::kReturned;
  result.what = shared->what;
  lock.unlock();
  runner.join();
  return result;
}

}  // namespace tarvex::reliability
