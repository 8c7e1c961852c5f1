#include "ClientOptions.h"

#include <cwchar>

namespace {

bool ReadNumber(const std::wstring& text, double low, double high, double& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstod(text.c_str(), &end);
  return end == text.c_str() + text.size() && value >= low && value <= high;
}

}  // namespace

bool ClientOptions::Parse(const std::vector<std::wstring>& arguments, ClientOptions& options, std::wstring& error) {
  options = ClientOptions();
  if (arguments.empty()) {
    error = L"no command";
    return false;
  }
  if (arguments[0] == L"list") {
    if (arguments.size() > 1) {
      error = L"list takes no arguments";
      return false;
    }
    options.command = Command::List;
    return true;
  }
  if (arguments.size() < 2) {
    error = L"a command should follow the ProgID";
    return false;
  }
  options.progId = arguments[0];
  const std::wstring& command = arguments[1];
  const struct {
    const wchar_t* name;
    Command command;
  } commands[] = {{L"status", Command::Status}, {L"browse", Command::Browse}, {L"props", Command::Props},
                  {L"read", Command::Read},     {L"write", Command::Write},   {L"watch", Command::Watch},
                  {L"events", Command::Events}};
  bool known = false;
  for (const auto& entry : commands) {
    if (command == entry.name) {
      options.command = entry.command;
      known = true;
    }
  }
  if (!known) {
    error = L"unknown command " + command;
    return false;
  }
  for (size_t i = 2; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    double number = 0;
    auto option = [&](const wchar_t* name, bool allowed) {
      if (argument != name) return false;
      if (!allowed) error = std::wstring(name) + L" does not go with " + command;
      return true;
    };
    const bool watching = options.command == Command::Watch;
    const bool counting = watching || options.command == Command::Events;
    if (option(L"--device", options.command == Command::Read)) {
      if (!error.empty()) return false;
      options.device = true;
    } else if (option(L"--v1", watching)) {
      if (!error.empty()) return false;
      options.version1 = true;
    } else if (option(L"--rate", watching) || option(L"--deadband", watching) || option(L"--count", counting) ||
               option(L"--timeout", counting)) {
      if (!error.empty()) return false;
      const bool percent = argument == L"--deadband";
      if (!hasValue || !ReadNumber(arguments[i + 1], 0, percent ? 100 : 4294967295.0, number) ||
          (!percent && number != static_cast<double>(static_cast<unsigned long long>(number)))) {
        error = argument + (percent ? L" needs a percentage from 0 to 100" : L" needs a whole number");
        return false;
      }
      ++i;
      if (argument == L"--rate") options.rateMs = static_cast<unsigned>(number);
      if (argument == L"--deadband") options.deadbandPercent = static_cast<float>(number);
      if (argument == L"--count") options.count = static_cast<unsigned>(number);
      if (argument == L"--timeout") options.timeoutSeconds = static_cast<unsigned>(number);
    } else if (argument.size() > 1 && argument[0] == L'-' && argument[1] == L'-') {
      error = L"unknown option " + argument;
      return false;
    } else {
      options.items.push_back(argument);
    }
  }
  const size_t given = options.items.size();
  switch (options.command) {
    case Command::Status:
    case Command::Events:
      if (given != 0) error = command + L" takes no items";
      break;
    case Command::Browse:
      if (given > 1) error = L"browse takes one filter at most";
      break;
    case Command::Props:
      if (given != 1) error = L"props takes one item";
      break;
    case Command::Write:
      for (const std::wstring& pair : options.items) {
        if (pair.find(L'=') == std::wstring::npos || pair[0] == L'=') error = L"write takes ITEM=VALUE, not " + pair;
      }
      [[fallthrough]];
    default:
      if (given == 0 && error.empty()) error = command + L" needs at least one item";
      break;
  }
  return error.empty();
}
