// UTF-8 text (data files, the console) to the system's 16-bit text and back.
#pragma once

#include <string>

std::wstring WidenUtf8(const std::string& text);
std::string NarrowToUtf8(const std::wstring& text);
