// The wildcard language of the browsing interface's name filters:
//   '*'       any run of characters, the empty one included;
//   '?'       any one character;
//   '#'       one decimal digit;
//   '[set]'   one character of the set, '[!set]' one character outside it. A
//             set holds characters and inclusive ranges "a-z"; a '-' first in
//             the set ranges from code 0. Range bounds compare as signed
//             bytes, so a range never reaches past 0x7F into the upper half.
//             A set without its closing ']' matches nothing, and neither does
//             a '-' right before the ']' unless a member before it matched;
//   anything else stands for itself.
// Without case sensitivity, ASCII letters of both sides are compared in upper
// case. Matching takes time proportional to text length times pattern length
// at most, whatever the number of stars.
#pragma once

#include "platform/wintypes.h"

BOOL MatchPattern(const char* text, const char* pattern, BOOL caseSensitive);
