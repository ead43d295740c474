#include <gtest/gtest.h>

#include <functional>

#include "base/binary_io.h"
#include "base/cp932.h"
#include "base/error.h"
#include "base/stream.h"
#include "support/test_support.h"
#include "vars/param_types.h"
#include "vars/param_var.h"

namespace orvo {
namespace {

using test::Sjis;

// The message of the error that action raises, as UTF-8; empty when none.
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EOrvoError& error) {
    return error.what();
  }
  return {};
}

TEST(ParamTest, NewValuesHoldOneZeroElement) {
  for (int kind = PT_INT; kind <= PT_STR; ++kind) {
    std::unique_ptr<TCustomParam> value = MakeParam(kind);
    EXPECT_EQ(value->ParamType(), kind);
    EXPECT_EQ(value->Count(), 1);
    EXPECT_EQ(value->DimCount(), 1);
    EXPECT_EQ(value->GetAsInt(), 0);
    EXPECT_EQ(value->GetAsFloat(), 0);
    EXPECT_FALSE(value->GetAsBool());
  }
  EXPECT_EQ(MakeParam(PT_STR)->GetAsStr(), "");
  EXPECT_EQ(MakeParam(PT_BOOL)->GetAsStr(), "FALSE");
  EXPECT_THROW(MakeParam(5), EOrvoError);
}

TEST(ParamTest, ConversionsBetweenKinds) {
  struct Case {
    int kind;
    std::function<void(TCustomParam&)> set;
    std::function<std::string(TCustomParam&)> get;
    std::string expected;
  };
  auto as_int = [](TCustomParam& v) { return std::to_string(v.GetAsInt()); };
  auto as_bool = [](TCustomParam& v) { return std::string(v.GetAsBool() ? "T" : "F"); };
  auto as_str = [](TCustomParam& v) { return v.GetAsStr(); };
  const Case cases[] = {
      {PT_STR, [](TCustomParam& v) { v.SetAsStr("TRUE"); }, as_bool, "T"},
      {PT_STR, [](TCustomParam& v) { v.SetAsStr("FALSE"); }, as_bool, "F"},
      {PT_STR, [](TCustomParam& v) { v.SetAsStr("2"); }, as_bool, "T"},
      {PT_STR, [](TCustomParam& v) { v.SetAsStr("abc"); }, as_bool, "F"},
      {PT_STR, [](TCustomParam& v) { v.SetAsStr("2"); },
       [](TCustomParam& v) { return std::string(v.GetBool(0) ? "T" : "F"); }, "F"},
      {PT_BOOL, [](TCustomParam& v) { v.SetAsStr("true"); }, as_bool, "F"},
      {PT_BOOL, [](TCustomParam& v) { v.SetAsStr("TRUE"); }, as_str, "TRUE"},
      {PT_FLOAT, [](TCustomParam& v) { v.SetAsFloat(2.9L); }, as_int, "2"},
      {PT_FLOAT, [](TCustomParam& v) { v.SetAsFloat(-2.9L); }, as_int, "-2"},
      {PT_FLOAT, [](TCustomParam& v) { v.SetAsFloat(1e20L); }, as_str, "1E20"},
      {PT_INT, [](TCustomParam& v) { v.SetAsStr(" $1F"); }, as_int, "31"},
      {PT_INT, [](TCustomParam& v) { v.SetAsStr("x"); }, as_int, "0"},
      {PT_INT, [](TCustomParam& v) { v.SetAsInt(-5); }, as_str, "-5"},
      {PT_INT, [](TCustomParam& v) { v.SetAsBool(true); }, as_str, "1"},
      {PT_FLOAT, [](TCustomParam& v) { v.SetAsStr("1.5"); }, as_str, "1.5"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::unique_ptr<TCustomParam> value = MakeParam(cases[i].kind);
    cases[i].set(*value);
    EXPECT_EQ(cases[i].get(*value), cases[i].expected) << "case " << i;
  }
}

TEST(ParamTest, DimensionsAndIndexedAccess) {
  TParamInt value;
  const int32_t sizes[] = {2, 3};
  value.SetDims(sizes);
  EXPECT_EQ(value.Count(), 6);
  EXPECT_EQ(value.DimCount(), 2);
  EXPECT_EQ(value.DimSize(1), 3);
  EXPECT_EQ(value.DimSize(7), 1);
  value.SetInt(5, 42);
  EXPECT_EQ(value.GetInt(5), 42);
  EXPECT_EQ(ErrorOf([&] { value.GetInt(6); }), "[6]:配列の添字が不正です");
  EXPECT_EQ(ErrorOf([&] { value.SetInt(-1, 0); }), "[-1]:配列の添字が不正です");

  const int32_t bad[] = {3, 0, 2};
  EXPECT_EQ(ErrorOf([&] { value.SetDims(bad); }), "配列の要素数[3,0,2]が不正です");
  const int32_t huge[] = {100000, 100000};
  EXPECT_EQ(ErrorOf([&] { value.SetDims(huge); }), "配列の要素数[100000,100000]が不正です");
  EXPECT_EQ(value.Count(), 6);

  // A scalar assignment makes an array scalar again.
  value.SetAsInt(7);
  EXPECT_EQ(value.Count(), 1);
  EXPECT_EQ(value.DimCount(), 1);
  EXPECT_EQ(value.GetAsInt(), 7);
}

TEST(ParamTest, UniqueRemoveValueAndIndexOf) {
  auto ints = [](std::initializer_list<int32_t> items) {
    auto value = std::make_unique<TParamInt>();
    value->Elements().assign(items);
    const int32_t size = static_cast<int32_t>(items.size());
    value->SetDims(std::span<const int32_t>(&size, 1));
    return value;
  };
  auto unique = ints({3, 1, 3, 2, 1});
  unique->Unique();
  EXPECT_EQ(unique->Elements(), (std::vector<int32_t>{3, 1, 2}));
  EXPECT_EQ(unique->DimSize(0), 3);  // the size of a vector follows its elements

  auto removed = ints({3, 1, 3, 2, 1});
  TParamInt three;
  three.SetAsInt(3);
  removed->RemoveValue(&three);
  EXPECT_EQ(removed->Elements(), (std::vector<int32_t>{1, 2, 1}));

  TParamFlag flags;
  flags.Elements() = {0, 0, 1, 0};
  TParamFlag yes;
  yes.SetAsBool(true);
  flags.RemoveValue(&yes);
  EXPECT_EQ(flags.Count(), 3);
  EXPECT_FALSE(flags.GetBool(2));

  TParamStr strings;
  strings.Elements() = {"a", "b"};
  EXPECT_EQ(strings.IndexOf("B", false, false), 1);
  EXPECT_EQ(strings.IndexOf("B", true, false), -1);
  TParamStr abc;
  abc.SetAsStr("abc");
  EXPECT_EQ(abc.IndexOf("b", true, true), 0);
  EXPECT_EQ(abc.IndexOf("B", false, true), 0);
  // Other kinds compare their text forms.
  EXPECT_EQ(ints({5, 12})->IndexOf("12", true, false), 1);
}

TEST(ParamTest, CopyMemNeedsTheSameClass) {
  TParamInt target;
  TParamInt source;
  const int32_t sizes[] = {2, 2};
  source.SetDims(sizes);
  source.SetInt(3, 9);
  target.CopyMem(source);
  EXPECT_EQ(target.Count(), 4);
  EXPECT_EQ(target.DimSize(1), 2);
  EXPECT_EQ(target.GetInt(3), 9);
  TParamStr other;
  EXPECT_EQ(ErrorOf([&] { target.CopyMem(other); }), "CopyMem:変数の型があいません");
}

TEST(ParamTest, ValueRecordsRoundTrip) {
  for (int kind = PT_INT; kind <= PT_STR; ++kind) {
    std::unique_ptr<TCustomParam> value = MakeParam(kind);
    const int32_t sizes[] = {3, 2};
    value->SetDims(sizes);
    for (int32_t i = 0; i < value->Count(); ++i) value->SetStr(i, std::to_string(i % 2));
    TMemoryStream stream;
    TBinaryWriter writer(stream);
    value->SaveToStream(writer);
    stream.SetPosition(0);
    TBinaryReader reader(stream);
    std::unique_ptr<TCustomParam> loaded = MakeParam(kind);
    loaded->LoadFromStream(reader);
    EXPECT_EQ(reader.Remaining(), 0);
    EXPECT_EQ(loaded->Dims(), value->Dims());
    for (int32_t i = 0; i < value->Count(); ++i) EXPECT_EQ(loaded->GetStr(i), value->GetStr(i));
  }
}

TEST(ParamTest, DamagedValueRecordsAreRejected) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  auto le32 = [](int32_t v) {
    std::string bytes(4, '\0');
    StoreU32(reinterpret_cast<uint8_t*>(bytes.data()), static_cast<uint32_t>(v));
    return bytes;
  };
  const Case cases[] = {
      {"negative dimension count", le32(-1)},
      {"dimension count beyond the data", le32(1000000)},
      {"negative element count", le32(0) + le32(-5)},
      {"element count beyond the data", le32(0) + le32(0x7FFFFFFF)},
      {"truncated element", le32(0) + le32(1) + "\x01"},
  };
  for (const Case& c : cases) {
    TSpanStream stream(c.bytes.data(), c.bytes.size());
    TBinaryReader reader(stream);
    TParamInt value;
    EXPECT_THROW(value.LoadFromStream(reader), EOrvoError) << c.what;
  }
}

TEST(ParamTest, AssignConvertedTakesTheTargetKind) {
  TParamStr source;
  const int32_t sizes[] = {2};
  source.SetDims(sizes);
  source.SetStr(0, "12");
  source.SetStr(1, "x");
  TParamFloat target;
  AssignConverted(target, source);
  EXPECT_EQ(target.Count(), 2);
  EXPECT_EQ(target.GetFloat(0), 12);
  EXPECT_EQ(target.GetFloat(1), 0);
  EXPECT_EQ(ParamTypeDisplayName(PT_STR), Sjis("文字列"));
}

}  // namespace
}  // namespace orvo
