// A click on an item with an Href navigates the page that holds the control, or a named
// frame of the top window, through the container's HTML document. The container here is a
// stand-in: a client site whose container answers IHTMLDocument2, with a parent window, a
// top window and frame windows, each recording what it is asked.
#include <ocidl.h>
#include <windows.h>
//
#include <mshtml.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com_test_support.h"

namespace zortab_test {
namespace {

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

struct Page;

// A stand-in for one HTML document or window: a table with only the slots navigation
// uses filled in (the interfaces have well over a hundred members each; any other call
// would crash the test, and so fail it).
struct StandIn {
  const void* const* table = nullptr;  // first: this is what a caller sees as the object
  std::vector<const void*> slots;
  IID iid = {};
  Page* page = nullptr;
  std::wstring name;
  LONG references = 1;
  std::map<std::wstring, StandIn*> frames;  // a top window's frames by name

  template <class Interface>
  Interface* As() {
    return reinterpret_cast<Interface*>(this);
  }
  template <class Member, class Function>
  void Fill(Member member, Function function) {
    const std::size_t slot = SlotOf(member);
    if (slots.size() <= slot) slots.resize(slot + 1, nullptr);
    slots[slot] = reinterpret_cast<const void*>(function);
    table = slots.data();
  }
};

struct Page {
  std::vector<std::wstring> log;  // "page <url>", "frame <name> <url>"
  StandIn* parent = nullptr;
  StandIn* top = nullptr;
};

std::wstring TextOf(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

HRESULT STDMETHODCALLTYPE StandInQueryInterface(StandIn* self, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, self->iid)) return E_NOINTERFACE;
  *out = self;
  ++self->references;
  return S_OK;
}
ULONG STDMETHODCALLTYPE StandInAddRef(StandIn* self) {
  return static_cast<ULONG>(++self->references);
}
ULONG STDMETHODCALLTYPE StandInRelease(StandIn* self) {
  return static_cast<ULONG>(--self->references);
}
HRESULT HandOut(StandIn* object, IHTMLWindow2** out) {
  if (!out) return E_POINTER;
  *out = object ? object->As<IHTMLWindow2>() : nullptr;
  if (!object) return E_FAIL;
  ++object->references;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE PutUrl(StandIn* self, BSTR url) {
  self->page->log.push_back(L"page " + TextOf(url));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GetParentWindow(StandIn* self, IHTMLWindow2** out) {
  return HandOut(self->page->parent, out);
}
HRESULT STDMETHODCALLTYPE GetTop(StandIn* self, IHTMLWindow2** out) {
  return HandOut(self->page->top, out);
}
HRESULT STDMETHODCALLTYPE GetFrames(StandIn* self, IHTMLFramesCollection2** out) {
  // A window is its own frames collection.
  if (!out) return E_POINTER;
  *out = self->As<IHTMLFramesCollection2>();
  ++self->references;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Item(StandIn* self, VARIANT* index, VARIANT* result) {
  if (!index || !result || V_VT(index) != VT_BSTR) return E_INVALIDARG;
  const auto found = self->frames.find(TextOf(V_BSTR(index)));
  if (found == self->frames.end()) return E_INVALIDARG;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = found->second->As<IDispatch>();
  ++found->second->references;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE Navigate(StandIn* self, BSTR url) {
  self->page->log.push_back(L"frame " + self->name + L" " + TextOf(url));
  return S_OK;
}

void FillUnknown(StandIn& object, const IID& iid, Page& page, const wchar_t* name) {
  object.iid = iid;
  object.page = &page;
  object.name = name;
  // IUnknown's three slots are fixed by COM itself.
  object.slots = {reinterpret_cast<const void*>(&StandInQueryInterface),
                  reinterpret_cast<const void*>(&StandInAddRef),
                  reinterpret_cast<const void*>(&StandInRelease)};
  object.table = object.slots.data();
}

void MakeWindow(StandIn& window, Page& page, const wchar_t* name) {
  FillUnknown(window, IID_IHTMLWindow2, page, name);
  window.Fill(&IHTMLFramesCollection2::item, &Item);
  window.Fill(&IHTMLWindow2::get_top, &GetTop);
  window.Fill(&IHTMLWindow2::get_frames, &GetFrames);
  window.Fill(&IHTMLWindow2::navigate, &Navigate);
}

// The client site, and its container; the container answers the document when asked to.
class PageSite final : public IOleClientSite, public IOleContainer {
 public:
  PageSite(StandIn* document, bool has_container)
      : document_(document), has_container_(has_container) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleContainer) || IsEqualIID(riid, IID_IParseDisplayName)) {
      *out = static_cast<IOleContainer*>(this);
    } else if (IsEqualIID(riid, IID_IHTMLDocument2) && document_) {
      return StandInQueryInterface(document_, riid, out);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (!container) return E_POINTER;
    *container = has_container_ ? static_cast<IOleContainer*>(this) : nullptr;
    if (!has_container_) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

  LONG references = 1;

 private:
  StandIn* document_;
  bool has_container_;
};

TEST(Navigation, AClickedItemNavigatesThePageOrANamedFrameOfTheTopWindow) {
  struct Case {
    const char* what;
    bool has_container;
    bool is_document;
    const wchar_t* href;
    const wchar_t* frame;
    std::vector<std::wstring> expected;
  };
  const Case cases[] = {
      {"page",
       true,
       true,
       L"http://example.test/next.htm",
       L"",
       {L"page http://example.test/next.htm"}},
      {"frame of the top window", true, true, L"side.htm", L"side", {L"frame side side.htm"}},
      {"unknown frame", true, true, L"side.htm", L"nowhere", {}},
      {"no container", false, true, L"next.htm", L"", {}},
      {"container without a document", true, false, L"next.htm", L"", {}},
  };
  Apartment apartment;
  ASSERT_TRUE(SUCCEEDED(apartment.Result()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Page page;
    StandIn document;
    StandIn top;
    StandIn side;
    StandIn inner;
    FillUnknown(document, IID_IHTMLDocument2, page, L"document");
    document.Fill(&IHTMLDocument2::put_URL, &PutUrl);
    document.Fill(&IHTMLDocument2::get_parentWindow, &GetParentWindow);
    MakeWindow(top, page, L"top");
    MakeWindow(side, page, L"side");
    MakeWindow(inner, page, L"inner");
    // The control's page is frame "inner", whose own frames hold no "side": only the top
    // window's do.
    top.frames = {{L"side", &side}, {L"inner", &inner}};
    page.parent = &inner;
    page.top = &top;
    PageSite site(c.is_document ? &document : nullptr, c.has_container);
    {
      ComPtr<IZorTabbedList> control;
      ASSERT_EQ(CoCreateInstance(CLSID_ZorTabbedList, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&control)),
                S_OK);
      ComPtr<IOleObject> object;
      ASSERT_EQ(control.As(&object), S_OK);
      ASSERT_EQ(object->SetClientSite(&site), S_OK);
      UniqueBstr id = MakeBstr(L"a");
      ASSERT_EQ(control->AddItem(MakeBstr(L"TAB:Main,TEXT:Alpha,ID:a").Get()), S_OK);
      ASSERT_EQ(control->put_Href(id.Get(), MakeBstr(c.href).Get()), S_OK);
      ASSERT_EQ(control->put_Frame(id.Get(), MakeBstr(c.frame).Get()), S_OK);
      EXPECT_EQ(control->FireClick(id.Get()), S_OK);
      EXPECT_EQ(page.log, c.expected);
      EXPECT_EQ(control->FireDblClick(id.Get()), S_OK);  // never navigates
      EXPECT_EQ(page.log, c.expected);
      ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    }
    // Everything the control was handed it gave back.
    EXPECT_EQ(site.references, 1);
    for (const StandIn* object : {&document, &top, &side, &inner}) {
      EXPECT_EQ(object->references, 1) << std::string(object->name.begin(), object->name.end());
    }
  }
}

}  // namespace
}  // namespace zortab_test
