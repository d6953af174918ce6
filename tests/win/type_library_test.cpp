// Finding the type library for registration: the module's own resource first, else a .tlb
// beside the module, and the help directory derived from the path that worked.
#include "control/com/type_library.h"

#include <windows.h>

#include "com_test_support.h"

namespace zortab_test {
namespace {

using control::com::FindTypeLibrary;
using control::com::HelpDirectory;
using control::com::TlbPathBeside;

TEST(TypeLibraryPaths, HelpDirectoryEndsAtTheLastSeparator) {
  EXPECT_EQ(HelpDirectory(L"C:\\a b\\o'k\\ZorTabList.dll"), L"C:\\a b\\o'k\\");
  EXPECT_EQ(HelpDirectory(L"Z:/work/build/ZorTabList.dll"), L"Z:/work/build/");
  EXPECT_EQ(HelpDirectory(L"C:\\mixed/last\\x.dll"), L"C:\\mixed/last\\");
  EXPECT_EQ(HelpDirectory(L"C:ZorTabList.dll"), L"C:");
  EXPECT_EQ(HelpDirectory(L"ZorTabList.dll"), L"");
}

TEST(TypeLibraryPaths, TlbReplacesOnlyTheFileNameExtension) {
  EXPECT_EQ(TlbPathBeside(L"C:\\dir\\ZorTabList.dll"), L"C:\\dir\\ZorTabList.tlb");
  EXPECT_EQ(TlbPathBeside(L"C:\\dir\\Zor.Tab.List.dll"), L"C:\\dir\\Zor.Tab.List.tlb");
  // A dot in a directory name is no extension.
  EXPECT_EQ(TlbPathBeside(L"C:\\v1.2\\ZorTabList"), L"C:\\v1.2\\ZorTabList.tlb");
  EXPECT_EQ(TlbPathBeside(L"ZorTabList"), L"ZorTabList.tlb");
}

// This test program holds no type library, so only a .tlb beside it can be found.
TEST(TypeLibraryPaths, FallsBackToTheTlbBesideTheModule) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::wstring beside = TlbPathBeside(std::wstring(buffer, length));
  DeleteFileW(beside.c_str());

  ComPtr<ITypeLib> library;
  std::wstring found;
  EXPECT_TRUE(FAILED(FindTypeLibrary(nullptr, library.GetAddressOf(), found)));
  EXPECT_EQ(library, nullptr);

  ASSERT_TRUE(CopyFileW(ZORTAB_TLB_PATH, beside.c_str(), FALSE));
  EXPECT_EQ(FindTypeLibrary(nullptr, library.GetAddressOf(), found), S_OK);
  EXPECT_EQ(found, beside);
  ASSERT_TRUE(library);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_ZORTABLISTLib));
  library->ReleaseTLibAttr(attributes);
  library.Reset();
  DeleteFileW(beside.c_str());
}

// The DLL itself answers from its resource, with its own path.
TEST(TypeLibraryPaths, TheDllCarriesItsLibrary) {
  Library dll(BuiltDllPath());
  ASSERT_NE(dll.Get(), nullptr);
  ComPtr<ITypeLib> library;
  std::wstring found;
  ASSERT_EQ(FindTypeLibrary(dll.Get(), library.GetAddressOf(), found), S_OK);
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(dll.Get(), buffer, MAX_PATH);
  EXPECT_EQ(found, std::wstring(buffer, length));
}

}  // namespace
}  // namespace zortab_test
