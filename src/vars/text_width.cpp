#include "vars/text_width.h"

#include <array>
#include <cstdint>

#include "base/cp932.h"

namespace orvo {

namespace {

// Full-width forms of the characters 0x20..0x7E.
constexpr std::array<uint16_t, 95> kFullAscii = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166,  // space ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0..7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A..G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H..O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P..W
    0x8277, 0x8278, 0x8279, 0x816D, 0x815F, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a..g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h..o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p..w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// Full-width forms of the half-width katakana 0xA1..0xDF.
constexpr std::array<uint16_t, 63> kFullKana = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1..A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9..B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1..B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9..C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1..C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9..D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1..D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9..DF
};

constexpr uint8_t kVoicedMark = 0xDE;
constexpr uint8_t kSemiVoicedMark = 0xDF;
constexpr uint16_t kFullVu = 0x8394;

bool TakesVoicedMark(uint8_t kana) { return (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE); }
bool TakesSemiVoicedMark(uint8_t kana) { return kana >= 0xCA && kana <= 0xCE; }

void AppendCode(std::string& out, uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

}  // namespace

std::string HanToZen(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    uint8_t c = static_cast<uint8_t>(text[i]);
    if (length == 2 || IsLeadByte(c)) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    if (c >= 0x20 && c <= 0x7E) {
      AppendCode(out, kFullAscii[c - 0x20]);
    } else if (c >= 0xA1 && c <= 0xDF) {
      uint16_t code = kFullKana[c - 0xA1];
      uint8_t next = i + 1 < text.size() ? static_cast<uint8_t>(text[i + 1]) : 0;
      if (next == kVoicedMark && TakesVoicedMark(c)) {
        code += 1;
        ++i;
      } else if (next == kSemiVoicedMark && TakesSemiVoicedMark(c)) {
        code += 2;
        ++i;
      }
      AppendCode(out, code);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

std::string ZenToHan(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t length = CharLength(text, i);
    if (length == 1) {
      out += text[i++];
      continue;
    }
    uint16_t code = static_cast<uint16_t>((static_cast<uint8_t>(text[i]) << 8) | static_cast<uint8_t>(text[i + 1]));
    i += 2;
    bool done = false;
    if (code == 0x8167) {  // the opening double quotation mark as well as the closing one
      out += '"';
      continue;
    }
    for (size_t k = 0; k < kFullAscii.size() && !done; ++k) {
      if (kFullAscii[k] == code) out += static_cast<char>(0x20 + k), done = true;
    }
    for (size_t k = 0; k < kFullKana.size() && !done; ++k) {
      uint8_t kana = static_cast<uint8_t>(0xA1 + k);
      if (kFullKana[k] == code) {
        out += static_cast<char>(kana), done = true;
      } else if (TakesVoicedMark(kana) && kFullKana[k] + 1 == code) {
        out += static_cast<char>(kana), out += static_cast<char>(kVoicedMark), done = true;
      } else if (TakesSemiVoicedMark(kana) && kFullKana[k] + 2 == code) {
        out += static_cast<char>(kana), out += static_cast<char>(kSemiVoicedMark), done = true;
      }
    }
    if (!done && code == kFullVu) {
      out += static_cast<char>(0xB3), out += static_cast<char>(kVoicedMark), done = true;
    }
    if (!done) AppendCode(out, code);
  }
  return out;
}

}  // namespace orvo
