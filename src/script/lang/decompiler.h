#pragma once
// Source text back from any page file: structured where the page has the
// shape the compiler gives, flat (every command with its stored indent,
// line and targets) otherwise. Compiling the text gives the same bytes.
#include <functional>
#include <string>

#include "script/page.h"

namespace orvo {

struct TDecompileOptions {
  // The page's own game name (CP932): jumps and calls to it are written without page.
  std::string page_name;
  // Another page, for the names of its labels; null when it cannot be had.
  std::function<const TPage*(const std::string& page)> find_page;
};

// UTF-8 source of the page.
std::string DecompilePage(const TPage& page, const TDecompileOptions& options);

}  // namespace orvo
