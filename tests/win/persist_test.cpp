// Persistence of the registered control through COM: streams, storages and property bags,
// the automation layer's conversions, and hostile data, which must end in a defined answer
// without creating or calling any object it names and leave the control working.
#include <objbase.h>
#include <ocidl.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "com_test_support.h"
#include "stand_ins.h"

namespace zortab_test {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::size_t kTabRowsAt = 26;  // version, extent, Enabled, MousePointer, TabStop
constexpr std::size_t kFirstClAt = 76;
// A class of this program only; the control must never make one.
constexpr CLSID kCountedClass = {
    0x6a1e2f30, 0x52c4, 0x4d1b, {0x9e, 0x31, 0x7c, 0x55, 0x0a, 0x42, 0x13, 0x9d}};

// An object that counts every call but AddRef and Release.
class Counted final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    ++calls;
    return AnswerOne<IDispatch>(this, riid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return ++calls, E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return ++calls, E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return ++calls, E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return ++calls, E_NOTIMPL;
  }
  ULONG references = 1;  // on the stack
  int calls = 0;
};

// The class object of kCountedClass: counts the instances asked for and makes none.
class CountingFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return AnswerOne<IClassFactory>(this, riid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** object) override {
    ++instances;
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
  int instances = 0;
};

// A page's parameters: texts by name, converted to the type asked for as a browser does.
// One name can be made to answer a fixed VARIANT instead.
class PageBag final : public IPropertyBag {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return AnswerOne<IPropertyBag>(this, riid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    asked.emplace_back(name);
    if (name == fixed_name) {
      VariantClear(value);
      return FAILED(VariantCopy(value, fixed.Get())) ? E_FAIL : S_OK;
    }
    const auto found = params.find(name);
    if (found == params.end()) return E_INVALIDARG;
    const VARTYPE wanted = V_VT(value);
    VariantClear(value);
    SetText(value, found->second);
    return wanted == VT_BSTR ? S_OK : VariantChangeType(value, value, 0, wanted);
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
    written[name] = V_VT(value);
    return S_OK;
  }
  std::map<std::wstring, std::wstring> params;
  std::vector<std::wstring> asked;
  std::map<std::wstring, VARTYPE> written;
  std::wstring fixed_name;
  UniqueVariant fixed;
};

ComPtr<IStream> StreamOf(const Bytes& bytes) {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ULONG written = 0;
  EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written), S_OK);
  EXPECT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
  return stream;
}

Bytes BytesOf(IStream* stream) {
  ULARGE_INTEGER size = {};
  EXPECT_EQ(stream->Seek({}, STREAM_SEEK_END, &size), S_OK);
  EXPECT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
  Bytes bytes(static_cast<std::size_t>(size.QuadPart));
  ULONG read = 0;
  EXPECT_EQ(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), S_OK);
  return bytes;
}

// A compound document in memory.
ComPtr<IStorage> NewStorage() {
  ComPtr<ILockBytes> bytes;
  ComPtr<IStorage> storage;
  EXPECT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  EXPECT_EQ(StgCreateDocfileOnILockBytes(
                bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage),
            S_OK);
  return storage;
}

Bytes Splice(Bytes stream, std::size_t at, std::size_t old_size, const Bytes& value) {
  stream.erase(stream.begin() + at, stream.begin() + at + old_size);
  stream.insert(stream.begin() + at, value.begin(), value.end());
  return stream;
}

class PersistTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(apartment_.Result())); }

  static HRESULT Load(IZorTabbedList* control, const Bytes& bytes) {
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    return persist->Load(StreamOf(bytes).Get());
  }
  static Bytes Save(IZorTabbedList* control, BOOL clear_dirty = FALSE) {
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    ComPtr<IStream> stream = StreamOf({});
    EXPECT_EQ(persist->Save(stream.Get(), clear_dirty), S_OK);
    return BytesOf(stream.Get());
  }
  static LONG TabRows(IZorTabbedList* control) {
    LONG rows = 0;
    EXPECT_EQ(control->get_TabRows(&rows), S_OK);
    return rows;
  }
  static LONG Items(IZorTabbedList* control) {
    LONG count = -1;
    EXPECT_EQ(control->get_ItemCount(&count), S_OK);
    return count;
  }
  // After any failure the control loads a good stream and keeps working.
  void ExpectWorking(IZorTabbedList* control) {
    ASSERT_EQ(Load(control, good_), S_OK);
    EXPECT_EQ(TabRows(control), 1);
    EXPECT_EQ(Save(control).size(), 2884u);
  }

  Apartment apartment_;
  Bytes good_ = Save(NewControl().Get());
};

TEST_F(PersistTest, StreamStorageRoundTripsAndDirty) {
  ComPtr<IZorTabbedList> control = NewControl();
  ComPtr<IPersistStreamInit> stream_form;
  ComPtr<IPersistStorage> storage_form;
  ComPtr<IPersistPropertyBag> bag_form;
  ComPtr<IPersist> plain;
  ASSERT_EQ(control.As(&stream_form), S_OK);
  ASSERT_EQ(control.As(&storage_form), S_OK);
  ASSERT_EQ(control.As(&bag_form), S_OK);
  ASSERT_EQ(control.As(&plain), S_OK);
  CLSID class_id = {};
  EXPECT_EQ(storage_form->GetClassID(&class_id), S_OK);
  EXPECT_TRUE(IsEqualCLSID(class_id, CLSID_ZorTabbedList));
  EXPECT_EQ(stream_form->GetSizeMax(nullptr), E_NOTIMPL);
  EXPECT_EQ(stream_form->InitNew(), S_OK);

  ASSERT_EQ(good_.size(), 2884u);
  EXPECT_EQ(Bytes(good_.begin(), good_.begin() + 4), (Bytes{0, 3, 0, 0}));
  EXPECT_EQ(Bytes(good_.end() - 8, good_.end()), (Bytes{8, 0, 2, 0, 0, 0, 0, 0}));

  EXPECT_EQ(control->put_TabRows(3), S_OK);
  EXPECT_EQ(stream_form->IsDirty(), S_FALSE);
  EXPECT_EQ(control->put_Enabled(VARIANT_FALSE), S_OK);
  EXPECT_EQ(storage_form->IsDirty(), S_OK);
  const Bytes saved = Save(control.Get(), FALSE);
  EXPECT_EQ(stream_form->IsDirty(), S_OK);

  // A compound document keeps the stream as "Contents".
  const ComPtr<IStorage> storage = NewStorage();
  ASSERT_NE(storage, nullptr);
  ASSERT_EQ(storage_form->Save(storage.Get(), TRUE), S_OK);
  EXPECT_EQ(stream_form->IsDirty(), S_FALSE);
  ComPtr<IStream> contents;
  ASSERT_EQ(
      storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents),
      S_OK);
  EXPECT_EQ(BytesOf(contents.Get()), saved);
  contents.Reset();

  ComPtr<IZorTabbedList> copy = NewControl();
  ComPtr<IPersistStorage> copy_storage;
  ASSERT_EQ(copy.As(&copy_storage), S_OK);
  ASSERT_EQ(copy_storage->Load(storage.Get()), S_OK);
  EXPECT_EQ(TabRows(copy.Get()), 3);
  VARIANT_BOOL enabled = VARIANT_TRUE;
  EXPECT_EQ(copy->get_Enabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_FALSE);
  EXPECT_EQ(Save(copy.Get()), saved);

  // A storage without "Contents" answers the storage's failure and changes nothing.
  const ComPtr<IStorage> empty = NewStorage();
  ASSERT_NE(empty, nullptr);
  ComPtr<IZorTabbedList> other = NewControl();
  ComPtr<IPersistStorage> other_storage;
  ASSERT_EQ(other.As(&other_storage), S_OK);
  EXPECT_EQ(other_storage->Load(empty.Get()), STG_E_FILENOTFOUND);
  EXPECT_EQ(other_storage->Load(nullptr), E_POINTER);
  ExpectWorking(other.Get());
}

TEST_F(PersistTest, HostileStreamsEndInADefinedAnswerAndCreateNothing) {
  const Bytes rows_two = Splice(good_, kTabRowsAt, 6, {3, 0, 2, 0, 0, 0});
  for (std::size_t cut = 0; cut < rows_two.size(); ++cut) {
    ComPtr<IZorTabbedList> control = NewControl();
    ASSERT_EQ(Load(control.Get(), Bytes(rows_two.begin(), rows_two.begin() + cut)), E_FAIL) << cut;
    ASSERT_EQ(TabRows(control.Get()), cut >= kTabRowsAt + 6 ? 2 : 1) << cut;
  }

  CountingFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(kCountedClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie),
            S_OK);
  Bytes class_id(sizeof(CLSID));
  std::memcpy(class_id.data(), &kCountedClass, sizeof(CLSID));
  auto typed = [](VARTYPE type, const Bytes& value) {
    Bytes bytes(2 + value.size());
    bytes[0] = static_cast<unsigned char>(type);
    bytes[1] = static_cast<unsigned char>(type >> 8);
    std::copy(value.begin(), value.end(), bytes.begin() + 2);
    return bytes;
  };
  const Bytes seven = {7, 0, 0, 0};
  const struct {
    const char* what;
    std::size_t at;
    Bytes value;
    HRESULT result;
    LONG tab_rows;
  } cases[] = {
      {"VT_UNKNOWN and a class id", kTabRowsAt, typed(VT_UNKNOWN, class_id), E_FAIL, 1},
      {"VT_DISPATCH and a class id", kTabRowsAt, typed(VT_DISPATCH, class_id), E_FAIL, 1},
      {"VT_BYREF", kTabRowsAt, typed(VT_BYREF | VT_I4, seven), E_FAIL, 1},
      {"VT_ARRAY", kTabRowsAt, typed(VT_ARRAY | VT_I4, seven), E_FAIL, 1},
      {"VT_VECTOR", kTabRowsAt, typed(VT_VECTOR | VT_I4, seven), E_FAIL, 1},
      {"unknown", kTabRowsAt, typed(0x00FF, seven), E_FAIL, 1},
      {"VT_I2 7", kTabRowsAt, typed(VT_I2, {7, 0}), S_OK, 7},
      {"VT_R8 3.0", kTabRowsAt, typed(VT_R8, {0, 0, 0, 0, 0, 0, 8, 0x40}), S_OK, 3},
      {"count 0x7FFFFFFF", kFirstClAt, typed(VT_BSTR, {0xFF, 0xFF, 0xFF, 0x7F}), E_FAIL, 1},
      {"count 0xFFFFFFFF", kFirstClAt, typed(VT_BSTR, {0xFF, 0xFF, 0xFF, 0xFF}), E_FAIL, 1},
      {"odd count", kFirstClAt, typed(VT_BSTR, {3, 0, 0, 0, 'a', 0, 0}), E_FAIL, 1},
      {"count beyond the data", kFirstClAt, typed(VT_BSTR, {0, 0, 1, 0, 'a', 0}), E_FAIL, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IZorTabbedList> control = NewControl();
    // A text's count is the stream's last word: what it promises never arrives.
    const Bytes hostile =
        c.at == kTabRowsAt ? Splice(good_, c.at, 6, c.value)
                           : Splice(Bytes(good_.begin(), good_.begin() + c.at), c.at, 0, c.value);
    EXPECT_EQ(Load(control.Get(), hostile), c.result);
    EXPECT_EQ(TabRows(control.Get()), c.tab_rows);
    EXPECT_EQ(Items(control.Get()), 0);
    ExpectWorking(control.Get());
  }
  EXPECT_EQ(factory.instances, 0);
  // The same bytes do make an object when read as an object: the count can move.
  ComPtr<IUnknown> loaded;
  EXPECT_TRUE(FAILED(OleLoadFromStream(StreamOf(class_id).Get(), IID_IUnknown, &loaded)));
  EXPECT_EQ(factory.instances, 1);
  EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(PersistTest, PageBagLoadsRecordsInIndexOrderAndRefusesHostileAnswers) {
  ComPtr<IZorTabbedList> control = NewControl();
  ComPtr<IPersistPropertyBag> bag_form;
  ASSERT_EQ(control.As(&bag_form), S_OK);
  PageBag page;
  for (int n = 4; n >= 0; --n) {
    const std::wstring id = std::to_wstring(n);
    page.params[L"CL" + id] = L"TAB:Main,TEXT:Item " + id + L",ID:i" + id;
  }
  page.params[L"CL351"] = L"TAB:Main,TEXT:Beyond,ID:beyond";
  page.params[L"TabRows"] = L"3";
  EXPECT_EQ(bag_form->Load(&page, nullptr), S_OK);
  EXPECT_EQ(TabRows(control.Get()), 3);
  std::wstring order;
  UniqueBstr id;
  for (HRESULT hr = control->get_GetFirstItem(id.Out()); hr == S_OK && id.Length() > 0;
       hr = control->get_GetNextItem(id.Out())) {
    order += Text(id) + L" ";
  }
  EXPECT_EQ(order, L"i0 i1 i2 i3 i4 ");
  EXPECT_EQ(page.asked.size(), 365u);
  EXPECT_EQ(page.asked.back(), L"CL350");
  EXPECT_EQ(bag_form->Save(&page, TRUE, FALSE), S_OK);
  EXPECT_EQ(page.written.size(), 365u);
  EXPECT_EQ(page.written[L"_cx"], VT_UI4);
  EXPECT_EQ(bag_form->Save(nullptr, TRUE, FALSE), E_POINTER);

  Counted object;
  LONG number = 7;
  const struct {
    const wchar_t* name;
    VARTYPE type;
    HRESULT result;
  } cases[] = {
      {L"TabRows", VT_DISPATCH, E_FAIL}, {L"TabRows", VT_BYREF | VT_I4, E_FAIL},
      {L"TabRows", VT_BSTR, E_FAIL},     {L"CL0", VT_BSTR, E_FAIL},
      {L"TabRows", VT_EMPTY, S_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type);
    PageBag hostile;
    hostile.params[L"MousePointer"] = L"2";
    hostile.fixed_name = c.name;
    V_VT(hostile.fixed.Get()) = c.type;
    if (c.type == VT_DISPATCH) {
      object.AddRef();
      V_DISPATCH(hostile.fixed.Get()) = &object;
    }
    if (c.type == (VT_BYREF | VT_I4)) V_I4REF(hostile.fixed.Get()) = &number;
    // Not a number for TabRows; for CL0 a text far above the cap.
    if (c.type == VT_BSTR) {
      SetText(hostile.fixed.Get(), std::wstring(c.name[0] == L'C' ? 4u << 20 : 4u, L'x'));
    }
    ComPtr<IZorTabbedList> fresh = NewControl();
    ComPtr<IPersistPropertyBag> fresh_bag;
    ASSERT_EQ(fresh.As(&fresh_bag), S_OK);
    EXPECT_EQ(fresh_bag->Load(&hostile, nullptr), c.result);
    LONG pointer = 0;
    EXPECT_EQ(fresh->get_MousePointer(&pointer), S_OK);
    EXPECT_EQ(pointer, 2);
    EXPECT_EQ(TabRows(fresh.Get()), 1);
    EXPECT_EQ(Items(fresh.Get()), 0);
    ExpectWorking(fresh.Get());
  }
  EXPECT_EQ(object.calls, 0);
  EXPECT_EQ(object.references, 1u);
}

}  // namespace
}  // namespace zortab_test
