#pragma once
// The trace of a run: start-up and shutdown labels and the interpreter's
// command lines. Off unless a file is given (--trace).
#include <cstdio>
#include <string>
#include <string_view>

namespace orvo {

class TTrace {
 public:
  ~TTrace();
  // Opens the trace file; false when it cannot be created.
  bool Open(const std::string& path);
  void Close();
  bool Enabled() const { return file_ != nullptr; }
  // Writes one line (a label or an interpreter line), bytes as given.
  void Line(std::string_view text);

 private:
  std::FILE* file_ = nullptr;
};

// The trace of the process.
TTrace& Trace();

}  // namespace orvo
