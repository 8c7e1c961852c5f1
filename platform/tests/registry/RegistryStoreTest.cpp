// The registry store's files: restart, refusal of writes, atomic replacement,
// failed and unreadable files, concurrent writers.
#include "support/RegistryFixture.h"

#include <algorithm>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {
struct StoredValue {
  DWORD type;
  std::vector<BYTE> data;
  bool operator==(const StoredValue& other) const { return type == other.type && data == other.data; }
};

std::vector<BYTE> Bytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const BYTE*>(data);
  return std::vector<BYTE>(bytes, bytes + size);
}

StoredValue Query(HKEY root, const char16_t* path, const char16_t* name) {
  StoredValue value{REG_NONE, std::vector<BYTE>(256)};
  HKEY key = nullptr;
  DWORD size = static_cast<DWORD>(value.data.size());
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS ||
      RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS) {
    size = 0;
    value.type = 0xFFFFFFFF;
  }
  RegCloseKey(key);
  value.data.resize(size);
  return value;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}
}  // namespace

using RegistryStoreTest = RegistryFixture;

TEST_F(RegistryStoreTest, EveryShapeOfValueSurvivesARestart) {
  const char16_t awkward[] = u"quote\" percent% [brackets] back\\slash\ttab\nline \u4E2D \u00E9";
  const char16_t unterminated[] = {u'a', u'b'};
  const DWORD number = 0xA0B0C0D0;
  const BYTE binary[] = {0x00, 0xFF, 0x10};
  struct Case {
    HKEY root;
    const char16_t* path;
    const char16_t* name;
    StoredValue value;
  };
  const std::vector<Case> cases = {
      {HKEY_CLASSES_ROOT, u"Zelvo.Server", u"", {REG_SZ, Bytes(u"Zelvo OPC Server", 34)}},
      {HKEY_CLASSES_ROOT, u"CLSID\\{k}\\Odd]Name%", u"name \"x\" \u00FF", {REG_SZ, Bytes(awkward, sizeof awkward)}},
      {HKEY_CURRENT_USER, u"Software\\Zelvo", u"Bare", {REG_SZ, Bytes(unterminated, sizeof unterminated)}},
      {HKEY_CURRENT_USER, u"Software\\Zelvo", u"Rate", {REG_DWORD, Bytes(&number, 4)}},
      {HKEY_CURRENT_USER, u"Software\\Zelvo", u"Short", {REG_DWORD, Bytes(&number, 2)}},
      {HKEY_LOCAL_MACHINE, u"Binary", u"Blob", {REG_BINARY, Bytes(binary, sizeof binary)}},
      {HKEY_LOCAL_MACHINE, u"Binary", u"Nothing", {REG_NONE, {}}},
  };
  for (const Case& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(c.root, c.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, c.name, 0, c.value.type, c.value.data.data(), DWORD(c.value.data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  RegCloseKey(Create(HKEY_CLASSES_ROOT, "Zelvo.Server\\OPC"));

  RegistryStore::Instance().Reset();

  for (const Case& c : cases) EXPECT_EQ(Query(c.root, c.path, c.name), c.value) << NarrowAnsi(c.path).value();
  HKEY empty = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Zelvo.Server\\OPC", 0, KEY_READ, &empty), ERROR_SUCCESS);
  RegCloseKey(empty);
  // The file stays readable text.
  EXPECT_NE(FileText("HKEY_CURRENT_USER.txt").find("[Software\\Zelvo]\n\"Bare\"=hex(1):61006200\n\"Rate\"=dword:a0b0c0d0\n"),
            std::string::npos);
  EXPECT_NE(FileText("HKEY_CLASSES_ROOT.txt").find("[Zelvo.Server]\n\"\"=sz:\"Zelvo OPC Server\"\n"), std::string::npos);
}

TEST_F(RegistryStoreTest, RefusedWritesChangeNothing) {
  HKEY writable = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  ASSERT_EQ(SetText(writable, "Kept", "before"), ERROR_SUCCESS);
  const std::string fileBefore = FileText("HKEY_CURRENT_USER.txt");

  RegistryStore::Instance().SetRefuseWrites(true);
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zelvo", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zelvo", 0, GENERIC_WRITE, &key), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetText(writable, "Kept", "after"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetText(HKEY_CURRENT_USER, "Root", "after"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(writable, "Kept"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zelvo"), ERROR_ACCESS_DENIED);

  // Reading goes on.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zelvo", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(GetText(key, nullptr, "Kept"), "before");
  EXPECT_EQ(FileText("HKEY_CURRENT_USER.txt"), fileBefore);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "/HKEY_CLASSES_ROOT.txt"));

  RegistryStore::Instance().SetRefuseWrites(false);
  EXPECT_EQ(SetText(writable, "Kept", "after"), ERROR_SUCCESS);
  RegCloseKey(key);
  RegCloseKey(writable);
}

TEST_F(RegistryStoreTest, FileIsReplacedWholeAndNoTemporaryFileStays) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  ASSERT_EQ(SetText(key, "First", "1"), ERROR_SUCCESS);
  const std::string file = folder_ + "/HKEY_CURRENT_USER.txt";
  const std::string snapshot = folder_ + "/snapshot";
  std::filesystem::create_hard_link(file, snapshot);
  const std::string before = FileText("snapshot");

  ASSERT_EQ(SetText(key, "Second", "2"), ERROR_SUCCESS);

  // The old file was not written into: a new one took its name.
  EXPECT_EQ(FileText("snapshot"), before);
  EXPECT_EQ(FileText("HKEY_CURRENT_USER.txt"), before + "\"Second\"=sz:\"2\"\n");
  EXPECT_EQ(FolderEntries(folder_), (std::vector<std::string>{"HKEY_CURRENT_USER.txt", "snapshot"}));
  RegCloseKey(key);
}

TEST_F(RegistryStoreTest, ChangeThatCannotBeWrittenIsUndone) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\Zelvo");
  ASSERT_EQ(SetText(key, "Kept", "before"), ERROR_SUCCESS);
  RegCloseKey(Create(HKEY_CURRENT_USER, "Software\\Leaf"));
  // A folder in the file's place makes every later rename fail.
  const std::string file = folder_ + "/HKEY_CURRENT_USER.txt";
  std::filesystem::remove(file);
  std::filesystem::create_directories(file + "/blocker");

  HKEY created = nullptr;
  EXPECT_EQ(SetText(key, "Kept", "after"), ERROR_CANTWRITE);
  EXPECT_EQ(SetText(key, "New", "x"), ERROR_CANTWRITE);
  EXPECT_EQ(RegDeleteValueA(key, "Kept"), ERROR_CANTWRITE);
  EXPECT_EQ(RegCreateKeyExA(key, "A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr),
            ERROR_CANTWRITE);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Leaf"), ERROR_CANTWRITE);

  EXPECT_EQ(GetText(key, nullptr, "Kept"), "before");
  EXPECT_EQ(GetText(key, nullptr, "New"), "error " + std::to_string(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegOpenKeyExA(key, "A", 0, KEY_READ, &created), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Leaf", 0, KEY_READ, &created), ERROR_SUCCESS);
  RegCloseKey(created);
  EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"HKEY_CURRENT_USER.txt"});
  RegCloseKey(key);
}

TEST_F(RegistryStoreTest, UnreadableFileIsNeverOverwritten) {
  const std::string damaged = "[Software\\Zelvo]\n\"Name\"=sz:\"unterminated\n";
  std::ofstream(folder_ + "/HKEY_CURRENT_USER.txt") << damaged;

  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_BADDB);
  EXPECT_EQ(SetText(HKEY_CURRENT_USER, "Name", "x"), ERROR_BADDB);
  EXPECT_EQ(FileText("HKEY_CURRENT_USER.txt"), damaged);
  // The other roots are unaffected.
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, "Software"));
}

TEST_F(RegistryStoreTest, TwoThreadsWritingKeepEveryChange) {
  constexpr int kValuesPerThread = 100;
  auto writer = [this](const std::string& own) {
    HKEY key = Create(HKEY_CURRENT_USER, ("Software\\" + own).c_str());
    HKEY shared = Create(HKEY_CURRENT_USER, "Software\\Shared");
    for (int i = 0; i < kValuesPerThread; ++i) {
      EXPECT_EQ(SetText(key, ("v" + std::to_string(i)).c_str(), own), ERROR_SUCCESS);
      EXPECT_EQ(SetText(shared, (own + std::to_string(i)).c_str(), own), ERROR_SUCCESS);
    }
    RegCloseKey(shared);
    RegCloseKey(key);
  };
  std::thread first(writer, "First");
  std::thread second(writer, "Second");
  first.join();
  second.join();

  RegistryStore::Instance().Reset();
  for (const char* own : {"First", "Second"}) {
    for (int i = 0; i < kValuesPerThread; ++i) {
      const std::string index = std::to_string(i);
      EXPECT_EQ(GetText(HKEY_CURRENT_USER, (std::string("Software\\") + own).c_str(), ("v" + index).c_str()), own);
      EXPECT_EQ(GetText(HKEY_CURRENT_USER, "Software\\Shared", (own + index).c_str()), own);
    }
  }
}
