#pragma once
// One property value as the accessors pass it: an integer, a real, a flag or
// a string, always of the type the property table gives the property.
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace orvo {

enum class TPropType : uint8_t { Int, Float, Bool, Str };

class TPropValue {
 public:
  TPropValue() : value_(int32_t{0}) {}
  static TPropValue Int(int32_t value) { return TPropValue(value); }
  static TPropValue Float(long double value) { return TPropValue(value); }
  static TPropValue Bool(bool value) { return TPropValue(value); }
  static TPropValue Str(std::string value) { return TPropValue(std::move(value)); }

  TPropType Type() const { return static_cast<TPropType>(value_.index()); }
  // The value in another type: reals truncate (saturating), flags are 0 or 1,
  // strings read 0, false and 0.0, and non-strings read the empty string.
  int32_t AsInt() const;
  long double AsFloat() const;
  bool AsBool() const;
  const std::string& AsStr() const;

  friend bool operator==(const TPropValue&, const TPropValue&) = default;

 private:
  template <class T>
  explicit TPropValue(T value) : value_(std::move(value)) {}

  std::variant<int32_t, long double, bool, std::string> value_;
};

}  // namespace orvo
