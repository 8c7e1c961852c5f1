#include "MatchPattern.h"

namespace {

// Compared as signed bytes, as the range bounds of a set are.
signed char Fold(char c, BOOL caseSensitive) {
  const auto byte = static_cast<unsigned char>(c);
  const bool lower = byte >= 'a' && byte <= 'z';
  return static_cast<signed char>(!caseSensitive && lower ? byte - 'a' + 'A' : byte);
}

// Tests the character against the set whose members start at `set` (just
// behind the '['). On a match, `after` is the pattern behind the closing ']'.
bool MatchSet(const char* set, signed char c, BOOL caseSensitive, const char** after) {
  const char* p = set;
  const bool negated = *p == '!';
  if (negated) ++p;
  signed char lower = 0;  // the member before a '-'
  bool hit = false;
  while (!hit && *p != ']') {
    if (*p == '\0') return false;
    if (*p == '-') {
      if (p[1] == ']' || p[1] == '\0') return false;
      const signed char upper = Fold(p[1], caseSensitive);
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
bool MatchOne(const char* p, char textChar, BOOL caseSensitive, const char** after) {
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

BOOL MatchPattern(const char* text, const char* pattern, BOOL caseSensitive) {
  const char* t = text;
  const char* p = pattern;
  // Every element but '*' takes exactly one character, so on a mismatch it is
  // enough to let the last '*' take one character more and go on from there;
  // earlier stars never need to be revisited.
  const char* afterStar = nullptr;
  const char* starText = nullptr;
  for (;;) {
    if (*p == '*') {
      afterStar = ++p;
      starText = t;
      continue;
    }
    if (*p == '\0' && *t == '\0') return TRUE;
    const char* next = nullptr;
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
