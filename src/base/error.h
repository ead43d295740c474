#pragma once
// The error family of the player. Messages are the system's own CP932 bytes;
// what() gives them converted to UTF-8 for a person to read.
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvo {

class EOrvoError : public std::exception {
 public:
  // message: CP932 bytes, exactly as the game data or the player states them.
  explicit EOrvoError(std::string message);
  // The message bytes as the scripts and the traces see them.
  const std::string& Message() const noexcept { return message_; }
  // The message as UTF-8, for terminals and message boxes.
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::string message_;
  std::string utf8_;
};

// Reading past the data that a stream or a record holds.
class EReadError : public EOrvoError {
 public:
  using EOrvoError::EOrvoError;
};

// Writing failed (disk full, read-only stream, rename refused).
class EWriteError : public EOrvoError {
 public:
  using EOrvoError::EOrvoError;
};

// Data that contradicts its own format (counts, sizes, magics).
class EFormatError : public EOrvoError {
 public:
  using EOrvoError::EOrvoError;
};

// Makes an error from a UTF-8 text written in our sources.
EOrvoError ErrorFromUtf8(std::string_view utf8);

}  // namespace orvo
