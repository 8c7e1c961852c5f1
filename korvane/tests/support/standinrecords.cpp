#include "standinrecords.h"

#include <algorithm>

int requestCount(PlatformStandin& standin, const std::string& requestLine) {
  const std::vector<RecordedRequest> all = standin.requests().all();
  return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const RecordedRequest& request) {
    return request.requestLine == requestLine;
  }));
}

std::vector<std::string> frameTexts(PlatformStandin& standin, WebSocketChannel channel) {
  std::vector<std::string> texts;
  for (const RecordedFrame& frame : standin.frames().all())
    if (frame.channel == channel) texts.push_back(frame.text);
  return texts;
}
