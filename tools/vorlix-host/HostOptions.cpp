#include "HostOptions.h"

#include <cwctype>

namespace {

bool SameIgnoringCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != L'\0'; ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return i == a.size() && b[i] == L'\0';
}

}  // namespace

bool HostOptions::Parse(const std::vector<std::wstring>& arguments, HostOptions& options, std::wstring& error) {
  options = HostOptions();
  bool actionGiven = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    auto setAction = [&](Action action) {
      if (actionGiven) {
        error = L"only one of --register, --unregister and --stop may be given";
        return false;
      }
      actionGiven = true;
      options.action = action;
      return true;
    };
    if (argument == L"--register") {
      if (!setAction(Action::Register)) return false;
    } else if (argument == L"--unregister") {
      if (!setAction(Action::Unregister)) return false;
    } else if (argument == L"--stop") {
      if (!setAction(Action::Stop)) return false;
    } else if (argument == L"--simulate") {
      options.simulate = true;
    } else if (argument == L"--count-task-memory") {
      options.countTaskMemory = true;
    } else if (argument == L"--progid") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = L"--progid needs a name";
        return false;
      }
      options.progId = arguments[++i];
    } else if (SameIgnoringCase(argument, L"-Embedding") || SameIgnoringCase(argument, L"/Embedding")) {
      options.startedByCom = true;
    } else if (!argument.empty() && argument[0] == L'-') {
      error = L"unknown option " + argument;
      return false;
    } else if (options.dataFile.empty()) {
      options.dataFile = argument;
    } else {
      error = L"more than one data file: " + argument;
      return false;
    }
  }
  if ((options.action == Action::Unregister || options.action == Action::Stop) &&
      (options.simulate || !options.dataFile.empty())) {
    error = L"--unregister and --stop take no data file and no --simulate";
    return false;
  }
  return true;
}

std::wstring HostOptions::ServeArguments() const {
  std::wstring line;
  if (simulate) line += L" --simulate";
  if (progId != HostOptions().progId) line += L" --progid " + QuoteArgument(progId);
  if (!dataFile.empty()) line += L" " + QuoteArgument(dataFile);
  return line;
}

std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  // Backslashes count only before a quote: doubled there, kept as they are elsewhere.
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}
