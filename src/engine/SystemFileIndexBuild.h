// The system file index built on a worker thread while the checks go on: the walk reads files
// only, and its one reader waits for it, pumping the window's messages meanwhile. An error in
// the walk is carried to the waiting thread and thrown there.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class SystemFileIndexBuild {
 public:
  SystemFileIndexBuild() = default;
  // Stops and joins a walk still running.
  ~SystemFileIndexBuild();
  SystemFileIndexBuild(const SystemFileIndexBuild&) = delete;
  SystemFileIndexBuild& operator=(const SystemFileIndexBuild&) = delete;

  // Runs walk on a worker thread; a walk still running from before is stopped and joined first.
  void Start(std::function<void()> walk);
  // Asks the walk to end at its next entry; any thread may ask.
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  // What the walk tests between its entries.
  bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }
  // True once the walk has ended (or none was started): Await then returns without waiting.
  bool Ended();
  // Waits for the walk's end, calling pump between short waits, and joins it. Throws the walk's
  // error (once). True when the index is whole: the walk went to its end, or none was started.
  bool Await(const std::function<void()>& pump);
  // Stops the walk and joins it; its error, if any, is kept for the next Await.
  void Abandon();

 private:
  void Join();

  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable ended_;
  bool finished_ = true;  // guarded by mutex_
  // Written by the worker before it signals finished_, read after the join.
  bool whole_ = true;
  std::exception_ptr error_;
};
