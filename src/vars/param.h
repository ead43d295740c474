#pragma once
// Value objects: the typed element arrays behind every script variable, the
// reference to another variable's element, and the shared zero values.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"

namespace orvo {

// Kind codes as stored in pages and saves.
enum TParamType : uint8_t { PT_NONE = 0, PT_INT = 1, PT_FLOAT = 2, PT_BOOL = 3, PT_STR = 4 };

// Display names of the kinds ("整数", "実数", "フラグ", "文字列"; empty for PT_NONE), CP932.
const std::string& ParamTypeDisplayName(TParamType kind);

// Upper bound on the elements of one variable: far above what a game needs,
// low enough that a script or a save cannot exhaust memory.
constexpr int64_t kMaxParamElements = int64_t{1} << 22;
// Upper bound on one script string (concatenation, repetition, padding).
constexpr size_t kMaxScriptString = size_t{64} << 20;

// The value access that every concrete value class overrides as a whole: one
// list, so the classes cannot drift apart.
#define ORVO_PARAM_VALUE_OVERRIDES                          \
  bool GetAsBool() const override;                          \
  long double GetAsFloat() const override;                  \
  int32_t GetAsInt() const override;                        \
  std::string GetAsStr() const override;                    \
  void SetAsBool(bool value) override;                      \
  void SetAsFloat(long double value) override;              \
  void SetAsInt(int32_t value) override;                    \
  void SetAsStr(std::string_view value) override;           \
  int32_t GetInt(int32_t index) const override;             \
  void SetInt(int32_t index, int32_t value) override;       \
  long double GetFloat(int32_t index) const override;       \
  void SetFloat(int32_t index, long double value) override; \
  bool GetBool(int32_t index) const override;               \
  void SetBool(int32_t index, bool value) override;         \
  std::string GetStr(int32_t index) const override;         \
  void SetStr(int32_t index, std::string_view value) override;

// Filling, copying, records and searching, which the element classes and the
// forwarding classes override alike.
#define ORVO_PARAM_BULK_OVERRIDES                          \
  void FillInt(int32_t value) override;                    \
  void FillFloat(long double value) override;              \
  void FillBool(bool value) override;                      \
  void FillStr(std::string_view value) override;           \
  void CopyMem(const TCustomParam& source) override;       \
  void SaveToStream(TBinaryWriter& writer) const override; \
  void LoadFromStream(TBinaryReader& reader) override;     \
  void ClearDims() override;                               \
  void Unique() override;                                  \
  void RemoveValue(const TCustomParam* value) override;    \
  int32_t IndexOf(std::string_view text, bool match_case, bool partial) const override;

class TCustomParam {
 public:
  virtual ~TCustomParam() = default;

  // Number of elements (1 for a new object).
  virtual int32_t Count() const { return 1; }
  // Resizes the element array keeping existing elements; new ones take the zero value.
  virtual void SetCount(int32_t count) { (void)count; }
  // Kind code of the value this object currently stands for.
  virtual TParamType ParamType() const { return PT_INT; }

  // Element 0 in a kind (the zero value for an empty array).
  virtual bool GetAsBool() const { return false; }
  virtual long double GetAsFloat() const { return 0; }
  virtual int32_t GetAsInt() const { return 0; }
  virtual std::string GetAsStr() const { return {}; }
  // Make the object scalar, then set element 0.
  virtual void SetAsBool(bool value) { (void)value; }
  virtual void SetAsFloat(long double value) { (void)value; }
  virtual void SetAsInt(int32_t value) { (void)value; }
  virtual void SetAsStr(std::string_view value) { (void)value; }

  // Element index in a kind; an index outside the elements raises "[i]:配列の添字が不正です".
  virtual int32_t GetInt(int32_t index) const {
    (void)index;
    return 0;
  }
  virtual void SetInt(int32_t index, int32_t value) { (void)index, (void)value; }
  virtual long double GetFloat(int32_t index) const {
    (void)index;
    return 0;
  }
  virtual void SetFloat(int32_t index, long double value) { (void)index, (void)value; }
  virtual bool GetBool(int32_t index) const {
    (void)index;
    return false;
  }
  virtual void SetBool(int32_t index, bool value) { (void)index, (void)value; }
  virtual std::string GetStr(int32_t index) const {
    (void)index;
    return {};
  }
  virtual void SetStr(int32_t index, std::string_view value) { (void)index, (void)value; }

  // Number of dimensions (1 for a scalar) and the size of dimension d (1 when out of range).
  virtual int32_t DimCount() const;
  virtual int32_t DimSize(int32_t dimension) const;
  // Takes the dimensions, and for an object of the same class the elements, of source.
  virtual void Assign(const TCustomParam& source);
  // Sets the dimensions (each at least 1) and resizes to their product.
  virtual void SetDims(std::span<const int32_t> sizes);
  // Set every element from one value; each class implements its own kind only.
  virtual void FillInt(int32_t value) { (void)value; }
  virtual void FillFloat(long double value) { (void)value; }
  virtual void FillBool(bool value) { (void)value; }
  virtual void FillStr(std::string_view value) { (void)value; }
  // Copies count, dimensions and elements from an object of the same class,
  // else raises "CopyMem:変数の型があいません".
  virtual void CopyMem(const TCustomParam& source) { (void)source; }
  // The value record (dimensions, then the elements or the reference fields).
  virtual void SaveToStream(TBinaryWriter& writer) const;
  virtual void LoadFromStream(TBinaryReader& reader);
  // Returns to scalar form: drops the dimensions and keeps element 0.
  virtual void ClearDims() {}
  // Keeps the first occurrence of each element value.
  virtual void Unique() {}
  // Drops every element equal to value's scalar (the zero value when value is null).
  virtual void RemoveValue(const TCustomParam* value) { (void)value; }
  // Index of the first element matching text, or -1.
  virtual int32_t IndexOf(std::string_view text, bool match_case, bool partial) const;

  // Kind of the class itself, under which records are written (0 for a
  // reference even while bound, unlike ParamType).
  virtual TParamType ClassKind() const = 0;
  // A copy for another owner: elements are copied; a reference copies only
  // its name and comes out unbound.
  virtual std::unique_ptr<TCustomParam> Clone() const = 0;

  // True for element references, whose operations forward to another variable.
  bool IsReference() const { return is_reference_; }
  const std::vector<int32_t>& Dims() const { return dims_; }

 protected:
  explicit TCustomParam(bool is_reference = false) : is_reference_(is_reference) {}
  void WriteDims(TBinaryWriter& writer) const;
  void ReadDims(TBinaryReader& reader);
  // Validates sizes and returns their product (raises "配列の要素数[..]が不正です").
  static int32_t CheckedProduct(std::span<const int32_t> sizes);

  std::vector<int32_t> dims_;

 private:
  bool is_reference_;
};

// Makes a value object of kind 1 to 4 (0 gives an unbound reference); other
// kinds raise "Invalid variable data".
std::unique_ptr<TCustomParam> MakeParam(int kind);

// IndexOf's match of one element: partial (substring) or whole, with or
// without case (by the system locale).
bool TextMatches(std::string_view element, std::string_view text, bool match_case, bool partial);

// Copies dimensions and every element of source into target, converting each
// element to the target's kind.
void AssignConverted(TCustomParam& target, const TCustomParam& source);

}  // namespace orvo
