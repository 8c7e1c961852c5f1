#include "curlglobal.h"

#include <curl/curl.h>

#include "workerthreadcall.h"

CurlGlobal::CurlGlobal() : initialised_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}

CurlGlobal::~CurlGlobal() {
  // Transfers whose callers stopped waiting may still run on their threads.
  WorkerThreadCall::cancelAllAndWait();
  if (initialised_) curl_global_cleanup();
}
