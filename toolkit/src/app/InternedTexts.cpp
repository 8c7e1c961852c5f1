#include "app/InternedTexts.h"

#include <mutex>
#include <unordered_set>

namespace {

struct TextSet {
  std::mutex mutex;
  // Nodes never move, so references to the texts stay valid.
  std::unordered_set<std::string> texts;
};

TextSet& Texts() {
  // Never destroyed: records may still point at a text while the process exits.
  static TextSet* const texts = new TextSet;
  return *texts;
}

}  // namespace

const std::string& InternedTexts::Intern(std::string_view text) {
  TextSet& set = Texts();
  std::lock_guard<std::mutex> guard(set.mutex);
  return *set.texts.emplace(text).first;
}
