#include "platform/input_script.h"

#include <algorithm>
#include <sstream>

namespace orvo {

namespace {

bool ParseInt(const std::string& word, int& value) {
  if (word.empty()) return false;
  size_t used = 0;
  try {
    value = std::stoi(word, &used, 0);
  } catch (...) {
    return false;
  }
  return used == word.size();
}

bool ParseLine(const std::string& line, TTimedInput& out, std::string& problem) {
  std::istringstream words(line);
  std::string frame, device, action;
  words >> frame >> device;
  if (!ParseInt(frame, out.frame) || out.frame < 0) {
    problem = "expected a frame number";
    return false;
  }
  TInputEvent& event = out.event;
  if (device == "answer") {
    std::string rest;
    std::getline(words, rest);
    rest.erase(0, rest.find_first_not_of(" \t"));
    event.kind = TInputKind::Answer;
    event.text = rest;
    return true;
  }
  words >> action;
  if (device == "key") {
    std::string code;
    words >> code;
    if (action != "down" && action != "up") return problem = "key needs down or up", false;
    if (!ParseInt(code, event.key) || event.key < 0 || event.key > 255) return problem = "bad key code", false;
    event.kind = action == "down" ? TInputKind::KeyDown : TInputKind::KeyUp;
    return true;
  }
  if (device == "wheel") {
    if (action != "up" && action != "down") return problem = "wheel needs up or down", false;
    event.kind = action == "up" ? TInputKind::WheelUp : TInputKind::WheelDown;
    return true;
  }
  if (device == "mouse") {
    std::string x, y;
    if (action == "move") {
      event.kind = TInputKind::MouseMove;
    } else if (action == "down" || action == "up") {
      std::string button;
      words >> button;
      if (button == "left") {
        event.button = TMouseButton::Left;
      } else if (button == "right") {
        event.button = TMouseButton::Right;
      } else {
        return problem = "mouse button must be left or right", false;
      }
      event.kind = action == "down" ? TInputKind::MouseDown : TInputKind::MouseUp;
    } else {
      return problem = "mouse needs move, down or up", false;
    }
    words >> x >> y;
    if (!ParseInt(x, event.x) || !ParseInt(y, event.y)) return problem = "mouse needs X and Y", false;
    return true;
  }
  problem = "unknown event '" + device + "'";
  return false;
}

// "FRAME text STRING": STRING is everything after the one blank that follows
// "text", taken as it stands (a '#' in it is text, not a comment).
bool ParseTextLine(const std::string& line, TTimedInput& out) {
  size_t at = line.find_first_not_of(" \t");
  if (at == std::string::npos) return false;
  const size_t frame_end = line.find_first_of(" \t", at);
  if (frame_end == std::string::npos) return false;
  const size_t word = line.find_first_not_of(" \t", frame_end);
  if (word == std::string::npos || line.compare(word, 4, "text") != 0) return false;
  const size_t after = word + 4;
  if (after < line.size() && line[after] != ' ' && line[after] != '\t') return false;
  int frame = 0;
  if (!ParseInt(line.substr(at, frame_end - at), frame) || frame < 0) return false;
  out.frame = frame;
  out.event.kind = TInputKind::TextInput;
  out.event.text = after < line.size() ? line.substr(after + 1) : std::string();
  return true;
}

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<TTimedInput>& events, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    TTimedInput text_entry;
    if (ParseTextLine(line, text_entry)) {
      events.push_back(text_entry);
      continue;
    }
    size_t comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    TTimedInput entry;
    std::string problem;
    if (!ParseLine(line, entry, problem)) {
      error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
    events.push_back(entry);
  }
  // Events of one frame keep their written order.
  std::stable_sort(events.begin(), events.end(),
                   [](const TTimedInput& a, const TTimedInput& b) { return a.frame < b.frame; });
  return true;
}

TInputScript::TInputScript(std::vector<TTimedInput> events) : events_(std::move(events)) {}

void TInputScript::TakeDue(int frame, std::vector<TInputEvent>& out) {
  while (next_ < events_.size() && events_[next_].frame <= frame) out.push_back(events_[next_++].event);
}

}  // namespace orvo
