#pragma once
// Commands that may wait on one stage object (media stop, text insert) keep
// the same state record: the object's name, whether they wait, and whether
// events are held meanwhile. A restored command finds its object again by name.
#include <string>

#include "base/binary_io.h"
#include "script/command.h"
#include "script/script_services.h"

namespace orvo {

class TComWaitOnObject : public TCommand {
 public:
  using TCommand::TCommand;
  bool IsWaiting() const override { return waiting_; }
  bool BlocksEvents() const override { return no_events_; }

  void SaveState(TBinaryWriter& writer) const override {
    WriteStateTag(writer);
    writer.WriteString(target_name_);
    writer.WriteBool(waiting_);
    writer.WriteBool(no_events_);
  }
  void LoadState(TBinaryReader& reader) override {
    const int32_t version = ReadStateVersion(reader);
    target_ = 0;
    target_name_ = reader.ReadString();
    waiting_ = reader.ReadBool();
    no_events_ = version >= 100 ? reader.ReadBool() : false;
  }

 protected:
  // Forgets the object of an earlier run; no_events is this run's flag.
  void ResetTarget(bool no_events) {
    target_ = 0;
    target_name_.clear();
    waiting_ = false;
    no_events_ = no_events;
  }

  TObjectHandle target_ = 0;
  std::string target_name_;
  bool waiting_ = false;
  bool no_events_ = false;
};

}  // namespace orvo
