// Stand-ins shared by the Windows tests: the registered control made by class id (and a
// fixture over one), the QueryInterface of an object that answers one interface, a client
// site and an IDispatch that offer nothing of their own, and objects that fill only the
// few slots of a large interface that the control calls. All of them live on a test's
// stack: their counts only show what the control holds.
#pragma once

#include <ocidl.h>
#include <oleidl.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "com_test_support.h"

namespace zortab_test {

// The registered control, created by class id and asked for `Interface`.
template <class Interface = IZorTabbedList>
ComPtr<Interface> NewControl() {
  ComPtr<Interface> control;
  EXPECT_EQ(
      CoCreateInstance(CLSID_ZorTabbedList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)),
      S_OK);
  return control;
}

// A test of one registered control made by class id in the test's apartment. A derived
// fixture's members go before the control: one whose objects the control may hold lets go
// of the control in its TearDown.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.Result()));
    control_ = NewControl();
    ASSERT_NE(control_, nullptr);
  }

  Apartment apartment_;
  ComPtr<IZorTabbedList> control_;
};

// Adds the records to `list` in order.
inline void AddItems(IZorTabbedList* list, std::initializer_list<const wchar_t*> records) {
  for (const wchar_t* record : records) {
    ASSERT_EQ(list->AddItem(MakeBstr(record).Get()), S_OK);
  }
}

// QueryInterface of a test object that answers IUnknown and its one interface.
template <class Interface>
HRESULT AnswerOne(Interface* self, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, __uuidof(Interface))) {
    return E_NOINTERFACE;
  }
  *object = self;
  self->AddRef();
  return S_OK;
}

// IDispatch of a test object that is only invoked by DISPID: it has no type information
// and knows no names.
class InvokeOnlyDispatch : public IDispatch {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
};

// The answers of a client site that has no container, moniker or saving of its own; a
// stand-in site overrides what it offers.
class ClientSiteBase : public IOleClientSite {
 public:
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
};

// The slot of a virtual member in its interface's table: g++ (the Itanium C++ ABI) keeps
// 1 + the byte offset in the table in a pointer to a virtual member.
template <class Member>
std::size_t SlotOf(Member member) {
  struct Raw {
    std::uintptr_t pointer;
    std::ptrdiff_t adjust;
  } raw;
  static_assert(sizeof(Member) == sizeof(Raw));
  std::memcpy(&raw, &member, sizeof raw);
  return (raw.pointer - 1) / sizeof(void*);
}

// A stand-in for one of the large interfaces (an HTML document or window, a browser) of
// which the control calls a few members: a table with IUnknown's three slots and only
// those members filled in; any other call would crash the test, and so fail it. The
// functions filled in take the stand-in (or the type derived from it) as their first
// parameter; a derived type adds no virtual members, so that the table stays first.
class PartialObject {
  const void* const* table_ = nullptr;  // first: what a caller sees as the object

 public:
  // `also`: another interface it answers, none of whose own members are called.
  explicit PartialObject(const IID& iid, const IID& also = IID_NULL) : iid_(iid), also_(also) {
    // IUnknown's three slots are fixed by COM itself.
    slots_ = {reinterpret_cast<const void*>(&QueryInterfaceEntry),
              reinterpret_cast<const void*>(&AddRefEntry),
              reinterpret_cast<const void*>(&ReleaseEntry)};
    table_ = slots_.data();
  }
  PartialObject(const PartialObject&) = delete;
  PartialObject& operator=(const PartialObject&) = delete;

  template <class Interface>
  Interface* As() {
    return reinterpret_cast<Interface*>(this);
  }
  template <class Member, class Function>
  void Fill(Member member, Function function) {
    const std::size_t slot = SlotOf(member);
    if (slots_.size() <= slot) slots_.resize(slot + 1, nullptr);
    slots_[slot] = reinterpret_cast<const void*>(function);
    table_ = slots_.data();
  }
  // QueryInterface as a caller through the table gets it.
  HRESULT Query(REFIID riid, void** out) { return QueryInterfaceEntry(this, riid, out); }

  LONG references = 1;
  bool answers = true;  // false: not the interface it stands in for

 private:
  static HRESULT STDMETHODCALLTYPE QueryInterfaceEntry(PartialObject* self, REFIID riid,
                                                       void** out) {
    if (!out) return E_POINTER;
    const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, self->also_) ||
                       (self->answers && IsEqualIID(riid, self->iid_));
    *out = known ? self : nullptr;
    if (!known) return E_NOINTERFACE;
    ++self->references;
    return S_OK;
  }
  static ULONG STDMETHODCALLTYPE AddRefEntry(PartialObject* self) {
    return static_cast<ULONG>(++self->references);
  }
  static ULONG STDMETHODCALLTYPE ReleaseEntry(PartialObject* self) {
    return static_cast<ULONG>(--self->references);
  }

  std::vector<const void*> slots_;
  const IID& iid_;
  const IID& also_;
};

}  // namespace zortab_test
