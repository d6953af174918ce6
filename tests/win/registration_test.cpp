// Self-registration against the real registry of the test prefix: a copy of the DLL in a
// directory whose name holds an apostrophe is registered, read back, registered again and
// unregistered. The build's own registration is put back at the end.
#include <windows.h>

#include <map>
#include <string>

#include "com_test_support.h"

namespace zortab_test {
namespace {

const wchar_t kClassKey[] = L"CLSID\\{5C2E9A6E-3D7B-11D2-8E4F-0060B3A1C7D2}";
const wchar_t kProgId[] = L"ZorTabList.ZorTabbedList";
const wchar_t kVersionedProgId[] = L"ZorTabList.ZorTabbedList.1";
const wchar_t kTypeLibKey[] = L"TypeLib\\{5C2E9A61-3D7B-11D2-8E4F-0060B3A1C7D2}";
const wchar_t kInterfaceKey[] = L"Interface\\{5C2E9A6D-3D7B-11D2-8E4F-0060B3A1C7D2}";
#ifdef _WIN64
const wchar_t kTypeLibPlatform[] = L"win64";
#else
const wchar_t kTypeLibPlatform[] = L"win32";
#endif

class Key {
 public:
  Key(HKEY parent, const std::wstring& path) {
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_ = nullptr;
};

bool KeyExists(const std::wstring& path) { return static_cast<bool>(Key(HKEY_CLASSES_ROOT, path)); }

// A string value: "<missing>" when absent, "<type N>" when not REG_SZ.
std::wstring StringValue(const std::wstring& path, const wchar_t* name = nullptr) {
  Key key(HKEY_CLASSES_ROOT, path);
  if (!key) return L"<missing>";
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                       &size) != ERROR_SUCCESS) {
    return L"<unreadable>";
  }
  data.resize(size / sizeof(wchar_t));
  while (!data.empty() && data.back() == L'\0') data.pop_back();
  return data;
}

// Every key and value below `path`, as "sub\path|name" -> "type:data".
void Snapshot(const std::wstring& path, const std::wstring& shown,
              std::map<std::wstring, std::wstring>& out) {
  Key key(HKEY_CLASSES_ROOT, path);
  if (!key) return;
  out[shown + L"|<key>"] = L"";
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_size = 256;
    BYTE data[1024];
    DWORD data_size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueW(key.Get(), index, name, &name_size, nullptr, &type, data, &data_size) !=
        ERROR_SUCCESS) {
      break;
    }
    out[shown + L"|" + name] =
        std::to_wstring(type) + L":" +
        std::wstring(reinterpret_cast<wchar_t*>(data), data_size / sizeof(wchar_t));
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_size = 256;
    if (RegEnumKeyExW(key.Get(), index, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    Snapshot(path + L"\\" + name, shown + L"\\" + name, out);
  }
}

std::map<std::wstring, std::wstring> SnapshotOfRegistration() {
  std::map<std::wstring, std::wstring> all;
  Snapshot(kClassKey, L"class", all);
  Snapshot(kProgId, L"progid", all);
  Snapshot(kVersionedProgId, L"progid.1", all);
  return all;
}

bool CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

void DeleteTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()); }

class RegistrationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    was_registered_ = KeyExists(std::wstring(kClassKey) + L"\\InprocServer32");
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    ASSERT_GT(length, 0u);
    directory_ = std::wstring(temp, length) + L"zortab o'reg " +
                 std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(directory_.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    copy_ = directory_ + L"ZorTabList.dll";
    ASSERT_TRUE(CopyFileW(BuiltDllPath().c_str(), copy_.c_str(), FALSE));
  }

  static void TearDownTestSuite() {
    {
      Library copy(copy_);
      Exports exports(copy);
      if (exports.Complete()) exports.unregister_server();
    }
    DeleteFileW(copy_.c_str());
    RemoveDirectoryW(directory_.c_str());
    if (was_registered_) {
      // Put the build's own registration back for the tests that rely on it.
      Library built(BuiltDllPath());
      Exports exports(built);
      EXPECT_TRUE(exports.Complete() && exports.register_server() == S_OK);
    }
  }

  void SetUp() override {
    ASSERT_NE(library_.Get(), nullptr) << "cannot load the copied DLL";
    ASSERT_TRUE(exports_.Complete());
    ASSERT_EQ(exports_.unregister_server(), S_OK);  // every test starts unregistered
  }

  static inline bool was_registered_ = false;
  static inline std::wstring directory_;
  static inline std::wstring copy_;
  Library library_{copy_};
  Exports exports_{library_};
};

TEST_F(RegistrationTest, WritesTheClassProgIdsAndTypeLibrary) {
  ASSERT_EQ(exports_.register_server(), S_OK);
  const std::wstring class_key = kClassKey;
  const std::wstring progid = kProgId;
  const std::wstring versioned = kVersionedProgId;
  const std::wstring clsid_text = L"{5C2E9A6E-3D7B-11D2-8E4F-0060B3A1C7D2}";

  EXPECT_EQ(StringValue(versioned), L"ZorTabbedList Class");
  EXPECT_EQ(StringValue(versioned + L"\\CLSID"), clsid_text);
  EXPECT_EQ(StringValue(progid), L"ZorTabbedList Class");
  EXPECT_EQ(StringValue(progid + L"\\CLSID"), clsid_text);
  EXPECT_EQ(StringValue(progid + L"\\CurVer"), versioned);

  EXPECT_EQ(StringValue(class_key), L"ZorTabbedList Class");
  EXPECT_EQ(StringValue(class_key + L"\\ProgID"), versioned);
  EXPECT_EQ(StringValue(class_key + L"\\VersionIndependentProgID"), progid);
  // The path holds one apostrophe, as on disk, although the script doubles it.
  EXPECT_EQ(StringValue(class_key + L"\\InprocServer32"), copy_);
  EXPECT_EQ(StringValue(class_key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(StringValue(class_key + L"\\ToolboxBitmap32"), copy_ + L", 101");
  EXPECT_EQ(StringValue(class_key + L"\\MiscStatus"), L"0");
  EXPECT_EQ(StringValue(class_key + L"\\MiscStatus\\1"), L"131473");
  EXPECT_EQ(StringValue(class_key + L"\\TypeLib"), L"{5C2E9A61-3D7B-11D2-8E4F-0060B3A1C7D2}");
  EXPECT_EQ(StringValue(class_key + L"\\Version"), L"1.0");
  for (const wchar_t* flag_key : {L"\\Programmable", L"\\Control", L"\\Insertable"}) {
    EXPECT_TRUE(KeyExists(class_key + flag_key)) << flag_key;
  }

  // The type library, registered by the platform from the module itself.
  const std::wstring library_key = std::wstring(kTypeLibKey) + L"\\1.0";
  EXPECT_EQ(StringValue(library_key), L"ZorTabList 1.0 Type Library");
  EXPECT_EQ(StringValue(library_key + L"\\0\\" + kTypeLibPlatform), copy_);
  EXPECT_TRUE(KeyExists(kInterfaceKey));

  // COM finds the class through what was written.
  CLSID found = {};
  EXPECT_EQ(CLSIDFromProgID(kProgId, &found), S_OK);
  EXPECT_TRUE(IsEqualCLSID(found, CLSID_ZorTabbedList));
}

TEST_F(RegistrationTest, RegisteringAgainRestoresTheSameEntries) {
  ASSERT_EQ(exports_.register_server(), S_OK);
  const auto first = SnapshotOfRegistration();
  EXPECT_FALSE(first.empty());
  ASSERT_EQ(exports_.register_server(), S_OK);
  EXPECT_EQ(SnapshotOfRegistration(), first);

  // A subkey added by hand under the class key goes at the next registration.
  ASSERT_TRUE(CreateKey(std::wstring(kClassKey) + L"\\Stray\\Deeper"));
  ASSERT_NE(SnapshotOfRegistration(), first);
  ASSERT_EQ(exports_.register_server(), S_OK);
  EXPECT_FALSE(KeyExists(std::wstring(kClassKey) + L"\\Stray"));
  EXPECT_EQ(SnapshotOfRegistration(), first);
}

TEST_F(RegistrationTest, UnregisteringRemovesTheClassButKeepsClsidAndForeignKeys) {
  ASSERT_EQ(exports_.register_server(), S_OK);
  ASSERT_TRUE(CreateKey(std::wstring(kProgId) + L"\\Foreign"));
  EXPECT_EQ(exports_.unregister_server(), S_OK);

  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_FALSE(KeyExists(kVersionedProgId));
  EXPECT_TRUE(KeyExists(L"CLSID"));
  // Another party's subkey keeps the ProgID key, and only what registration wrote goes.
  EXPECT_TRUE(KeyExists(std::wstring(kProgId) + L"\\Foreign"));
  EXPECT_FALSE(KeyExists(std::wstring(kProgId) + L"\\CLSID"));
  EXPECT_FALSE(KeyExists(std::wstring(kProgId) + L"\\CurVer"));
  EXPECT_FALSE(KeyExists(std::wstring(kTypeLibKey) + L"\\1.0"));
  EXPECT_FALSE(KeyExists(kInterfaceKey));
  DeleteTree(kProgId);

  // Without foreign keys everything goes.
  ASSERT_EQ(exports_.register_server(), S_OK);
  EXPECT_EQ(exports_.unregister_server(), S_OK);
  EXPECT_FALSE(KeyExists(kProgId));
  EXPECT_TRUE(SnapshotOfRegistration().empty());
}

TEST_F(RegistrationTest, UnregisteringWhenNothingIsRegisteredSucceeds) {
  ASSERT_FALSE(KeyExists(kClassKey));
  EXPECT_EQ(exports_.unregister_server(), S_OK);
  EXPECT_EQ(exports_.unregister_server(), S_OK);
  EXPECT_TRUE(KeyExists(L"CLSID"));
}

}  // namespace
}  // namespace zortab_test
