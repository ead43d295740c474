#pragma once
// Helpers of the effect tests: save records of one object, an old-layout
// control record, and a stage showing 32-bit pixels.
#include <cstdint>
#include <string>

#include "base/binary_io.h"
#include "stage/orvo_object.h"

namespace orvo::test {

// The object's own record (WriteState) as bytes.
std::string RecordOf(const TOrvoObject& object);
// Reads a record into an object as a save of that version would.
void ReadRecord(TOrvoObject& object, const std::string& bytes, int32_t version);
// A control record in the layout of an older save: named name, at (left,
// top) with the size, visible, no children.
std::string OldControlRecord(int32_t version, const std::string& name, int32_t left, int32_t top, int32_t width,
                             int32_t height);
// Little-endian pieces for hand-made records.
std::string Int32Bytes(int32_t value);
std::string StringBytes(const std::string& text);
std::string Ext80Bytes(long double value);

}  // namespace orvo::test
