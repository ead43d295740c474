// The page state record from untrusted bytes (it comes from a save file):
// it loads or is refused with a read error, and the reveal goes on from
// whatever it set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/binary_io.h"
#include "base/error.h"
#include "base/stream.h"
#include "text/kw_word.h"
#include "text/markup_writer.h"
#include "text/page_state.h"
#include "text/reveal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvo::TKwWord document;
  document.BuildFromMarkup(
      orvo::SplitMarkupLines("<WAIT VALUE=5>ab<EVENT VALUE=e>c<VAR NAME=v><BR><IMG SRC=p>d<BR>e<BR CLEAR>f"));
  document.frozen_values = {"v=xy"};
  document.ExpandVars(0, -1, orvo::THistoryVars::Skip);
  document.layout_width = 48;
  document.layout_height = 24;
  document.notify_enabled = true;
  document.event_callback = [](orvo::TKwWord&, std::string_view) {};
  std::vector<std::unique_ptr<orvo::TWdPage>> pages;
  document.Layout(pages, 0, "mes", -1);
  orvo::TWdPage& page = *pages[0];
  orvo::TSpanStream stream(reinterpret_cast<const char*>(data), size);
  orvo::TBinaryReader reader(stream);
  try {
    orvo::LoadState(page, reader);
  } catch (const orvo::EOrvoError&) {
  }
  for (int frame = 0; frame < 20; ++frame) orvo::StepReveal(page, 15);
  orvo::TMemoryStream out;
  orvo::TBinaryWriter writer(out);
  orvo::SaveState(page, writer);
  return 0;
}
