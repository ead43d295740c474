#pragma once
// The DB system functions over one table store. The shell installs them
// over the neutral defaults of the function table:
//
//   TTableFunctionServices services(tables, file_manager);
//   services.project = &project;
//   RegisterTableFunctions(engine.Functions(), services);
#include "data/file_manager.h"
#include "script/call_man.h"
#include "tables/db_manager.h"
#include "vars/functions/sys_func.h"

namespace orvo {

struct TTableFunctionServices {
  TTableFunctionServices(TDBManager& tables_, TVrFileManager& files_) : tables(tables_), files(files_) {}

  TDBManager& tables;
  // The game's files, which DBLoadTsvFile reads.
  TVrFileManager& files;
  // RequireFile of the project; without it, the file manager's Exists.
  IPageSource* project = nullptr;
};

// The services must outlive the functions' use.
void RegisterTableFunctions(TSysFuncMan& functions, const TTableFunctionServices& services);

}  // namespace orvo
