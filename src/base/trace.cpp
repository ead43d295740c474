#include "base/trace.h"

namespace orvo {

TTrace::~TTrace() { Close(); }

bool TTrace::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "wb");
  return file_ != nullptr;
}

void TTrace::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

void TTrace::Line(std::string_view text) {
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

TTrace& Trace() {
  static TTrace trace;
  return trace;
}

}  // namespace orvo
