#include "app/TaskTexts.h"

#include "app/CVorlixApp.h"
#include "app/TaskArray.h"

LPWSTR* AllocTaskTexts(const std::vector<const char*>& texts) {
  const CVorlixApp& app = VorlixApp();
  TaskArray<LPWSTR> array(texts.size());
  if (!array) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    array[i] = app.AllocWideFromAnsi(texts[i], TRUE);
    if (array[i] != nullptr) continue;
    for (size_t j = 0; j < i; ++j) app.TaskFree(array[j], TRUE);
    return nullptr;
  }
  return array.Release();
}
