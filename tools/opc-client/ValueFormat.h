// How the client prints what a server hands it: one line per value with the
// item, the value, the quality as a number and a word, and the time stamp.
#pragma once

#include <windows.h>

#include <string>

namespace ValueFormat {

// The value as text ('.' as the decimal separator, booleans as True/False).
std::string Value(const VARIANT& value);
// "good", "uncertain" or "bad", from the quality's two top bits.
const char* QualityWord(WORD quality);
// UTC, to the millisecond: "2026-01-31 12:00:05.250Z".
std::string Time(const FILETIME& time);
// "ITEM  VALUE  QUALITY WORD  TIME".
std::string ItemLine(const std::string& item, const VARIANT& value, WORD quality, const FILETIME& time);
// UTF-8 text of a wide text.
std::string Utf8(const wchar_t* text);
std::wstring Wide(const std::string& utf8);
// "0x80040154 (Class not registered)"; the text of the system's message table.
std::string Hresult(HRESULT result, const std::wstring& text = {});

}  // namespace ValueFormat
