#pragma once

#include <string>
#include <vector>

// One HTTP request exactly as it reached the stand-in.
struct RecordedRequest {
  std::string method;                    // "GET"
  std::string target;                    // "/ZirOrurodaz/dev?usePage=false", still encoded
  std::string requestLine;               // "GET /ZirOrurodaz/dev?usePage=false HTTP/1.1"
  std::vector<std::string> headerLines;  // every header line as received, without its CRLF
  std::string body;
};
