#include "image/image_errors.h"

#include "base/cp932.h"

namespace orvo {

EFormatError CorruptImageError() {
  static const std::string kMessage = Utf8ToCp932("ファイルが破壊されています");
  return EFormatError(kMessage);
}

EFormatError UnknownImageFormatError() {
  static const std::string kMessage = Utf8ToCp932("読み込めないファイル形式です");
  return EFormatError(kMessage);
}

EFormatError NewerImageHeaderError() { return EFormatError("Can not load this file.\r\nTry the latest version."); }

EFormatError MissingLayersError() {
  static const std::string kMessage = Utf8ToCp932("レイヤーがありません");
  return EFormatError(kMessage);
}

EFormatError MissingColorTableError() {
  static const std::string kMessage = Utf8ToCp932("カラーテーブルがありません");
  return EFormatError(kMessage);
}

EOrvoError FrameIndexError() { return EOrvoError("Error:TDovaFrameList.GetFrame"); }

}  // namespace orvo
