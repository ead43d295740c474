#pragma once
// The page state record inside the message object's save: how far the
// reveal got, its pending events and every glyph's opacity.
#include "base/binary_io.h"
#include "text/kw_word.h"

namespace orvo {

void SaveState(const TWdPage& page, TBinaryWriter& writer);
// Reads a record of the same page (laid out again from the same text); bad
// data raises EReadError and leaves positions the reveal can still use.
void LoadState(TWdPage& page, TBinaryReader& reader);

}  // namespace orvo
