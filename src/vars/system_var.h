#pragma once
// The 51 built-in values of the running player ("@Result" ... "@StackCount").
// Each read asks the store or the host afresh; writes change the runtime
// state where the value is writable and are ignored elsewhere.
#include <string>

#include "vars/param.h"

namespace orvo {

class TParamCollection;

constexpr int kSystemVarCount = 51;

enum TSystemVar : uint8_t {
  svResult = 0,
  svLClick,
  svRClick,
  svLPush,
  svRPush,
  svMouseX,
  svMouseY,
  svTextDelay,
  svHistoryCount,
  svParamCount,
  svParamStr,
  svSender,
  svScrWidth,
  svScrHeight,
  svTickCount,
  svPCTickCount,
  svUpdateCount,
  svYear,
  svMonth,
  svDay,
  svWeek,
  svHour,
  svMin,
  svSec,
  svFonts,
  svFixedFonts,
  svFullScr,
  svCursor,
  svSelStr,
  svSelIndex,
  svPi,
  svCGDither,
  sv1Hour,
  sv1Min,
  sv1Sec,
  svKeyPush,
  svKeyClick,
  svDisplayModeCount,
  svDisplayModeIndex,
  svTitle,
  svSoundON,
  svActiveCompo,
  svKeyRepeat,
  svHistoryMaxCount,
  svTemp,
  svMidiPort,
  svMidiPorts,
  svWheelDown,
  svWheelUp,
  svIsDebug,
  svStackCount
};

// "@Result" ... "@StackCount".
const char* SystemVarName(int number);

class TParamSystem final : public TCustomParam {
 public:
  // A number above 50 raises "内部エラー".
  TParamSystem(int number, TParamCollection& store);
  int Number() const { return number_; }

  int32_t Count() const override;
  void SetCount(int32_t count) override;
  TParamType ParamType() const override;

  bool GetAsBool() const override;
  long double GetAsFloat() const override;
  int32_t GetAsInt() const override;
  std::string GetAsStr() const override;
  void SetAsBool(bool value) override;
  void SetAsFloat(long double value) override;
  void SetAsInt(int32_t value) override;
  void SetAsStr(std::string_view value) override;

  int32_t GetInt(int32_t index) const override;
  void SetInt(int32_t index, int32_t value) override;
  long double GetFloat(int32_t index) const override;
  void SetFloat(int32_t index, long double value) override;
  bool GetBool(int32_t index) const override;
  void SetBool(int32_t index, bool value) override;
  std::string GetStr(int32_t index) const override;
  void SetStr(int32_t index, std::string_view value) override;

  int32_t DimCount() const override;
  int32_t DimSize(int32_t dimension) const override;
  void SetDims(std::span<const int32_t> sizes) override;
  void FillInt(int32_t value) override;
  void FillFloat(long double value) override;
  void FillBool(bool value) override;
  void FillStr(std::string_view value) override;
  void CopyMem(const TCustomParam& source) override;
  void SaveToStream(TBinaryWriter& writer) const override;
  void LoadFromStream(TBinaryReader& reader) override;
  void ClearDims() override;
  void Unique() override;
  void RemoveValue(const TCustomParam* value) override;
  int32_t IndexOf(std::string_view text, bool match_case, bool partial) const override;

  TParamType ClassKind() const override { return ParamType(); }
  std::unique_ptr<TCustomParam> Clone() const override;

  // One value of a system variable in its own kind.
  struct TValue {
    TParamType kind = PT_NONE;
    int32_t integer = 0;
    long double real = 0;
    bool flag = false;
    std::string text;
  };

 private:
  // @Result's and @Temp's target, or null.
  TCustomParam* Forward() const;
  bool IsArray() const;
  // The value (of element index, for the array variables; -1 without index).
  TValue Read(int32_t index) const;
  void Write(const TValue& value);
  // Converts an incoming value to this variable's kind and writes it.
  void WriteInt(int32_t value);
  void WriteFloat(long double value);
  void WriteBool(bool value);
  void WriteStr(std::string_view value, bool indexed);

  int number_;
  TParamCollection& store_;
};

}  // namespace orvo
