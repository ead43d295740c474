#include "save/save_functions.h"

#include "vars/messages.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

constexpr int kGetSaveCaption = 27;
constexpr int kListSaveCaption = 134;
constexpr int kGetHistoryCount = 142;
constexpr int kGetHistoryMaxCount = 143;
constexpr int kSetHistoryMaxCount = 144;

// An array argument receives one element per titled slot.
template <class Fill>
void FillList(TFunctionCall& call, int index, int32_t count, Fill fill) {
  TParamVar* target = call.Variable(index);
  if (!target) return;
  if (count < 1) RaiseVars(TVarsMessage::BadElementCount, std::to_string(count));
  target->SetDims(std::span<const int32_t>(&count, 1));
  for (int32_t i = 0; i < count; ++i) fill(*target, i);
}

}  // namespace

void RegisterSaveFunctions(TSysFuncMan& functions, TSaveManager& saves, TOrvoHistoryFormatManager& history) {
  TSaveManager* s = &saves;
  TOrvoHistoryFormatManager* h = &history;
  functions.Register(kGetSaveCaption, [s](TFunctionCall& call) { call.Result().SetAsStr(s->SlotTitle(call.Int(0))); });
  functions.Register(kListSaveCaption, [s](TFunctionCall& call) {
    const auto& titles = s->SlotTitles();
    const int32_t count = static_cast<int32_t>(titles.size());
    if (call.Has(0)) {
      FillList(call, 0, count,
               [&](TParamVar& target, int32_t i) { target.SetStr(i, titles[static_cast<size_t>(i)].first); });
    }
    if (call.Has(1)) {
      FillList(call, 1, count,
               [&](TParamVar& target, int32_t i) { target.SetInt(i, titles[static_cast<size_t>(i)].second); });
    }
    call.Result().SetAsInt(count);
  });
  functions.Register(kGetHistoryCount, [h](TFunctionCall& call) {
    TOrvoHistoryFormat* format = h->FindFormat(call.Str(0));
    call.Result().SetAsInt(format ? format->history.HistoryTotal() : -1);
  });
  functions.Register(kGetHistoryMaxCount, [h](TFunctionCall& call) {
    TOrvoHistoryFormat* format = h->FindFormat(call.Str(0));
    call.Result().SetAsInt(format ? format->history.Limit() : -1);
  });
  functions.Register(kSetHistoryMaxCount, [h](TFunctionCall& call) {
    TOrvoHistoryFormat* format = h->FindFormat(call.Str(0));
    if (format) format->history.SetLimit(call.Int(1));
    call.Result().SetAsBool(format != nullptr);
  });
}

}  // namespace orvo
