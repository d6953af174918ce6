// The dual interface seen by early-bound and late-bound callers: type information from the
// embedded library, names to DISPIDs, Invoke, and the text and boolean conversions.
#include <windows.h>

#include <string>
#include <vector>

#include "com_test_support.h"

namespace zortab_test {
namespace {

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    ASSERT_NE(library_.Get(), nullptr) << "cannot load the control DLL";
    ASSERT_TRUE(exports_.Complete());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(exports_.get_class_object(CLSID_ZorTabbedList, IID_PPV_ARGS(&factory)), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&control_)), S_OK);
    ASSERT_EQ(control_.As(&dispatch_), S_OK);
  }
  void TearDown() override {
    dispatch_.Reset();
    control_.Reset();
    EXPECT_EQ(exports_.can_unload_now(), S_OK);
  }

  DISPID IdOf(const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0x7777;
    const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return SUCCEEDED(hr) ? id : 0x7777;
  }

  void Add(const std::wstring& record) {
    UniqueBstr text = MakeBstr(record);
    ASSERT_EQ(control_->AddItem(text.Get()), S_OK);
  }

  std::wstring GetText(const std::wstring& id) {
    UniqueBstr key = MakeBstr(id);
    UniqueBstr value;
    EXPECT_EQ(control_->get_Text(key.Get(), value.Out()), S_OK);
    return Text(value);
  }

  Apartment apartment_;
  Library library_{BuiltDllPath()};
  Exports exports_{library_};
  ComPtr<IZorTabbedList> control_;
  ComPtr<IDispatch> dispatch_;
};

TEST_F(DispatchTest, TypeInformationComesFromTheEmbeddedLibrary) {
  UINT count = 0;
  EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(dispatch_->GetTypeInfoCount(nullptr), E_POINTER);

  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualIID(attributes->guid, IID_IZorTabbedList));
  info->ReleaseTypeAttr(attributes);

  ComPtr<ITypeInfo> none;
  EXPECT_EQ(dispatch_->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none), DISP_E_BADINDEX);
  EXPECT_EQ(none, nullptr);
}

TEST_F(DispatchTest, NamesMapToTheirDispids) {
  const struct {
    const wchar_t* name;
    DISPID id;
  } table[] = {{L"Enabled", -514},    {L"MousePointer", -521},
               {L"ItemCount", -531},  {L"DisplayStyle", -540},
               {L"AddItem", -553},    {L"DeleteItem", -555},
               {L"Refresh", -550},    {L"TabRows", 1},
               {L"Text", 22},         {L"GetFirstChild", 40},
               {L"GetNextChild", 41}, {L"ReadyState", 43},
               {L"AddItemList", 48},  {L"CL", 21},
               {L"CL0", 20},          {L"additem", -553},
               {L"ITEMSTRING", 49}};
  for (const auto& entry : table) EXPECT_EQ(IdOf(entry.name), entry.id) << entry.name;

  LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
  DISPID id = 0;
  EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  LPOLESTR known[] = {const_cast<LPOLESTR>(L"AddItem")};
  EXPECT_EQ(dispatch_->GetIDsOfNames(IID_IZorTabbedList, known, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, InvokeReachesTheMembers) {
  UniqueVariant record;
  SetText(record.Get(), L"TAB:Main,TEXT:Hello,ID:h1");
  EXPECT_EQ(Call(dispatch_.Get(), -553, DISPATCH_METHOD, record.Get(), 1, nullptr), S_OK);

  UniqueVariant count;
  ASSERT_EQ(Call(dispatch_.Get(), -531, DISPATCH_PROPERTYGET, nullptr, 0, count.Get()), S_OK);
  EXPECT_EQ(V_VT(count.Get()), VT_I4);
  EXPECT_EQ(V_I4(count.Get()), 1);

  // An indexed put: the value is the named argument and comes first.
  UniqueVariant put_args[2];
  SetText(put_args[0].Get(), L"Changed");
  SetText(put_args[1].Get(), L"h1");
  VARIANT raw[2] = {*put_args[0].Get(), *put_args[1].Get()};
  EXPECT_EQ(Call(dispatch_.Get(), 22, DISPATCH_PROPERTYPUT, raw, 2, nullptr), S_OK);
  EXPECT_EQ(GetText(L"h1"), L"Changed");

  UniqueVariant id;
  SetText(id.Get(), L"h1");
  UniqueVariant text;
  ASSERT_EQ(Call(dispatch_.Get(), 22, DISPATCH_PROPERTYGET, id.Get(), 1, text.Get()), S_OK);
  ASSERT_EQ(V_VT(text.Get()), VT_BSTR);
  EXPECT_STREQ(V_BSTR(text.Get()), L"Changed");

  // The type library converts what a script passes to the declared type.
  UniqueVariant delimiter;
  SetText(delimiter.Get(), L"59");
  EXPECT_EQ(Call(dispatch_.Get(), 13, DISPATCH_PROPERTYPUT, delimiter.Get(), 1, nullptr), S_OK);
  LONG stored = 0;
  EXPECT_EQ(control_->get_Delimiter(&stored), S_OK);
  EXPECT_EQ(stored, 59);

  UniqueVariant enabled;
  ASSERT_EQ(Call(dispatch_.Get(), -514, DISPATCH_PROPERTYGET, nullptr, 0, enabled.Get()), S_OK);
  EXPECT_EQ(V_VT(enabled.Get()), VT_BOOL);
  EXPECT_EQ(V_BOOL(enabled.Get()), VARIANT_TRUE);
}

TEST_F(DispatchTest, InvokeRefusals) {
  DISPPARAMS empty = {nullptr, nullptr, 0, 0};
  UniqueVariant result;
  EXPECT_EQ(dispatch_->Invoke(-531, IID_IZorTabbedList, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &empty, result.Get(), nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(dispatch_->Invoke(-531, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, nullptr,
                              result.Get(), nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(Call(dispatch_.Get(), 9999, DISPATCH_METHOD, nullptr, 0, result.Get()),
            DISP_E_MEMBERNOTFOUND);
  // ItemCount has no put accessor.
  UniqueVariant value;
  SetLong(value.Get(), 3);
  EXPECT_EQ(Call(dispatch_.Get(), -531, DISPATCH_PROPERTYPUT, value.Get(), 1, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, ChildWalkAnswersTheSeqAndLateBoundCallersSeeSuccess) {
  Add(L"TAB:Main,TEXT:Zero,ID:z");
  Add(L"TAB:Main,TEXT:One,ID:o");
  Add(L"TAB:Main,TEXT:Parent,ID:p");
  Add(L"TAB:Main,TEXT:First,ID:c1,PARENT:p");
  Add(L"TAB:Main,TEXT:Second,ID:c2,PARENT:p");

  UniqueBstr parent = MakeBstr(L"p");
  UniqueBstr child;
  // The answer code is the found item's Seq: c1 is the fourth item made.
  EXPECT_EQ(control_->get_GetFirstChild(parent.Get(), child.Out()), 3);
  EXPECT_EQ(Text(child), L"c1");
  UniqueBstr next;
  EXPECT_EQ(control_->get_GetNextChild(child.Get(), next.Out()), 4);
  EXPECT_EQ(Text(next), L"c2");

  UniqueVariant argument;
  SetText(argument.Get(), L"p");
  UniqueVariant result;
  const HRESULT hr =
      Call(dispatch_.Get(), 40, DISPATCH_PROPERTYGET, argument.Get(), 1, result.Get());
  EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  ASSERT_EQ(V_VT(result.Get()), VT_BSTR);
  EXPECT_STREQ(V_BSTR(result.Get()), L"c1");
}

TEST_F(DispatchTest, TextKeepsEmbeddedNulsAndNullIsEmpty) {
  Add(L"TAB:Main,TEXT:Plain,ID:n1");
  UniqueBstr id = MakeBstr(L"n1");
  const std::wstring with_nul(L"a\0b\0", 4);
  UniqueBstr value = MakeBstr(with_nul);
  ASSERT_EQ(control_->put_Tag(id.Get(), value.Get()), S_OK);
  UniqueBstr back;
  ASSERT_EQ(control_->get_Tag(id.Get(), back.Out()), S_OK);
  EXPECT_EQ(back.Length(), 4u);
  EXPECT_EQ(Text(back), with_nul);

  // An ID with a NUL in it is a different ID.
  UniqueBstr longer_id = MakeBstr(std::wstring(L"n1\0", 3));
  LONG exists = -1;
  EXPECT_EQ(control_->get_ItemExists(longer_id.Get(), &exists), S_OK);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(control_->get_ItemExists(id.Get(), &exists), S_OK);
  EXPECT_EQ(exists, 1);

  // A null BSTR is empty text, in both directions.
  ASSERT_EQ(control_->put_Tag(id.Get(), nullptr), S_OK);
  ASSERT_EQ(control_->get_Tag(id.Get(), back.Out()), S_OK);
  EXPECT_EQ(back.Length(), 0u);
  EXPECT_EQ(control_->get_ItemExists(nullptr, &exists), S_OK);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(control_->AddItem(nullptr), S_OK);
  LONG count = 0;
  EXPECT_EQ(control_->get_ItemCount(&count), S_OK);
  EXPECT_EQ(count, 1);
}

TEST_F(DispatchTest, TextCrossesInTheSystemCodePage) {
  // A character outside ASCII that the system code page holds survives the round trip.
  const wchar_t wide = L'\u00e9';
  char narrow[4] = {};
  BOOL lost = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, 0, &wide, 1, narrow, sizeof narrow, nullptr, &lost);
  if (size <= 0 || lost) GTEST_SKIP() << "the system code page has no e-acute";
  Add(L"TAB:Main,TEXT:Caf\u00e9,ID:k\u00e9y");
  EXPECT_EQ(GetText(L"k\u00e9y"), L"Caf\u00e9");
  UniqueBstr id = MakeBstr(L"k\u00e9y");
  UniqueBstr record;
  ASSERT_EQ(control_->get_ItemString(id.Get(), record.Out()), S_OK);
  EXPECT_NE(Text(record).find(L"Caf\u00e9"), std::wstring::npos) << Text(record).c_str();
}

TEST_F(DispatchTest, BooleansAreSignExtendedInAndCutBackOut) {
  // Enabled reads back true for any non-zero value...
  EXPECT_EQ(control_->put_Enabled(1), S_OK);
  VARIANT_BOOL value = 0;
  EXPECT_EQ(control_->get_Enabled(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
  EXPECT_EQ(control_->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(control_->get_Enabled(&value), S_OK);
  EXPECT_EQ(value, VARIANT_FALSE);
  // ...while HilightSelectedTab gives back the 16 bits written.
  EXPECT_EQ(control_->put_HilightSelectedTab(1), S_OK);
  EXPECT_EQ(control_->get_HilightSelectedTab(&value), S_OK);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(control_->put_HilightSelectedTab(VARIANT_TRUE), S_OK);
  EXPECT_EQ(control_->get_HilightSelectedTab(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);
}

TEST_F(DispatchTest, NullOutPointersAnswerEPointer) {
  UniqueBstr id = MakeBstr(L"x");
  EXPECT_EQ(control_->get_ItemCount(nullptr), E_POINTER);
  EXPECT_EQ(control_->get_Enabled(nullptr), E_POINTER);
  EXPECT_EQ(control_->get_Text(id.Get(), nullptr), E_POINTER);
  EXPECT_EQ(control_->get_GetFirstChild(id.Get(), nullptr), E_POINTER);
  EXPECT_EQ(control_->get_GetFirstItem(nullptr), E_POINTER);
  EXPECT_EQ(control_->get_CL(0, nullptr), E_POINTER);
  EXPECT_EQ(control_->get_ItemEnabled(id.Get(), nullptr), E_POINTER);
  EXPECT_EQ(control_->get_EventKeyState(65, nullptr), E_POINTER);
}

}  // namespace
}  // namespace zortab_test
