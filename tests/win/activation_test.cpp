// The registered control as COM clients reach it: by ProgID and class id through
// CoCreateInstance, aggregated through COM, and with its type library registered.
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "com_test_support.h"

namespace zortab_test {
namespace {

std::wstring Normalised(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  std::transform(path.begin(), path.end(), path.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return path;
}

class ActivationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }
  Apartment apartment_;
};

TEST_F(ActivationTest, ProgIdsNameTheClassAndCreateTheBuiltControl) {
  for (const wchar_t* progid : {L"ZorTabList.ZorTabbedList", L"ZorTabList.ZorTabbedList.1"}) {
    CLSID found = {};
    ASSERT_EQ(CLSIDFromProgID(progid, &found), S_OK) << progid;
    EXPECT_TRUE(IsEqualCLSID(found, CLSID_ZorTabbedList)) << progid;
  }
  ComPtr<IZorTabbedList> control;
  ASSERT_EQ(
      CoCreateInstance(CLSID_ZorTabbedList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)),
      S_OK);
  UniqueBstr record = MakeBstr(L"TAB:Main,TEXT:Made by COM,ID:m");
  EXPECT_EQ(control->AddItem(record.Get()), S_OK);
  LONG count = 0;
  EXPECT_EQ(control->get_ItemCount(&count), S_OK);
  EXPECT_EQ(count, 1);

  // COM loaded the DLL of this build tree from the registered path.
  HMODULE loaded = GetModuleHandleW(L"ZorTabList.dll");
  ASSERT_NE(loaded, nullptr);
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(loaded, path, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(Normalised(std::wstring(path, length)), Normalised(BuiltDllPath()));
}

TEST_F(ActivationTest, ClassObjectAndAggregationThroughCom) {
  ComPtr<IClassFactory> first;
  ComPtr<IClassFactory> second;
  ASSERT_EQ(
      CoGetClassObject(CLSID_ZorTabbedList, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&first)),
      S_OK);
  ASSERT_EQ(
      CoGetClassObject(CLSID_ZorTabbedList, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&second)),
      S_OK);
  EXPECT_EQ(first.Get(), second.Get());

  Outer outer;
  ComPtr<IDispatch> refused;
  EXPECT_EQ(
      CoCreateInstance(CLSID_ZorTabbedList, &outer, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&refused)),
      CLASS_E_NOAGGREGATION);
  EXPECT_EQ(refused, nullptr);
  ASSERT_EQ(CoCreateInstance(CLSID_ZorTabbedList, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(outer.inner.GetAddressOf())),
            S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(outer.QueryInterface(IID_PPV_ARGS(&dispatch)), S_OK);
  ComPtr<IUnknown> identity;
  ASSERT_EQ(dispatch.As(&identity), S_OK);
  EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
  identity.Reset();
  dispatch.Reset();
  EXPECT_EQ(outer.references, 1);
  outer.inner.Reset();
}

TEST_F(ActivationTest, RegisteredTypeLibraryDescribesTheInterface) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(LIBID_ZORTABLISTLib, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IZorTabbedList, &info), S_OK);
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetNextChild")};
  DISPID id = 0;
  EXPECT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
  EXPECT_EQ(id, 41);
  BSTR path = nullptr;
  ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_ZORTABLISTLib, 1, 0, LOCALE_NEUTRAL, &path), S_OK);
  UniqueBstr owned(path);
  EXPECT_EQ(Normalised(Text(owned)), Normalised(BuiltDllPath()));
}

}  // namespace
}  // namespace zortab_test
