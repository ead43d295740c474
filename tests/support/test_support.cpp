#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/cp932.h"
#include "base/files.h"

namespace orvo::test {

std::string Sjis(std::string_view utf8) {
  std::string out;
  if (!TryUtf8ToCp932(utf8, out)) ADD_FAILURE() << "not convertible to CP932: " << utf8;
  return out;
}

std::string MakeTempDir(std::string_view name) {
  static int counter = 0;
  std::string path = PrivateTempFolder() + "/" + std::string(name) + "-" + std::to_string(++counter);
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path;
}

std::string TestDataDir() {
  const char* dir = std::getenv("ORVO_TEST_DATA");
  return dir ? dir : ".";
}

std::string BuildDir() {
  const char* dir = std::getenv("ORVO_BUILD_DIR");
  return dir ? dir : ".";
}

int RunCommand(const std::string& command, std::string* output) {
  // Every program run gets a data folder of its own, so that the status
  // data a game keeps between runs never leaks from one test (or the
  // developer's own plays) into another. A command may still set its own.
  const std::string data_home = MakeTempDir("data-home");
  FILE* pipe = ::popen(("export XDG_DATA_HOME='" + data_home + "'; " + command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  int status = ::pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

}  // namespace orvo::test
