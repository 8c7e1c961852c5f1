#include "registry/registryfile.h"

#include "platform/registry.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace {
const char kHexDigits[] = "0123456789abcdef";

bool NeedsEscape(char16_t unit) { return unit < 0x20 || unit > 0x7E || unit == u'%' || unit == u'"' || unit == u'[' || unit == u']'; }

std::string Escape(const WideString& text) {
  std::string out;
  for (char16_t unit : text) {
    if (!NeedsEscape(unit)) {
      out.push_back(static_cast<char>(unit));
      continue;
    }
    out.push_back('%');
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHexDigits[(unit >> shift) & 0xF]);
  }
  return out;
}

// Parses all of the text as a hexadecimal number of at most 32 bits.
bool ParseHex(const std::string& text, uint32_t& value) {
  if (text.empty()) return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool Unescape(const std::string& text, WideString& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != '%') {
      if (NeedsEscape(c)) return false;
      out.push_back(c);
      continue;
    }
    uint32_t unit = 0;
    if (i + 4 >= text.size() || !ParseHex(text.substr(i + 1, 4), unit)) return false;
    out.push_back(static_cast<char16_t>(unit));
    i += 4;
  }
  return true;
}

// Reads the quoted text that starts at pos and moves pos past its closing quote.
bool ParseQuoted(const std::string& line, size_t& pos, WideString& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  const size_t end = line.find('"', pos + 1);
  if (end == std::string::npos) return false;
  const bool ok = Unescape(line.substr(pos + 1, end - pos - 1), out);
  pos = end + 1;
  return ok;
}

bool IsTerminatedText(const RegistryValue& value) {
  if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
  const WideString units = BytesToWideText(value.data);
  return units.find(u'\0') == units.size() - 1;
}

void AppendValue(const RegistryValue& value, std::string& out) {
  out += '"' + Escape(value.name) + "\"=";
  if (IsTerminatedText(value)) {
    const WideString text = BytesToWideText(value.data);
    out += "sz:\"" + Escape(text.substr(0, text.size() - 1)) + '"';
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (uint32_t(value.data[3]) << 24);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", number);
    out += std::string("dword:") + digits;
  } else {
    out += "hex(" + std::to_string(value.type) + "):";
    for (BYTE b : value.data) {
      out.push_back(kHexDigits[b >> 4]);
      out.push_back(kHexDigits[b & 0xF]);
    }
  }
  out += '\n';
}

void AppendKey(const RegistryKey& key, const std::string& path, std::string& out) {
  if (!path.empty()) out += '[' + path + "]\n";
  for (const RegistryValue& value : key.Values()) AppendValue(value, out);
  for (const auto& entry : key.SubkeyMap()) {
    const std::string name = Escape(entry.second->Name());
    AppendKey(*entry.second, path.empty() ? name : path + '\\' + name, out);
  }
}

bool ParseData(const std::string& text, RegistryValue& value) {
  if (text.rfind("sz:", 0) == 0) {
    size_t pos = 3;
    WideString string;
    if (!ParseQuoted(text, pos, string) || pos != text.size()) return false;
    value.type = REG_SZ;
    value.data = WideTextToBytes(string + u'\0');
    return true;
  }
  if (text.rfind("dword:", 0) == 0) {
    uint32_t number = 0;
    if (text.size() != 14 || !ParseHex(text.substr(6), number)) return false;
    value.type = REG_DWORD;
    value.data = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
    return true;
  }
  const size_t close = text.find("):");
  if (text.rfind("hex(", 0) != 0 || close == std::string::npos) return false;
  auto typeResult = std::from_chars(text.data() + 4, text.data() + close, value.type, 10);
  if (typeResult.ec != std::errc() || typeResult.ptr != text.data() + close) return false;
  const std::string digits = text.substr(close + 2);
  if (digits.size() % 2 != 0) return false;
  value.data.clear();
  for (size_t i = 0; i < digits.size(); i += 2) {
    uint32_t byte = 0;
    if (!ParseHex(digits.substr(i, 2), byte)) return false;
    value.data.push_back(static_cast<BYTE>(byte));
  }
  return true;
}

bool ParseValueLine(const std::string& line, RegistryValue& value) {
  size_t pos = 0;
  if (!ParseQuoted(line, pos, value.name) || pos >= line.size() || line[pos] != '=') return false;
  return ParseData(line.substr(pos + 1), value);
}

bool ParseKeyLine(const std::string& line, RegistryKey& root, RegistryKey*& current) {
  if (line.back() != ']') return false;
  current = &root;
  const std::string path = line.substr(1, line.size() - 2);
  if (path.empty()) return true;
  std::istringstream components(path);
  std::string component;
  WideString name;
  while (std::getline(components, component, '\\')) {
    if (!Unescape(component, name) || name.empty()) return false;
    current = current->AddSubkey(name).get();
  }
  return path.back() != '\\';
}

bool WriteAll(int fd, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, std::string& text) {
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(buffer, static_cast<size_t>(n));
  }
}

// The rename is on disk only once the folder's entry is.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
}  // namespace

std::string FormatRegistryText(const RegistryKey& root) {
  std::string text = "; Registry store. Written whole on every change.\n";
  AppendKey(root, std::string(), text);
  return text;
}

bool ParseRegistryText(const std::string& text, RegistryKey& root) {
  std::istringstream lines(text);
  std::string line;
  RegistryKey* current = &root;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (!ParseKeyLine(line, root, current)) return false;
      continue;
    }
    RegistryValue value{};
    if (!ParseValueLine(line, value)) return false;
    current->SetValue(std::move(value));
  }
  return true;
}

RegistryFileStatus LoadRegistryFile(const std::string& path, RegistryKey& root) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? RegistryFileStatus::Missing : RegistryFileStatus::Unreadable;
  std::string text;
  const bool read = ReadAll(fd, text);
  ::close(fd);
  return read && ParseRegistryText(text, root) ? RegistryFileStatus::Loaded : RegistryFileStatus::Unreadable;
}

bool SaveRegistryFile(const std::string& path, const RegistryKey& root) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return false;
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, FormatRegistryText(root)) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}
