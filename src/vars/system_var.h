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

  ORVO_PARAM_VALUE_OVERRIDES

  int32_t DimCount() const override;
  int32_t DimSize(int32_t dimension) const override;
  void SetDims(std::span<const int32_t> sizes) override;
  ORVO_PARAM_BULK_OVERRIDES

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
