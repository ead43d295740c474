#pragma once
// The messages with which the picture readers and writer refuse data.
#include "base/error.h"

namespace orvo {

// "ファイルが破壊されています": any size, count, offset or reference that does not hold.
EFormatError CorruptImageError();
// "読み込めないファイル形式です": a newer form than this reader knows.
EFormatError UnknownImageFormatError();
// "Can not load this file.\r\nTry the latest version.": the same, when only the header is read.
EFormatError NewerImageHeaderError();
// "レイヤーがありません": a frame without its layer list.
EFormatError MissingLayersError();
// "カラーテーブルがありません": a palette shorter than the bit depth needs.
EFormatError MissingColorTableError();
// "Error:TDovaFrameList.GetFrame": a frame index outside the list.
EOrvoError FrameIndexError();

}  // namespace orvo
