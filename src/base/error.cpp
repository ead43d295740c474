#include "base/error.h"

#include "base/cp932.h"

namespace orvo {

EOrvoError::EOrvoError(std::string message)
    : message_(std::move(message)), utf8_(Cp932ToUtf8(message_)) {}

EOrvoError ErrorFromUtf8(std::string_view utf8) { return EOrvoError(Utf8ToCp932(utf8)); }

}  // namespace orvo
