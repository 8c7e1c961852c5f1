// The browse filters' wildcard matcher against a plain backtracking matcher
// written here from the filter language's description (with memo, so any
// input finishes), for any text, pattern and case sensitivity.
#include "FuzzCheck.h"

#include "tags/MatchPattern.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The rank characters compare by: ASCII as itself (upper case when not case
// sensitive), every character above 0x7F below all of ASCII, in order.
int Rank(char16_t c, bool caseSensitive) {
  if (c >= 0x80) return static_cast<int>(c) - 0x10000;
  if (!caseSensitive && c >= 'a' && c <= 'z') return c - 'a' + 'A';
  return c;
}

// One '[...]' element, read ahead of matching.
struct CharacterSet {
  bool complete = false;  // it has its closing ']'
  bool negated = false;
  // Members in order: inclusive rank ranges; a '-' with nothing to end it is
  // an invalid member that stops the set matching if reached.
  struct Member {
    bool invalid;
    int low, high;
  };
  std::vector<Member> members;
  size_t end = 0;  // the pattern position behind the ']'
};

CharacterSet ReadSet(const std::u16string& p, size_t open, bool caseSensitive) {
  CharacterSet set;
  size_t i = open + 1;
  if (i < p.size() && p[i] == '!') {
    set.negated = true;
    ++i;
  }
  int previous = 0;
  while (i < p.size() && p[i] != ']') {
    if (p[i] == '-') {
      if (i + 1 >= p.size() || p[i + 1] == ']') {
        set.members.push_back({true, 0, 0});
        ++i;
        continue;
      }
      const int high = Rank(p[i + 1], caseSensitive);
      set.members.push_back({false, previous, high});
      previous = high;
      i += 2;
    } else {
      previous = Rank(p[i], caseSensitive);
      set.members.push_back({false, previous, previous});
      ++i;
    }
  }
  set.complete = i < p.size();
  set.end = i + 1;
  return set;
}

bool SetMatches(const CharacterSet& set, int rank) {
  if (!set.complete) return false;
  for (const CharacterSet::Member& member : set.members) {
    if (member.invalid) return false;
    if (member.low <= rank && rank <= member.high) return !set.negated;
  }
  return set.negated;
}

class ReferenceMatcher {
 public:
  ReferenceMatcher(const std::u16string& text, const std::u16string& pattern, bool caseSensitive)
      : t_(text), p_(pattern), caseSensitive_(caseSensitive), memo_((t_.size() + 1) * (p_.size() + 2), kUnknown) {}

  bool Matches() { return From(0, 0); }

 private:
  enum : char { kUnknown, kNo, kYes };

  bool From(size_t ti, size_t pi) {
    char& known = memo_[ti * (p_.size() + 2) + pi];
    if (known == kUnknown) known = Compute(ti, pi) ? kYes : kNo;
    return known == kYes;
  }

  bool Compute(size_t ti, size_t pi) {
    if (pi == p_.size()) return ti == t_.size();
    if (p_[pi] == '*') return From(ti, pi + 1) || (ti < t_.size() && From(ti + 1, pi));
    if (ti == t_.size()) return false;
    const char16_t c = t_[ti];
    switch (p_[pi]) {
      case '?':
        return From(ti + 1, pi + 1);
      case '#':
        return c >= '0' && c <= '9' && From(ti + 1, pi + 1);
      case '[': {
        const CharacterSet set = ReadSet(p_, pi, caseSensitive_);
        return SetMatches(set, Rank(c, caseSensitive_)) && From(ti + 1, set.end);
      }
      default:
        return Rank(p_[pi], caseSensitive_) == Rank(c, caseSensitive_) && From(ti + 1, pi + 1);
    }
  }

  const std::u16string& t_;
  const std::u16string& p_;
  const bool caseSensitive_;
  std::vector<char> memo_;
};

// One byte per character, the bytes 0xF0 and up standing for CJK
// characters, or UTF-16 units; up to the first zero, as the C texts end
// there, and at most kMaxLength units, which keeps the memo small.
constexpr size_t kMaxLength = 300;

std::u16string ReadText(const std::string& bytes, bool wide) {
  std::u16string text;
  if (wide) {
    text.resize(bytes.size() / 2);
    std::memcpy(&text[0], bytes.data(), text.size() * sizeof(char16_t));
  } else {
    for (const char byte : bytes) {
      const unsigned char b = static_cast<unsigned char>(byte);
      text.push_back(b >= 0xF0 ? static_cast<char16_t>(0x4E00 + (b - 0xF0)) : b);
    }
  }
  return text.substr(0, std::min(text.find(u'\0'), kMaxLength));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool caseSensitive = input.ConsumeBool();
  const bool wide = input.ConsumeBool();
  const std::u16string pattern = ReadText(input.ConsumeRandomLengthString(), wide);
  const std::u16string text = ReadText(input.ConsumeRemainingBytesAsString(), wide);

  const bool expected = ReferenceMatcher(text, pattern, caseSensitive).Matches();
  const BOOL matched = MatchPattern(text.c_str(), pattern.c_str(), caseSensitive ? TRUE : FALSE);
  FUZZ_CHECK((matched != FALSE) == expected);
  return 0;
}
