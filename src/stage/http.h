#pragma once
// The HTTP fetch object (kind 7): writing PR_SOURCE fetches a web document on
// a worker thread; the frame's update step takes the finished document and
// posts PR_ONPLAYEND, and PR_TEXT reads it as CP932 lines joined by 0x01.
#include <memory>
#include <string>

#include "platform/http_download.h"
#include "stage/orvo_object.h"

namespace orvo {

class TOrvoHttp : public TOrvoComponent {
 public:
  explicit TOrvoHttp(TOrvoBaseList& stage);
  // Aborts a running download and joins its worker; nothing is posted.
  ~TOrvoHttp() override;

  uint8_t CompoType() const override { return kcHttp; }
  TPropValue GetProperty(int32_t id) const override;
  void SetProperty(int32_t id, const TPropValue& value) override;
  // Takes a finished download: posts the end handler (code 43).
  bool Update() override;

  // The received bytes; empty while a download runs.
  const std::string& Body() const;
  bool Downloading() const { return download_ != nullptr; }
  // Limits of the downloads this object starts (tests trust their own certificates).
  void SetLimits(THttpLimits limits) { limits_ = std::move(limits); }

 private:
  void Start(const std::string& source);

  std::string address_;
  std::string body_;
  std::string on_play_end_;
  THttpLimits limits_;
  std::unique_ptr<THttpDownload> download_;
};

// A received document as scripts read it: EUC-JP converted to CP932, its
// lines (ended by CR LF, LF or CR) joined by the byte 0x01. A lead byte at
// the very end is dropped.
std::string HttpBodyText(std::string_view body);

}  // namespace orvo
