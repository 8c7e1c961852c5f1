// The wildcard language of the browsing interface's name filters, matched
// character by character on wide text (a name in a multibyte code page is
// widened first, so '?' takes one Chinese character, and a byte of one never
// reads as '[' or '*'):
//   '*'       any run of characters, the empty one included;
//   '?'       any one character;
//   '#'       one decimal digit;
//   '[set]'   one character of the set, '[!set]' one character outside it. A
//             set holds characters and inclusive ranges "a-z"; a '-' first in
//             the set ranges from code 0. Characters above 0x7F rank below
//             every ASCII character, in their own order, as the upper half of
//             a signed byte does, so a range never reaches past 0x7F into them.
//             A set without its closing ']' matches nothing, and neither does
//             a '-' right before the ']' unless a member before it matched;
//   anything else stands for itself.
// Without case sensitivity, ASCII letters of both sides are compared in upper
// case. Matching takes time proportional to text length times pattern length
// at most, whatever the number of stars.
#pragma once

#include "platform/wintypes.h"

BOOL MatchPattern(const WCHAR* text, const WCHAR* pattern, BOOL caseSensitive);
