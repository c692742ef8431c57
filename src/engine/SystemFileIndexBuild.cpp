#include "engine/SystemFileIndexBuild.h"

#include <chrono>
#include <utility>

namespace {
// As often as the window pumps during a run.
constexpr std::chrono::milliseconds kPumpInterval{4};
}  // namespace

SystemFileIndexBuild::~SystemFileIndexBuild() { Abandon(); }

void SystemFileIndexBuild::Start(std::function<void()> walk) {
  Abandon();
  stop_.store(false, std::memory_order_relaxed);
  whole_ = false;
  error_ = nullptr;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = false;
  }
  worker_ = std::thread([this, walk = std::move(walk)] {
    try {
      walk();
      whole_ = !StopRequested();
    } catch (...) {
      error_ = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    ended_.notify_all();
  });
}

bool SystemFileIndexBuild::Ended() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

bool SystemFileIndexBuild::Await(const std::function<void()>& pump) {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (ended_.wait_for(lock, kPumpInterval, [this] { return finished_; })) break;
    }
    pump();
  }
  Join();
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  return whole_;
}

void SystemFileIndexBuild::Abandon() {
  RequestStop();
  Join();
}

void SystemFileIndexBuild::Join() {
  if (worker_.joinable()) worker_.join();
}
