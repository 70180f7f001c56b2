#pragma once

namespace bl {

// Character classes of names and values:
//   mode 0: a letter A-Z or a-z;
//   mode 1: a letter, a digit or "_" (the characters of a name);
//   mode 2: a letter or any character from code 33 to 126 (the characters of a definition's
//           value: everything printable but the blank).
constexpr bool IsNameChar(char ch, int mode) {
  const unsigned char c = static_cast<unsigned char>(ch);
  const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  switch (mode) {
    case 0:
      return letter;
    case 1:
      return letter || (c >= '0' && c <= '9') || c == '_';
    case 2:
      return letter || (c >= 33 && c <= 126);
    default:
      return false;
  }
}

}  // namespace bl
