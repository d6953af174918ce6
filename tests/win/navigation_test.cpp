// A click on an item with an Href navigates the page that holds the control, or a named
// frame of the top window, through the container's HTML document. The container here is a
// stand-in: a client site whose container answers IHTMLDocument2, with a parent window, a
// top window and frame windows, each recording what it is asked.
#include <ocidl.h>
#include <windows.h>
//
#include <mshtml.h>

#include <map>
#include <string>
#include <vector>

#include "com_test_support.h"
#include "stand_ins.h"

namespace zortab_test {
namespace {

struct Page;

// A stand-in HTML document or window; a top window's frames are found by name.
struct HtmlObject : PartialObject {
  HtmlObject(const IID& iid, Page& page_in, const wchar_t* name_in)
      : PartialObject(iid), page(&page_in), name(name_in) {}
  Page* page;
  std::wstring name;
  std::map<std::wstring, HtmlObject*> frames;
};

struct Page {
  std::vector<std::wstring> log;  // "page <url>", "frame <name> <url>"
  HtmlObject* parent = nullptr;
  HtmlObject* top = nullptr;
};

std::wstring TextOf(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

template <class Interface>
HRESULT HandOut(HtmlObject* object, Interface** out) {
  if (!out) return E_POINTER;
  *out = object ? object->As<Interface>() : nullptr;
  if (!object) return E_FAIL;
  ++object->references;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE PutUrl(HtmlObject* self, BSTR url) {
  self->page->log.push_back(L"page " + TextOf(url));
  return S_OK;
}
HRESULT STDMETHODCALLTYPE GetParentWindow(HtmlObject* self, IHTMLWindow2** out) {
  return HandOut(self->page->parent, out);
}
HRESULT STDMETHODCALLTYPE GetTop(HtmlObject* self, IHTMLWindow2** out) {
  return HandOut(self->page->top, out);
}
HRESULT STDMETHODCALLTYPE GetFrames(HtmlObject* self, IHTMLFramesCollection2** out) {
  return HandOut(self, out);  // a window is its own frames collection
}
HRESULT STDMETHODCALLTYPE Item(HtmlObject* self, VARIANT* index, VARIANT* result) {
  if (!index || !result || V_VT(index) != VT_BSTR) return E_INVALIDARG;
  const auto found = self->frames.find(TextOf(V_BSTR(index)));
  if (found == self->frames.end()) return E_INVALIDARG;
  V_VT(result) = VT_DISPATCH;
  return HandOut(found->second, &V_DISPATCH(result));
}
HRESULT STDMETHODCALLTYPE Navigate(HtmlObject* self, BSTR url) {
  self->page->log.push_back(L"frame " + self->name + L" " + TextOf(url));
  return S_OK;
}

struct Window : HtmlObject {
  Window(Page& page, const wchar_t* name) : HtmlObject(IID_IHTMLWindow2, page, name) {
    Fill(&IHTMLFramesCollection2::item, &Item);
    Fill(&IHTMLWindow2::get_top, &GetTop);
    Fill(&IHTMLWindow2::get_frames, &GetFrames);
    Fill(&IHTMLWindow2::navigate, &Navigate);
  }
};

// The client site, and its container; the container answers the document when asked to.
class PageSite final : public ClientSiteBase, public IOleContainer {
 public:
  PageSite(HtmlObject* document, bool has_container)
      : document_(document), has_container_(has_container) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleContainer) || IsEqualIID(riid, IID_IParseDisplayName)) {
      *out = static_cast<IOleContainer*>(this);
    } else if (IsEqualIID(riid, IID_IHTMLDocument2) && document_) {
      return document_->Query(riid, out);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }

  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (!container) return E_POINTER;
    if (!has_container_) return ClientSiteBase::GetContainer(container);
    *container = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

  LONG references = 1;

 private:
  HtmlObject* document_;
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
    HtmlObject document(IID_IHTMLDocument2, page, L"document");
    document.Fill(&IHTMLDocument2::put_URL, &PutUrl);
    document.Fill(&IHTMLDocument2::get_parentWindow, &GetParentWindow);
    Window top(page, L"top");
    Window side(page, L"side");
    Window inner(page, L"inner");
    // The control's page is frame "inner", whose own frames hold no "side": only the top
    // window's do.
    top.frames = {{L"side", &side}, {L"inner", &inner}};
    page.parent = &inner;
    page.top = &top;
    PageSite site(c.is_document ? &document : nullptr, c.has_container);
    {
      ComPtr<IZorTabbedList> control = NewControl();
      ASSERT_NE(control, nullptr);
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
    const HtmlObject* const handed[] = {&document, &top, &side, &inner};
    for (const HtmlObject* object : handed) {
      EXPECT_EQ(object->references, 1) << std::string(object->name.begin(), object->name.end());
    }
  }
}

}  // namespace
}  // namespace zortab_test
