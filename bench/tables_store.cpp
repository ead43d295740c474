// The table store against the plain containers a programmer would reach
// for: 100,000 records of an integer, a real and a 16-byte string, appended,
// sorted by the integer then the string, and searched on the integer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/stream.h"
#include "tables/db_table.h"
#include "vars/param.h"

namespace {

constexpr int32_t kRows = 100000;
constexpr int32_t kKeys = 1000;  // about 100 records share each integer

struct TRow {
  int32_t n;
  long double r;
  std::string s;
};

const std::vector<TRow>& Rows() {
  static const std::vector<TRow> rows = [] {
    std::vector<TRow> made;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int32_t i = 0; i < kRows; ++i) {
      TRow row;
      row.n = static_cast<int32_t>(next() >> 8) % kKeys;
      row.r = static_cast<long double>(next() >> 8) / 1024.0L;
      for (int c = 0; c < 16; ++c) row.s += static_cast<char>('a' + (next() >> 16) % 26);
      made.push_back(std::move(row));
    }
    return made;
  }();
  return rows;
}

void Fill(orvo::TDBTable& table) {
  table.Fields().AddField("n", orvo::ftInt, 0);
  table.Fields().AddField("r", orvo::ftFloat, 0);
  table.Fields().AddField("s", orvo::ftStr, 16);
  for (const TRow& row : Rows()) {
    table.Append();
    const int32_t record = table.RecNo();
    table.SetInt(record, 0, row.n);
    table.SetFloat(record, 1, row.r);
    table.SetStr(record, 2, row.s);
  }
}

std::string Saved(const orvo::TDBTable& table) {
  orvo::TMemoryStream stream;
  orvo::TBinaryWriter writer(stream);
  table.SaveToStream(writer);
  return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

std::unique_ptr<orvo::TCustomParam> Array(int kind, std::initializer_list<const char*> values) {
  auto array = orvo::MakeParam(kind);
  const std::array<int32_t, 1> sizes{static_cast<int32_t>(values.size())};
  array->SetDims(sizes);
  int32_t i = 0;
  for (const char* value : values) array->SetStr(i++, value);
  return array;
}

bool RowLess(const TRow& a, const TRow& b) { return a.n != b.n ? a.n < b.n : a.s < b.s; }

void TableAppend(benchmark::State& state) {
  for (auto _ : state) {
    orvo::TDBTable table("t", false);
    Fill(table);
    benchmark::DoNotOptimize(table.RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(TableAppend)->Unit(benchmark::kMillisecond);

void VectorAppend(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<TRow> rows;
    for (const TRow& row : Rows()) rows.push_back({row.n, row.r, row.s});
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(VectorAppend)->Unit(benchmark::kMillisecond);

void TableSort(benchmark::State& state) {
  orvo::TDBTable source("t", false);
  Fill(source);
  const std::string saved = Saved(source);
  const auto keys = Array(orvo::PT_STR, {"n", "s"});
  const auto descending = Array(orvo::PT_BOOL, {"FALSE", "FALSE"});
  for (auto _ : state) {
    state.PauseTiming();
    orvo::TDBTable table("t", false);
    orvo::TMemoryStream stream(saved);
    orvo::TBinaryReader reader(stream);
    table.LoadFromStream(reader);
    state.ResumeTiming();
    table.Sort(keys.get(), descending.get());
    benchmark::DoNotOptimize(table.RecordAt(0));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(TableSort)->Unit(benchmark::kMillisecond);

void VectorSort(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<TRow> rows = Rows();
    state.ResumeTiming();
    std::sort(rows.begin(), rows.end(), RowLess);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(VectorSort)->Unit(benchmark::kMillisecond);

void TableSelect(benchmark::State& state) {
  orvo::TDBTable table("t", false);
  Fill(table);
  const auto keys = Array(orvo::PT_STR, {"n"});
  int32_t key = 0;
  std::vector<int32_t> list;
  for (auto _ : state) {
    const auto values = Array(orvo::PT_INT, {std::to_string(key).c_str()});
    list.clear();
    table.Select(list, keys.get(), values.get(), {});
    benchmark::DoNotOptimize(list.data());
    key = (key + 7) % kKeys;
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(TableSelect)->Unit(benchmark::kMicrosecond);

void VectorFindIfScan(benchmark::State& state) {
  const std::vector<TRow>& rows = Rows();
  int32_t key = 0;
  std::vector<int32_t> list;
  for (auto _ : state) {
    list.clear();
    auto match = [key](const TRow& row) { return row.n == key; };
    for (auto it = std::find_if(rows.begin(), rows.end(), match); it != rows.end();
         it = std::find_if(it + 1, rows.end(), match)) {
      list.push_back(static_cast<int32_t>(it - rows.begin()));
    }
    benchmark::DoNotOptimize(list.data());
    key = (key + 7) % kKeys;
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(VectorFindIfScan)->Unit(benchmark::kMicrosecond);

void UnorderedMapLookup(benchmark::State& state) {
  std::unordered_multimap<int32_t, int32_t> index;
  const std::vector<TRow>& rows = Rows();
  for (int32_t i = 0; i < kRows; ++i) index.emplace(rows[static_cast<size_t>(i)].n, i);
  int32_t key = 0;
  std::vector<int32_t> list;
  for (auto _ : state) {
    list.clear();
    const auto [first, last] = index.equal_range(key);
    for (auto it = first; it != last; ++it) list.push_back(it->second);
    benchmark::DoNotOptimize(list.data());
    key = (key + 7) % kKeys;
  }
}
BENCHMARK(UnorderedMapLookup)->Unit(benchmark::kMicrosecond);

}  // namespace
