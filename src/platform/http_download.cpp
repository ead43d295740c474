#include "platform/http_download.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>

namespace orvo {

namespace {

// libcurl's global set-up is not thread-safe: done once, before any worker.
void InitCurlOnce() {
  static const bool done = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
  (void)done;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

struct TTransfer {
  std::string body;
  int64_t cap = 0;
  bool cut = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<TTransfer*>(user);
  const size_t bytes = size * count;
  const size_t room = static_cast<size_t>(transfer->cap) - transfer->body.size();
  if (bytes > room) {
    transfer->body.append(data, room);
    transfer->cut = true;
    return 0;  // ends the transfer with what arrived
  }
  transfer->body.append(data, bytes);
  return bytes;
}

}  // namespace

bool IsFetchableAddress(std::string_view address) {
  return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

THttpDownload::THttpDownload(std::string address, THttpLimits limits)
    : address_(std::move(address)), limits_(std::move(limits)) {
  if (!IsFetchableAddress(address_)) {
    result_ = THttpResult{{}, false, "only http and https addresses are fetched"};
    return;
  }
  InitCurlOnce();
  worker_ = std::thread([this] { Run(); });
}

THttpDownload::~THttpDownload() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
}

bool THttpDownload::Finished() const {
  std::lock_guard<std::mutex> guard(lock_);
  return result_.has_value();
}

THttpResult THttpDownload::Take() {
  std::optional<THttpResult> result;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!result_ || taken_) return {};
    taken_ = true;
    result = std::move(result_);
    result_ = THttpResult{};
  }
  if (worker_.joinable()) worker_.join();
  return std::move(*result);
}

void THttpDownload::Run() {
  THttpResult result;
  TTransfer transfer;
  transfer.cap = limits_.max_body;
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (!easy || !multi) {
    result.reason = "cannot start a transfer";
  } else {
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(easy, CURLOPT_URL, address_.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(limits_.max_redirects));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect_timeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.total_timeout.count()));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!limits_.ca_file.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, limits_.ca_file.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "OrvoPlayer");
    curl_multi_add_handle(multi, easy);
    // The multi interface lets the worker look at the cancel flag every
    // 50 ms, whatever the transfer is waiting for.
    int running = 1;
    CURLcode code = CURLE_OK;
    while (running && !cancel_) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running) curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg == CURLMSG_DONE) code = message->data.result;
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (cancel_) {
      result.reason = "aborted";
    } else if (transfer.cut) {
      result.reason = "the document is larger than " + std::to_string(limits_.max_body) + " bytes; cut there";
    } else if (code != CURLE_OK) {
      result.reason = error[0] ? error : curl_easy_strerror(code);
    } else if (status >= 400) {
      result.reason = "HTTP status " + std::to_string(status);
      transfer.body.clear();
    }
    result.ok = result.reason.empty();
    result.body = std::move(transfer.body);
    curl_multi_remove_handle(multi, easy);
  }
  if (multi) curl_multi_cleanup(multi);
  if (easy) curl_easy_cleanup(easy);
  std::lock_guard<std::mutex> guard(lock_);
  result_ = std::move(result);
}

}  // namespace orvo
