// Functions on stage objects: properties, existence, items, listing,
// coordinates, cabinets, creation and deletion. An object that is not found
// leaves the neutral value of the function's result kind unless the function
// says otherwise.
#include "base/cp932.h"
#include "stage/functions/function_support.h"
#include "stage/functions/game_functions.h"
#include "stage/functions/object_items.h"
#include "stage/prop_access.h"
#include "vars/convert.h"
#include "vars/locale_text.h"
#include "vars/param_var.h"

namespace orvo {

IObjectItems& ItemsOf(TOrvoObject& object) {
  static IObjectItems neutral;  // stateless: every operation answers its neutral value
  if (auto* items = dynamic_cast<IObjectItems*>(&object)) return *items;
  return neutral;
}

namespace {

// The index argument of the item functions marked with text indices: a
// preview menu given a string takes its number, or else the position of the
// item of that name.
int32_t ItemIndex(const TFunctionCall& call, int argument, TOrvoObject& object) {
  const TCustomParam& index = call.Arg(argument);
  if (index.ParamType() == PT_STR && object.CompoType() == kcPrevMenu) {
    const std::string text = index.GetAsStr();
    int32_t number = 0;
    if (TryTextToInt(text, number)) return number;
    return ItemsOf(object).IndexOfItemName(text);
  }
  return index.GetAsInt();
}

// The ListCompo parent argument: the whole stage by default and for "ALL".
struct TListScope {
  bool whole_stage = true;
  const TOrvoControl* parent = nullptr;
  bool nothing = false;  // the parent is an object that cannot have children
};

TListScope ListScope(const TFunctionCall& call, TOrvoBaseList& stage) {
  TListScope scope;
  if (!call.Has(2)) return scope;
  const std::string parent = call.Str(2);
  if (parent == "ALL") return scope;
  scope.whole_stage = false;
  if (const TOrvoObject* found = stage.FindComponent(parent)) {
    scope.parent = found->AsControl();
    scope.nothing = scope.parent == nullptr;
  }
  return scope;
}

void ListCompo(TFunctionCall& call, TOrvoBaseList& stage) {
  int32_t kind = call.Int(1, 0);
  if ((kind & 0xFF) >= 28) kind = 0;
  const bool recursive = call.Bool(3, false);
  const TListScope scope = ListScope(call, stage);
  std::vector<std::string> names;
  if (!scope.nothing) stage.ListNames(names, kind, recursive, scope.parent, scope.whole_stage);
  if (TParamVar* array = call.Variable(0)) SetTextArray(*array, names);
  call.Result().SetAsInt(static_cast<int32_t>(names.size()));
}

int32_t IndexOfMenu(const TOrvoObject& object, const std::string& text) {
  const std::vector<std::string> lines = SplitTextLines(TrimText(object.GetStr(PR_TEXT)));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (LocaleCompare(lines[i], text, true) == 0) return static_cast<int32_t>(i);
  }
  return -1;
}

// ToClientX ... ToScreenY: one coordinate through the object's transform;
// the coordinate itself when there is no visual object of that name.
enum class TAxis { X, Y };
enum class TDirection { ToClient, ToScreen };

void Convert(TFunctionCall& call, TOrvoBaseList& stage, TAxis axis, TDirection direction) {
  const int32_t value = call.Int(1);
  int32_t converted = value;
  const TOrvoObject* object = stage.FindComponent(call.Str(0));
  if (const TOrvoControl* control = object ? object->AsControl() : nullptr) {
    const TPoint point = axis == TAxis::X ? TPoint{value, 0} : TPoint{0, value};
    const TPoint result =
        direction == TDirection::ToClient ? control->ScreenToClient(point) : control->ClientToScreen(point);
    converted = axis == TAxis::X ? result.x : result.y;
  }
  call.Result().SetAsInt(converted);
}

void CreateObject(TFunctionCall& call, TOrvoBaseList& stage) {
  TOrvoObject* object = stage.CreateByKind(call.Int(0));
  if (!object) return;
  object->SetName(call.Str(1));
  if (TOrvoControl* control = object->AsControl()) {
    TOrvoControl* parent = &stage.ActiveScreen();
    if (call.Has(2)) {
      if (TOrvoControl* found = stage.FindControl(call.Str(2))) parent = found;
    }
    control->SetParent(parent);
  }
  call.Result().SetAsBool(true);
}

}  // namespace

void RegisterStageFunctions(TSysFuncMan& functions, TOrvoBaseList& stage) {
  TOrvoBaseList* s = &stage;
  // Runs body with the object that FindComponent finds for argument 0; nothing when none.
  auto with_object = [s](auto body) {
    return [s, body](TFunctionCall& call) {
      if (TOrvoObject* object = s->FindComponent(call.Str(0))) body(call, *object);
    };
  };
  // The same with FindControl.
  auto with_control = [s](auto body) {
    return [s, body](TFunctionCall& call) {
      if (TOrvoControl* control = s->FindControl(call.Str(0))) body(call, *control);
    };
  };

  functions.Register(
      2, with_object([](TFunctionCall& call, TOrvoObject& object) { GetProp(call.Result(), object, call.Int(1)); }));
  functions.Register(
      3, with_object([](TFunctionCall& call, TOrvoObject& object) { SetProp(object, call.Int(1), call.Arg(2)); }));
  functions.Register(19, [s](TFunctionCall& call) {
    const std::string name = call.Str(0);
    call.Result().SetAsBool(!name.empty() && s->FindComponent(name) != nullptr);
  });

  // ---- items
  functions.Register(24, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       call.Result().SetAsBool(ItemsOf(object).ItemChecked(call.Int(1)));
                     }));
  functions.Register(25, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       ItemsOf(object).SetItemChecked(call.Int(1), call.Bool(2));
                     }));
  functions.Register(131, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       call.Result().SetAsBool(ItemsOf(object).ItemEnabled(ItemIndex(call, 1, object)));
                     }));
  functions.Register(132, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       ItemsOf(object).SetItemEnabled(ItemIndex(call, 1, object), call.Bool(2));
                     }));
  functions.Register(140, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       call.Result().SetAsBool(ItemsOf(object).ItemVisible(ItemIndex(call, 1, object)));
                     }));
  functions.Register(141, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       ItemsOf(object).SetItemVisible(ItemIndex(call, 1, object), call.Bool(2));
                     }));
  functions.Register(145, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       call.Result().SetAsInt(ItemsOf(object).ItemGroupIndex(ItemIndex(call, 1, object)));
                     }));
  functions.Register(146, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       call.Result().SetAsBool(ItemsOf(object).ItemSelected(ItemIndex(call, 1, object)));
                     }));
  functions.Register(147, with_object([](TFunctionCall& call, TOrvoObject& object) {
                       ItemsOf(object).SetItemSelected(ItemIndex(call, 1, object), call.Bool(2));
                     }));
  functions.Register(163, with_control([](TFunctionCall& call, TOrvoControl& control) {
                       call.Result().SetAsStr(ItemsOf(control).ItemText(call.Int(1)));
                     }));
  functions.Register(166, with_control([](TFunctionCall& call, TOrvoControl& control) {
                       call.Result().SetAsBool(ItemsOf(control).ImeOpened());
                     }));
  functions.Register(167, with_control([](TFunctionCall& call, TOrvoControl& control) {
                       const bool opened = call.Bool(1);
                       IObjectItems& items = ItemsOf(control);
                       items.SetImeOpened(opened);
                       call.Result().SetAsBool(items.ImeOpened() == opened);
                     }));

  // ---- listing and coordinates
  functions.Register(32, [s](TFunctionCall& call) { ListCompo(call, *s); });
  functions.Register(33, [s](TFunctionCall& call) { Convert(call, *s, TAxis::X, TDirection::ToClient); });
  functions.Register(34, [s](TFunctionCall& call) { Convert(call, *s, TAxis::Y, TDirection::ToClient); });
  functions.Register(35, [s](TFunctionCall& call) { Convert(call, *s, TAxis::X, TDirection::ToScreen); });
  functions.Register(36, [s](TFunctionCall& call) { Convert(call, *s, TAxis::Y, TDirection::ToScreen); });
  functions.Register(47, [s](TFunctionCall& call) {
    const TOrvoObject* object = s->FindComponent(call.Str(0));
    call.Result().SetAsInt(object ? IndexOfMenu(*object, call.Str(1)) : -1);
  });

  // ---- screens and cabinets
  functions.Register(69, [s](TFunctionCall& call) {
    const std::string name = call.Str(0);
    const TOrvoControl* control = name.empty() ? nullptr : s->FindControl(name);
    call.Result().SetAsBool(control && control->OwnerBase() == &s->ActiveScreen() && !control->InCabinet());
  });
  functions.Register(154, [s](TFunctionCall& call) {
    const std::string name = call.Str(0);
    const TOrvoControl* control = name.empty() ? nullptr : s->FindControl(name);
    call.Result().SetAsBool(control && control->InCabinet());
  });

  // ---- creation and deletion
  functions.Register(161, [s](TFunctionCall& call) { CreateObject(call, *s); });
  functions.Register(162, [s](TFunctionCall& call) {
    TOrvoControl* control = s->FindControl(call.Str(0));
    if (!control || control->IsScreen()) return;
    control->Scrap();
    call.Result().SetAsBool(true);
  });
}

}  // namespace orvo
