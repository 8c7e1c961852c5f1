#include "tags/MatchPattern.h"

namespace {

// The rank a character compares by, in sets as everywhere: ASCII as itself,
// every character above it below 0, in order.
int Fold(WCHAR c, BOOL caseSensitive) {
  const int unit = c;
  if (unit >= 0x80) return unit - 0x10000;
  const bool lower = unit >= 'a' && unit <= 'z';
  return !caseSensitive && lower ? unit - 'a' + 'A' : unit;
}

// Tests the character against the set whose members start at `set` (just
// behind the '['). On a match, `after` is the pattern behind the closing ']'.
bool MatchSet(const WCHAR* set, int c, BOOL caseSensitive, const WCHAR** after) {
  const WCHAR* p = set;
  const bool negated = *p == '!';
  if (negated) ++p;
  int lower = 0;  // the member before a '-'
  bool hit = false;
  while (!hit && *p != ']') {
    if (*p == '\0') return false;
    if (*p == '-') {
      if (p[1] == ']' || p[1] == '\0') return false;
      const int upper = Fold(p[1], caseSensitive);
      hit = lower <= c && c <= upper;
      lower = upper;
      p += 2;
    } else {
      lower = Fold(*p, caseSensitive);
      hit = lower == c;
      ++p;
    }
  }
  if (hit == negated) return false;
  while (*p != ']') {
    if (*p == '\0') return false;
    ++p;
  }
  *after = p + 1;
  return true;
}

// Tests one text character against the pattern element at `p`, which is not
// '*' nor the end; on a match, `after` is the next element.
bool MatchOne(const WCHAR* p, WCHAR textChar, BOOL caseSensitive, const WCHAR** after) {
  *after = p + 1;
  switch (*p) {
    case '#':
      return textChar >= '0' && textChar <= '9';
    case '?':
      return true;
    case '[':
      return MatchSet(p + 1, Fold(textChar, caseSensitive), caseSensitive, after);
    default:
      return Fold(*p, caseSensitive) == Fold(textChar, caseSensitive);
  }
}

}  // namespace

BOOL MatchPattern(const WCHAR* text, const WCHAR* pattern, BOOL caseSensitive) {
  const WCHAR* t = text;
  const WCHAR* p = pattern;
  // Every element but '*' takes exactly one character, so on a mismatch it is
  // enough to let the last '*' take one character more and go on from there;
  // earlier stars never need to be revisited.
  const WCHAR* afterStar = nullptr;
  const WCHAR* starText = nullptr;
  for (;;) {
    if (*p == '*') {
      afterStar = ++p;
      starText = t;
      continue;
    }
    if (*p == '\0' && *t == '\0') return TRUE;
    const WCHAR* next = nullptr;
    if (*p != '\0' && *t != '\0' && MatchOne(p, *t, caseSensitive, &next)) {
      p = next;
      ++t;
      continue;
    }
    if (afterStar == nullptr || *starText == '\0') return FALSE;
    p = afterStar;
    t = ++starText;
  }
}
