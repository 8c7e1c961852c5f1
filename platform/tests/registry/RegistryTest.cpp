// The Reg* functions: names, values and their sizes, deletion, handles.
#include "support/RegistryFixture.h"

#include <cstring>
#include <vector>

namespace {
std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD chars = sizeof name;
    if (RegEnumKeyExA(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  return names;
}
}  // namespace

using RegistryTest = RegistryFixture;

TEST_F(RegistryTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  // "Café" in the ANSI code page (GBK), opened again as "CAFÉ" in wide text.
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Zelvo\\Caf\xA8\xA6");
  EXPECT_EQ(SetText(key, "Path", "first"), ERROR_SUCCESS);

  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\zelvo\\CAF\u00C9", 0, KEY_ALL_ACCESS, &other), ERROR_SUCCESS);
  EXPECT_EQ(SetText(other, "PATH", "second"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(key, nullptr, "path"), "second");

  // Still one value, under the spelling it was created with.
  char name[32];
  DWORD chars = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Path");
  chars = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  // Creating it again under another spelling opens it and keeps the first spelling.
  DWORD disposition = 0;
  HKEY again = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\ZELVO", 0, nullptr, 0, KEY_READ, nullptr, &again,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(SubkeyNames(again), std::vector<std::string>{"Caf\xA8\xA6"});
  for (HKEY open : {key, other, again}) EXPECT_EQ(RegCloseKey(open), ERROR_SUCCESS);
}

TEST_F(RegistryTest, StringSizesAreBytesAndCountTheTerminator) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  ASSERT_EQ(SetText(key, "Name", "abc"), ERROR_SUCCESS);

  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(RegQueryValueExW(key, u"Name", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);

  // A buffer one byte short is refused with the size it needs, and left alone.
  char narrow[4] = {'x', 'x', 'x', 'x'};
  size = 3;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(narrow), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(narrow[0], 'x');
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(narrow), &size), ERROR_SUCCESS);
  EXPECT_STREQ(narrow, "abc");

  // Text written without its terminator is stored so; RegGetValue adds it.
  const char16_t wide[] = u"path";
  ASSERT_EQ(RegSetValueExW(key, u"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), 8), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, u"Bare", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  char16_t got[8] = {};
  size = sizeof got;
  EXPECT_EQ(RegGetValueW(key, nullptr, u"Bare", RRF_RT_REG_SZ, nullptr, got, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::u16string(got), u"path");
  RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValueHasTheEmptyOrNullName) {
  HKEY key = Create(HKEY_CLASSES_ROOT, "Zelvo.Server");
  ASSERT_EQ(SetText(key, nullptr, "Zelvo OPC Server"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(key, nullptr, ""), "Zelvo OPC Server");
  ASSERT_EQ(SetText(key, "", "replaced"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "Zelvo.Server", nullptr), "replaced");
  RegCloseKey(key);
}

TEST_F(RegistryTest, GetValueFiltersByTypeAndZeroesOnFailure) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  const DWORD number = 0x12345678;
  ASSERT_EQ(RegSetValueExA(key, "Rate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);

  DWORD read = 0;
  DWORD type = 0;
  DWORD size = sizeof read;
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Zelvo", "Rate", RRF_RT_REG_DWORD, &type, &read, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(read, number);
  EXPECT_EQ(type, REG_DWORD);

  char text[8];
  std::memset(text, 'x', sizeof text);
  size = sizeof text;
  EXPECT_EQ(RegGetValueA(key, nullptr, "Rate", RRF_RT_REG_SZ | RRF_ZEROONFAILURE, nullptr, text, &size),
            ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(std::string(text, sizeof text), std::string(sizeof text, '\0'));
  EXPECT_EQ(RegGetValueA(key, nullptr, "Missing", RRF_RT_ANY, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegGetValueA(key, "Missing", "Rate", RRF_RT_ANY, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegGetValueA(key, nullptr, "Rate", 0, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(RegistryTest, OnlyKeysWithoutSubkeysCanBeDeleted) {
  HKEY clsid = Create(HKEY_CLASSES_ROOT, "CLSID\\{guid}\\LocalServer32");
  ASSERT_EQ(SetText(clsid, nullptr, "/opt/zelvo/korvane"), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{guid}"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetText(clsid, nullptr, nullptr), "/opt/zelvo/korvane");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{GUID}\\localserver32"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{guid}\\LocalServer32"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{guid}"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, nullptr), ERROR_INVALID_PARAMETER);

  // The handle still open to the deleted key answers ERROR_KEY_DELETED, also
  // once a key of the same name exists again; it still closes.
  HKEY recreated = Create(HKEY_CLASSES_ROOT, "CLSID\\{guid}\\LocalServer32");
  HKEY sub = nullptr;
  EXPECT_EQ(SetText(clsid, nullptr, "x"), ERROR_KEY_DELETED);
  EXPECT_EQ(GetText(clsid, nullptr, nullptr), "error " + std::to_string(ERROR_KEY_DELETED));
  EXPECT_EQ(RegCreateKeyExA(clsid, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyA(clsid, ""), ERROR_KEY_DELETED);
  EXPECT_EQ(GetText(recreated, nullptr, nullptr), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegCloseKey(clsid), ERROR_SUCCESS);

  // An empty subkey deletes the key the handle names, with its values.
  ASSERT_EQ(SetText(recreated, "Value", "v"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(recreated, ""), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{guid}\\LocalServer32", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(recreated, "Value"), ERROR_KEY_DELETED);
  RegCloseKey(recreated);
}

TEST_F(RegistryTest, HandlesShareTheKeyAndKeepTheirRights) {
  HKEY writer = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  HKEY reader = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zelvo", 0, KEY_READ, &reader), ERROR_SUCCESS);

  ASSERT_EQ(SetText(writer, "Shared", "seen"), ERROR_SUCCESS);
  EXPECT_EQ(GetText(reader, nullptr, "Shared"), "seen");
  EXPECT_EQ(SetText(reader, "Shared", "no"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(reader, "Shared"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(writer, "Shared"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(writer, "Shared"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetText(reader, nullptr, "Shared"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));

  // A parent opened for reading is enough to create and delete below it.
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExA(reader, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(reader, "Child"), ERROR_SUCCESS);

  EXPECT_EQ(RegCloseKey(reader), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(reader), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetText(reader, nullptr, "Shared"), "error " + std::to_string(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(0x1234), nullptr, 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
  RegCloseKey(writer);
}

TEST_F(RegistryTest, PathsWithEmptyNamesAreRefused) {
  HKEY key = nullptr;
  for (const char* path : {"\\Software", "Software\\\\Zelvo"}) {
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME)
        << path;
  }
  // One trailing backslash is allowed.
  key = Create(HKEY_CURRENT_USER, "Software\\Zelvo\\");
  EXPECT_EQ(SubkeyNames(key), std::vector<std::string>{});
  RegCloseKey(key);
}

TEST_F(RegistryTest, FreshStoreHasTheSystemKeysAndEnumeratesInNameOrder) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                          KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(SubkeyNames(HKEY_CLASSES_ROOT), (std::vector<std::string>{"AppID", "CLSID"}));

  for (const char* name : {"zeta", "Alpha", "beta"}) RegCloseKey(Create(HKEY_LOCAL_MACHINE, name));
  EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE), (std::vector<std::string>{"Alpha", "beta", "zeta"}));
  char name[4];
  DWORD chars = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(HKEY_LOCAL_MACHINE, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
}
