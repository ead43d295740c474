#include "stage/http.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/trace.h"
#include "stage/stage.h"

namespace orvo {

namespace {

std::string EucToCp932(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  size_t i = 0;
  while (i < body.size()) {
    const uint8_t byte = static_cast<uint8_t>(body[i]);
    if (byte == 0x00) {
      out += ' ';
      ++i;
    } else if (byte <= 0x80 || byte == 0xFF) {
      out += static_cast<char>(byte);
      ++i;
    } else if (i + 1 >= body.size()) {
      break;  // a first byte without its second: dropped, never read past
    } else if (byte == 0x8E) {
      out += body[i + 1];  // half-width katakana
      i += 2;
    } else {
      const int j1 = byte & 0x7F;
      const int j2 = static_cast<uint8_t>(body[i + 1]) & 0x7F;
      const int lead = ((j1 + 1) >> 1) + (j1 <= 94 ? 0x70 : 0xB0);
      const int trail = j2 + ((j1 % 2 == 0) ? 0x7E : (j2 < 0x60 ? 0x1F : 0x20));
      out += static_cast<char>(lead & 0xFF);
      out += static_cast<char>(trail & 0xFF);
      i += 2;
    }
  }
  return out;
}

}  // namespace

std::string HttpBodyText(std::string_view body) {
  const std::string text = EucToCp932(body);
  std::string joined;
  joined.reserve(text.size());
  size_t i = 0;
  bool first = true;
  while (i < text.size()) {
    const size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    if (!first) joined += '\x01';
    joined.append(text, start, i - start);
    first = false;
    if (i < text.size() && text[i] == '\r') {
      ++i;
      if (i < text.size() && text[i] == '\n') ++i;
    } else if (i < text.size()) {
      ++i;
    }
  }
  return joined;
}

TOrvoHttp::TOrvoHttp(TOrvoBaseList& stage) : TOrvoComponent(stage) {}

TOrvoHttp::~TOrvoHttp() = default;

const std::string& TOrvoHttp::Body() const {
  static const std::string empty;
  return download_ ? empty : body_;
}

TPropValue TOrvoHttp::GetProperty(int32_t id) const {
  switch (id) {
    case PR_SOURCE:
      return TPropValue::Str(address_);
    case PR_TEXT:
      return TPropValue::Str(HttpBodyText(Body()));
    case PR_ONPLAYEND:
      return TPropValue::Str(on_play_end_);
    default:
      return TOrvoComponent::GetProperty(id);
  }
}

void TOrvoHttp::SetProperty(int32_t id, const TPropValue& value) {
  switch (id) {
    case PR_SOURCE:
      Start(value.AsStr());
      break;
    case PR_ONPLAYEND:
      on_play_end_ = value.AsStr();
      break;
    default:
      TOrvoComponent::SetProperty(id, value);
      break;
  }
}

void TOrvoHttp::Start(const std::string& source) {
  if (download_) return;  // one download at a time; a second source is ignored
  body_.clear();
  if (!source.empty() && source[0] == '!') {
    const auto* other = dynamic_cast<const TOrvoHttp*>(Stage().FindComponent(std::string_view(source).substr(1)));
    address_ = other ? other->Body() : std::string();
  } else {
    address_ = source;
  }
  download_ = std::make_unique<THttpDownload>(address_, limits_);
}

bool TOrvoHttp::Update() {
  if (!download_ || !download_->Finished()) return false;
  THttpResult result = download_->Take();
  download_.reset();
  body_ = std::move(result.body);
  if (!result.ok) {
    const std::string line = "http: " + address_ + ": " + result.reason;
    Trace().Line(line);
    std::fprintf(stderr, "%s\n", Cp932ToUtf8(line).c_str());
  }
  if (!on_play_end_.empty()) Stage().Events().PostEvent(Handle(), on_play_end_, {}, PR_ONPLAYEND);
  return false;
}

}  // namespace orvo
