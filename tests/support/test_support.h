#pragma once
// Helpers shared by the test programs.
#include <string>
#include <string_view>

namespace orvo::test {

// CP932 bytes of a UTF-8 literal written in a test.
std::string Sjis(std::string_view utf8);

// A fresh empty folder under the process's private temporary folder.
std::string MakeTempDir(std::string_view name);

// Folder of the test sources (fixtures) and of the build (programs).
std::string TestDataDir();
std::string BuildDir();

// Runs a command line through /bin/sh, returns its exit status; output is
// captured into *output when given. XDG_DATA_HOME is a fresh empty folder
// for each run (saves start empty) unless the command sets its own.
int RunCommand(const std::string& command, std::string* output = nullptr);

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

}  // namespace orvo::test
