// DBCreateTable ... DBGetTable. Functions marked as needing an active table
// give their neutral value without one; those needing a current record also
// without that.
#include "tables/table_functions.h"

#include <memory>

#include "stage/functions/function_support.h"
#include "vars/param_var.h"

namespace orvo {

namespace {

struct TTableContext {
  explicit TTableContext(const TTableFunctionServices& given) : services(given) {}

  TDBManager& Tables() const { return services.tables; }
  TDBCustomTable* Active() const { return services.tables.ActiveTable(); }
  // The active table when it has a current record.
  TDBCustomTable* ActiveRecord() const {
    TDBCustomTable* table = Active();
    return table && table->RecNo() >= 0 ? table : nullptr;
  }
  bool RequireFile(const std::string& name) const {
    return services.project ? services.project->RequireFile(name) : services.files.Exists(name);
  }

  TTableFunctionServices services;
};

using TContext = std::shared_ptr<TTableContext>;

// An absent key argument selects every record.
const TCustomParam* Optional(const TFunctionCall& call, int index) {
  return call.Has(index) ? &call.Arg(index) : nullptr;
}

// The key arguments that begin at first: keys, values, ignore case, partial.
struct TKeyArgs {
  TKeyArgs(const TFunctionCall& call, int first) : keys(Optional(call, first)), values(Optional(call, first + 1)) {
    options.ignore_case = call.Bool(first + 2, false);
    options.partial = call.Bool(first + 3, false);
  }
  const TCustomParam* keys;
  const TCustomParam* values;
  TSelectOptions options;
};

std::vector<int32_t> SelectOn(const TDBCustomTable& table, const TKeyArgs& keys) {
  std::vector<int32_t> selection;
  table.Select(selection, keys.keys, keys.values, keys.options);
  return selection;
}

void RegisterRecordFunctions(TSysFuncMan& functions, const TContext& context) {
  functions.Register(87, [context](TFunctionCall& call) {
    call.Result().SetAsBool(context->Tables().CreateTable(call.Str(0), call.Bool(1)) >= 0);
  });
  functions.Register(
      88, [context](TFunctionCall& call) { call.Result().SetAsBool(context->Tables().SetActiveTable(call.Str(0))); });
  functions.Register(89, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) {
      call.Result().SetAsBool(table->Fields().AddField(call.Str(0), call.Int(1), call.Int(2, 0)) >= 0);
    }
  });
  functions.Register(90, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) call.Result().SetAsBool(table->SetRecNo(call.Int(0)));
  });
  functions.Register(91, [context](TFunctionCall& call) {
    TDBCustomTable* table = context->Active();
    if (!table) return;
    table->Append();
    const int32_t record = table->RecNo();
    const int count = std::min(call.ArgCount(), static_cast<int>(table->Fields().Count()));
    for (int i = 0; i < count; ++i) {
      const TCustomParam& value = call.Arg(i);
      switch (value.ParamType()) {
        case PT_INT:
          table->SetInt(record, i, value.GetAsInt());
          break;
        case PT_FLOAT:
          table->SetFloat(record, i, value.GetAsFloat());
          break;
        case PT_BOOL:
          table->SetBool(record, i, value.GetAsBool());
          break;
        case PT_STR:
          table->SetStr(record, i, value.GetAsStr());
          break;
        default:
          break;
      }
    }
    call.Result().SetAsBool(true);
  });
  functions.Register(92, [context](TFunctionCall&) {
    if (TDBCustomTable* table = context->ActiveRecord()) table->DeleteRecord();
  });
  functions.Register(93, [context](TFunctionCall& call) {
    int32_t value = 0;
    if (TDBCustomTable* table = context->Active(); table && table->GetIntByName(call.Str(0), value)) {
      call.Result().SetAsInt(value);
    }
  });
  functions.Register(94, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->ActiveRecord()) {
      call.Result().SetAsBool(table->SetIntByName(call.Str(0), call.Int(1)));
    }
  });
  functions.Register(95, [context](TFunctionCall& call) {
    long double value = 0;
    if (TDBCustomTable* table = context->Active(); table && table->GetFloatByName(call.Str(0), value)) {
      call.Result().SetAsFloat(value);
    }
  });
  functions.Register(96, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->ActiveRecord()) {
      call.Result().SetAsBool(table->SetFloatByName(call.Str(0), call.Float(1)));
    }
  });
  functions.Register(97, [context](TFunctionCall& call) {
    bool value = false;
    if (TDBCustomTable* table = context->Active(); table && table->GetBoolByName(call.Str(0), value)) {
      call.Result().SetAsBool(value);
    }
  });
  functions.Register(98, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->ActiveRecord()) {
      call.Result().SetAsBool(table->SetBoolByName(call.Str(0), call.Bool(1)));
    }
  });
  functions.Register(99, [context](TFunctionCall& call) {
    std::string value;
    if (TDBCustomTable* table = context->Active(); table && table->GetStrByName(call.Str(0), value)) {
      call.Result().SetAsStr(value);
    }
  });
  functions.Register(100, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->ActiveRecord()) {
      call.Result().SetAsBool(table->SetStrByName(call.Str(0), call.Str(1)));
    }
  });
  functions.Register(101, [context](TFunctionCall& call) {
    const TDBCustomTable* table = call.Has(0) ? context->Tables().FindTable(call.Str(0)) : context->Active();
    call.Result().SetAsInt(table ? table->RecordCount() : -1);
  });
  functions.Register(102, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) call.Result().SetAsBool(table->First());
  });
  functions.Register(103, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) call.Result().SetAsBool(table->Last());
  });
  functions.Register(104, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) call.Result().SetAsBool(table->Next());
  });
  functions.Register(105, [context](TFunctionCall& call) {
    if (TDBCustomTable* table = context->Active()) call.Result().SetAsBool(table->Prior());
  });
  functions.Register(106, [context](TFunctionCall& call) {
    TDBCustomTable* table = context->Active();
    if (!table) return;
    const std::vector<int32_t> selection = SelectOn(*table, TKeyArgs(call, 0));
    if (selection.empty()) return;
    table->SetRecNo(selection.front());
    call.Result().SetAsBool(true);
  });
  functions.Register(107, [context](TFunctionCall& call) {
    TDBCustomTable* table = context->Active();
    if (!table) return;
    const std::string name = call.Str(0);
    if (!context->RequireFile(name)) return;
    const std::vector<uint8_t> bytes = context->services.files.LoadBytes(name);
    if (bytes.empty()) return;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    call.Result().SetAsBool(table->LoadTsv(SplitTextLines(text)));
  });
}

// DBDirectGet*/DBDirectSet*: table, keys, values, ignore case, partial, field, default or value.
bool FindDirect(const TFunctionCall& call, const TTableContext& context, TDirectHit& hit) {
  const TKeyArgs keys(call, 1);
  return context.Tables().FindDirect(call.Str(0), keys.keys, keys.values, keys.options, call.Str(5), hit);
}

void RegisterDirectFunctions(TSysFuncMan& functions, const TContext& context) {
  functions.Register(108, [context](TFunctionCall& call) {
    TDirectHit hit;
    int32_t value = 0;
    const bool found = FindDirect(call, *context, hit) && hit.table->GetInt(hit.record, hit.field, value);
    call.Result().SetAsInt(found ? value : call.Int(6));
  });
  functions.Register(109, [context](TFunctionCall& call) {
    TDirectHit hit;
    call.Result().SetAsBool(FindDirect(call, *context, hit) && hit.table->SetInt(hit.record, hit.field, call.Int(6)));
  });
  functions.Register(110, [context](TFunctionCall& call) {
    TDirectHit hit;
    long double value = 0;
    const bool found = FindDirect(call, *context, hit) && hit.table->GetFloat(hit.record, hit.field, value);
    call.Result().SetAsFloat(found ? value : call.Float(6));
  });
  functions.Register(111, [context](TFunctionCall& call) {
    TDirectHit hit;
    call.Result().SetAsBool(FindDirect(call, *context, hit) &&
                            hit.table->SetFloat(hit.record, hit.field, call.Float(6)));
  });
  functions.Register(112, [context](TFunctionCall& call) {
    TDirectHit hit;
    bool value = false;
    const bool found = FindDirect(call, *context, hit) && hit.table->GetBool(hit.record, hit.field, value);
    call.Result().SetAsBool(found ? value : call.Bool(6));
  });
  functions.Register(113, [context](TFunctionCall& call) {
    TDirectHit hit;
    call.Result().SetAsBool(FindDirect(call, *context, hit) && hit.table->SetBool(hit.record, hit.field, call.Bool(6)));
  });
  functions.Register(114, [context](TFunctionCall& call) {
    TDirectHit hit;
    std::string value;
    const bool found = FindDirect(call, *context, hit) && hit.table->GetStr(hit.record, hit.field, value);
    call.Result().SetAsStr(found ? value : call.Str(6));
  });
  functions.Register(115, [context](TFunctionCall& call) {
    TDirectHit hit;
    call.Result().SetAsBool(FindDirect(call, *context, hit) && hit.table->SetStr(hit.record, hit.field, call.Str(6)));
  });
}

void RegisterTableListFunctions(TSysFuncMan& functions, const TContext& context) {
  functions.Register(116, [context](TFunctionCall& call) {
    TDBCustomTable* table = context->Active();
    if (!table) return;
    call.Result().SetAsBool(context->Tables().CopyTable(call.Str(0), SelectOn(*table, TKeyArgs(call, 1))));
  });
  functions.Register(117, [context](TFunctionCall& call) {
    if (call.Has(0)) {
      context->Tables().DeleteTable(call.Str(0));
    } else if (const TDBCustomTable* table = context->Active()) {
      context->Tables().DeleteTable(std::string(table->Name()));
    }
  });
  functions.Register(118, [context](TFunctionCall& call) {
    if (!context->Active()) return;
    const TDBCustomTable* source = context->Tables().FindTable(call.Str(0));
    if (!source) return;
    call.Result().SetAsBool(context->Tables().InsertTable(call.Str(0), SelectOn(*source, TKeyArgs(call, 1))));
  });
  functions.Register(119, [context](TFunctionCall& call) {
    TDBCustomTable* active = context->ActiveRecord();
    if (!active) return;
    auto* target = dynamic_cast<TDBTable*>(context->Tables().FindTable(call.Str(0)));
    if (!target || !target->Fields().SameStructure(active->Fields())) return;
    target->AppendCopy(*active, active->RecNo());
    call.Result().SetAsBool(true);
  });
  functions.Register(120, [context](TFunctionCall&) { context->Tables().Clear(); });
  functions.Register(121, [context](TFunctionCall& call) {
    TDBCustomTable* table = context->Active();
    if (!table) return;
    table->Sort(Optional(call, 0), Optional(call, 1));
    call.Result().SetAsBool(true);
  });
  functions.Register(122, [context](TFunctionCall& call) {
    if (const TDBCustomTable* table = context->Active()) call.Result().SetAsStr(table->Name());
  });
  functions.Register(123, [context](TFunctionCall& call) {
    const TDBCustomTable* table = context->Active();
    call.Result().SetAsInt(table ? table->RecNo() : -1);
  });
  functions.Register(124, [context](TFunctionCall& call) {
    TDBCustomTable* table = call.Has(0) ? context->Tables().FindTable(call.Str(0)) : context->Active();
    if (!table) return;
    table->ClearRecords();
    call.Result().SetAsBool(true);
  });
  functions.Register(159, [context](TFunctionCall& call) { call.Result().SetAsInt(context->Tables().TableCount()); });
  functions.Register(160, [context](TFunctionCall& call) {
    const TDBCustomTable* table = context->Tables().TableAt(call.Int(0));
    if (!table) return;
    if (TParamVar* name = call.Variable(1)) name->SetAsStr(table->Name());
    if (TParamVar* status = call.Variable(2)) status->SetAsBool(table->Status());
    call.Result().SetAsBool(true);
  });
}

}  // namespace

void RegisterTableFunctions(TSysFuncMan& functions, const TTableFunctionServices& services) {
  auto context = std::make_shared<TTableContext>(services);
  RegisterRecordFunctions(functions, context);
  RegisterDirectFunctions(functions, context);
  RegisterTableListFunctions(functions, context);
}

}  // namespace orvo
