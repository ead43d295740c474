// Tab-separated tables from untrusted text: the loaded table saves and
// reads back to the same bytes, and every field reads in every type.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/stream.h"
#include "stage/functions/function_support.h"
#include "tables/db_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvo::TDBTable table("t", false);
  table.LoadTsv(orvo::SplitTextLines(text));
  for (int32_t record = 0; record < table.RecordCount(); ++record) {
    for (int32_t field = 0; field < table.Fields().Count(); ++field) {
      int32_t n = 0;
      long double x = 0;
      bool b = false;
      std::string s;
      if (!table.GetInt(record, field, n) || !table.GetFloat(record, field, x) || !table.GetBool(record, field, b) ||
          !table.GetStr(record, field, s)) {
        std::abort();
      }
    }
  }
  orvo::TMemoryStream stream;
  orvo::TBinaryWriter writer(stream);
  table.SaveToStream(writer);
  const std::string saved(stream.Bytes().begin(), stream.Bytes().end());
  orvo::TDBTable again("", true);
  orvo::TMemoryStream input(saved);
  orvo::TBinaryReader reader(input);
  again.LoadFromStream(reader);
  orvo::TMemoryStream output;
  orvo::TBinaryWriter rewriter(output);
  again.SaveToStream(rewriter);
  if (output.Bytes() != stream.Bytes()) std::abort();
  return 0;
}
