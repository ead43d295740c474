#pragma once
// Timed input for headless and repeatable runs, one event a line:
//   FRAME key down|up VK
//   FRAME mouse move X Y
//   FRAME mouse down|up left|right X Y
//   FRAME wheel up|down
//   FRAME answer ok|cancel|yes|no|retry|abort|ignore|TEXT
//   FRAME text STRING   (UTF-8 committed into the focused text field; '#' is text here)
// FRAME is the frame step before which the event is delivered; '#' starts a comment.
#include <string>
#include <vector>

#include "platform/input_event.h"

namespace orvo {

struct TTimedInput {
  int frame = 0;
  TInputEvent event;
};

// Parses the script text; on a bad line fills error ("line N: ...") and returns false.
bool ParseInputScript(const std::string& text, std::vector<TTimedInput>& events, std::string& error);

// Hands out the events of each frame in order.
class TInputScript {
 public:
  TInputScript() = default;
  explicit TInputScript(std::vector<TTimedInput> events);
  // Appends the events due before frame step `frame` (and any earlier ones not yet taken).
  void TakeDue(int frame, std::vector<TInputEvent>& out);
  bool Finished() const { return next_ >= events_.size(); }

 private:
  std::vector<TTimedInput> events_;
  size_t next_ = 0;
};

}  // namespace orvo
