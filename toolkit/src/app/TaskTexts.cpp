#include "app/TaskTexts.h"

#include "app/CVorlixApp.h"

LPWSTR* AllocTaskTexts(const std::vector<const char*>& texts) {
  const CVorlixApp& app = VorlixApp();
  auto* array = static_cast<LPWSTR*>(app.TaskAlloc(texts.size() * sizeof(LPWSTR)));
  if (array == nullptr) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    array[i] = app.AllocWideFromAnsi(texts[i], TRUE);
    if (array[i] != nullptr) continue;
    for (size_t j = 0; j < i; ++j) app.TaskFree(array[j], TRUE);
    app.TaskFree(array, TRUE);
    return nullptr;
  }
  return array;
}
