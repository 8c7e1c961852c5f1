#pragma once

#include <string>

// The verification-code image the stand-in serves: a small valid JPEG.
const std::string& codeImageJpeg();
