#include "support/TraceCapture.h"

#include "Vorlix.h"

#include <mutex>

namespace {

std::mutex capturedLock;
std::vector<TraceCapture::Line> captured;

void CaptureTrace(char* text) {
  std::lock_guard<std::mutex> guard(capturedLock);
  captured.push_back({text, text});
}

}  // namespace

TraceCapture::TraceCapture() {
  std::lock_guard<std::mutex> guard(capturedLock);
  captured.clear();
  EnableEventMsgs(CaptureTrace);
}

TraceCapture::~TraceCapture() { EnableEventMsgs(nullptr); }

std::vector<TraceCapture::Line> TraceCapture::Lines() const {
  std::lock_guard<std::mutex> guard(capturedLock);
  return captured;
}

std::vector<std::string> TraceCapture::Texts() const {
  std::vector<std::string> texts;
  for (const Line& line : Lines()) texts.push_back(line.text);
  return texts;
}
