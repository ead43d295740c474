// Building the glyph list of a long Japanese message and writing its stream,
// against iconv converting the same bytes from CP932 to UTF-8: the one pass
// over the text that every message needs anyway.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/cp932.h"
#include "iconv_reference.h"
#include "text/kw_word.h"
#include "text/markup_writer.h"

namespace orvo {
namespace {

// 20,000 characters of Japanese text with a tag after every 20, in lines of 200 characters.
const std::vector<std::string>& Markup() {
  static const std::vector<std::string> lines = [] {
    const std::string characters = Utf8ToCp932("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
    const char* const tags[] = {"<B>",
                                "</B>",
                                "<FONT COLOR=#FF0000 SIZE=20>",
                                "</FONT>",
                                "<RUBY VALUE=るび>",
                                "</RUBY>",
                                "<WAIT VALUE=30>",
                                "</WAIT>",
                                "<A HREF=next>",
                                "</A>",
                                "<BR>"};
    std::vector<std::string> result;
    std::string line;
    size_t position = 0;
    for (int count = 0; count < 20000; ++count) {
      line.append(characters, position, 2);
      position = (position + 2) % characters.size();
      if (count % 20 == 19) {
        std::string tag = tags[(count / 20) % (sizeof tags / sizeof tags[0])];
        line += tag == "<RUBY VALUE=るび>" ? Utf8ToCp932(tag) : tag;
      }
      if (count % 200 == 199) {
        result.push_back(line);
        line.clear();
      }
    }
    return result;
  }();
  return lines;
}

size_t MarkupBytes() {
  size_t bytes = 0;
  for (const std::string& line : Markup()) bytes += line.size() + 1;
  return bytes;
}

void BM_BuildGlyphsAndWriteStream(benchmark::State& state) {
  TKwWord document;
  for (auto _ : state) {
    document.BuildFromMarkup(Markup());
    std::string stream = document.GlyphStreamBytes();
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MarkupBytes()));
  state.counters["glyphs"] = document.GlyphCount();
}
BENCHMARK(BM_BuildGlyphsAndWriteStream)->Unit(benchmark::kMicrosecond);

void BM_IconvCp932ToUtf8(benchmark::State& state) {
  std::string text;
  for (const std::string& line : Markup()) text += line + "\r";
  bench::ConvertWithIconv(state, std::move(text));
}
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvo
