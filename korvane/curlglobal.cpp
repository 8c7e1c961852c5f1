#include "curlglobal.h"

#include <curl/curl.h>

CurlGlobal::CurlGlobal() : initialised_(curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK) {}

CurlGlobal::~CurlGlobal() {
  if (initialised_) curl_global_cleanup();
}
