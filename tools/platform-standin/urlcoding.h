#pragma once

#include <map>
#include <string>
#include <string_view>

// Decodes %XX escapes; with `plusIsSpace` also "+" as a blank, as form bodies
// use it. A "%" not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text, bool plusIsSpace);

// The fields of an application/x-www-form-urlencoded body, decoded. A later
// field of the same name replaces an earlier one.
std::map<std::string, std::string> decodeForm(std::string_view body);
