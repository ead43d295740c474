#pragma once
// One HTTP GET on a worker thread of its own. The main thread never waits on
// the network: it polls Finished once a frame and then takes the whole
// result at once, so nothing it reads is ever written by the worker.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace orvo {

struct THttpLimits {
  int32_t max_redirects = 5;
  std::chrono::milliseconds connect_timeout{15000};
  std::chrono::milliseconds total_timeout{120000};
  // The transfer ends once the body holds this many bytes, keeping them.
  int64_t max_body = 16 * 1024 * 1024;
  // A certificate bundle to trust instead of the system's (tests); empty: the system's.
  std::string ca_file;
};

struct THttpResult {
  // What arrived (for an HTTP error status: nothing).
  std::string body;
  bool ok = false;
  // Why it failed, for the "http: ADDRESS: REASON" line; empty when ok.
  std::string reason;
};

class THttpDownload {
 public:
  // Starts fetching address. Only http:// and https:// addresses are
  // fetched; any other fails at once (Finished is true before the first poll).
  explicit THttpDownload(std::string address, THttpLimits limits = {});
  // Aborts a running transfer and joins the worker, within a second.
  ~THttpDownload();
  THttpDownload(const THttpDownload&) = delete;
  THttpDownload& operator=(const THttpDownload&) = delete;

  const std::string& Address() const { return address_; }
  // True once the worker has ended (the main thread's poll).
  bool Finished() const;
  // The result, handed over once after Finished; joins the ended worker.
  THttpResult Take();

 private:
  void Run();

  std::string address_;
  THttpLimits limits_;
  std::atomic<bool> cancel_{false};
  mutable std::mutex lock_;
  std::optional<THttpResult> result_;  // under lock_
  bool taken_ = false;
  std::thread worker_;
};

// True for addresses the player fetches: http:// or https://, any case.
bool IsFetchableAddress(std::string_view address);

}  // namespace orvo
