#pragma once
#include <string>

// Conversions between the program's Windows-1252 texts and the system's UTF-8.
class PText {
 public:
  // Every byte has a form; undefined bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to U+0081 etc.
  static std::string Cp1252ToUtf8(const std::string& text);
  // False when the text is not strictly valid UTF-8 (an overlong form, a surrogate or a code
  // point above U+10FFFF) or holds a character with no Windows-1252 form.
  static bool Utf8ToCp1252(const std::string& text, std::string& out);
};
