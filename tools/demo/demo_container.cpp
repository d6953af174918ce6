// The demo container: shows the registered control the way a page loads it. It reads the
// <object> element of a page (its <param> children), hands them to the control through
// IPersistPropertyBag, activates it in place in a window of its own, connects an event sink
// through IConnectionPointContainer, walks through a few gestures with real input (a tab
// click, an item click, a tab click back and an expansion) printing the events, and writes
// a screenshot of the window's client area as a BMP.
//
//   demo_container PAGE.html SHOT.bmp [--hold SECONDS]
//
// With --hold the window stays up that long after the walk (or until it is closed).
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ZorTabList.h"
#include "control/com/com_text.h"

namespace {

using control::com::UniqueBstr;
using control::com::UniqueVariant;
using Microsoft::WRL::ComPtr;

// --- The page: the <param> children of its first <object> element ---------------------------

struct Param {
  std::wstring name;
  std::wstring value;
};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string DecodeEntities(const std::string& text) {
  static const std::pair<const char*, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      const std::string_view name(entity);
      if (text.compare(i, name.size(), name) == 0) {
        out += c;
        i += name.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The value of attribute `name` in the text of one tag (quoted or bare), or none.
std::optional<std::string> Attribute(const std::string& tag, const std::string& name) {
  const std::string lower = LowerAscii(tag);
  for (size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
    const bool starts_word = at > 0 && (lower[at - 1] == ' ' || lower[at - 1] == '\t' ||
                                        lower[at - 1] == '\n' || lower[at - 1] == '\r');
    size_t p = at + name.size();
    while (p < tag.size() && tag[p] == ' ') ++p;
    if (!starts_word || p >= tag.size() || tag[p] != '=') continue;
    ++p;
    while (p < tag.size() && tag[p] == ' ') ++p;
    if (p < tag.size() && (tag[p] == '"' || tag[p] == '\'')) {
      const size_t end = tag.find(tag[p], p + 1);
      if (end == std::string::npos) return std::nullopt;
      return DecodeEntities(tag.substr(p + 1, end - p - 1));
    }
    const size_t end = tag.find_first_of(" \t\r\n>", p);
    return DecodeEntities(tag.substr(p, end == std::string::npos ? end : end - p));
  }
  return std::nullopt;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    (void)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                              n);  // sized by the call above
  }
  return out;
}

std::vector<Param> ObjectParams(std::string html) {
  // Comments hide what they hold.
  for (size_t at = html.find("<!--"); at != std::string::npos; at = html.find("<!--", at)) {
    const size_t end = html.find("-->", at + 4);
    html.erase(at, end == std::string::npos ? std::string::npos : end + 3 - at);
  }
  const std::string lower = LowerAscii(html);
  const size_t object = lower.find("<object");
  if (object == std::string::npos) return {};
  const size_t object_end = lower.find("</object", object);
  std::vector<Param> params;
  for (size_t at = lower.find("<param", object); at < object_end;
       at = lower.find("<param", at + 1)) {
    const size_t end = html.find('>', at);
    if (end == std::string::npos) break;
    const std::string tag = html.substr(at, end - at);
    const auto name = Attribute(tag, "name");
    if (name) params.push_back({Wide(*name), Wide(Attribute(tag, "value").value_or(""))});
  }
  return params;
}

// --- COM objects of the container, living on main's stack ----------------------------------
// Their reference counts only show what the control holds; main outlives every reference.

class StackUnknown {
 protected:
  ULONG AddRefImpl() { return static_cast<ULONG>(++references_); }
  ULONG ReleaseImpl() { return static_cast<ULONG>(--references_); }

 private:
  LONG references_ = 1;
};

// IDispatch for callers that go by DISPID only: no type information, no names.
class DispatchByDispid : public IDispatch {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (n == nullptr) return E_POINTER;
    *n = 0;
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

// The page's parameters as a property bag: every value is text, changed to the type the
// control asks for.
class ParamBag final : public IPropertyBag, StackUnknown {
 public:
  explicit ParamBag(const std::vector<Param>& params) : params_(params) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyBag)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (name == nullptr || value == nullptr) return E_POINTER;
    for (const Param& p : params_) {
      // Parameter names of a page are not case-sensitive.
      if (_wcsicmp(p.name.c_str(), name) != 0) continue;
      UniqueVariant text;
      text->vt = VT_BSTR;
      text->bstrVal = SysAllocStringLen(p.value.data(), static_cast<UINT>(p.value.size()));
      if (text->bstrVal == nullptr) return E_OUTOFMEMORY;
      const VARTYPE wanted = value->vt == VT_EMPTY ? VARTYPE{VT_BSTR} : value->vt;
      VariantInit(value);
      return VariantChangeType(value, text.Get(), 0, wanted);
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

 private:
  const std::vector<Param>& params_;
};

const wchar_t* const kEventNames[] = {L"TabChanged",      L"TreeOpened",         L"TreeClosed",
                                      L"TreeClicked",     L"TreeRClicked",       L"TreeDblClicked",
                                      L"TreeOpening",     L"TreeSelChanged",     L"TreeKeyPress",
                                      L"TreeClosing",     L"TreeSingleExpand",   L"TreeSelChanging",
                                      L"TreeRDblClicked", L"TreeGotFocus",       L"TreeLostFocus",
                                      L"TreeItemDeleted", L"TreeGetToolTipText", L"TreeSortCompare",
                                      L"TabRClicked",     L"TabKeyPress",        L"TabChanging"};
constexpr DISPID kTreeGetToolTipText = 17;

std::wstring Show(VARIANT& arg) {
  UniqueVariant plain;
  if (FAILED(VariantCopyInd(plain.Get(), &arg))) return L"?";
  if (plain->vt == VT_BSTR) {
    return L"\"" + std::wstring(plain->bstrVal ? plain->bstrVal : L"") + L"\"";
  }
  UniqueVariant text;
  if (FAILED(VariantChangeType(text.Get(), plain.Get(), 0, VT_BSTR))) return L"?";
  return text->bstrVal ? text->bstrVal : L"";
}

// Prints every event of the control; answers tip requests with the item's Tag, as the
// sample page's script does.
class EventPrinter final : public DispatchByDispid, StackUnknown {
 public:
  IZorTabbedList* control = nullptr;
  int count = 0;

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, DIID__IZorTabbedListEvents)) {
      return E_NOINTERFACE;
    }
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    ++count;
    std::wstring line = L"  event ";
    line += id >= 1 && id <= 21 ? kEventNames[id - 1] : std::to_wstring(id).c_str();
    line += L"(";
    const UINT n = params ? params->cArgs : 0;
    for (UINT i = 0; i < n; ++i) {
      if (i > 0) line += L", ";
      line += Show(params->rgvarg[n - 1 - i]);  // the array holds the last argument first
    }
    line += L")";
    std::printf("%ls\n", line.c_str());
    std::fflush(stdout);
    if (id == kTreeGetToolTipText && n == 1 && params->rgvarg[0].vt == VT_BSTR && control) {
      UniqueBstr tag;
      if (SUCCEEDED(control->get_Tag(params->rgvarg[0].bstrVal, tag.Out()))) {
        (void)control->put_ToolTipText(tag.Get());  // a tip the control cannot take stays unset
      }
    }
    return S_OK;
  }
};

// The control's site: client site, in-place site and frame of one top-level window, and
// the ambient properties (user mode: the control runs, it is not being designed).
class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleInPlaceFrame,
                   public DispatchByDispid,
                   StackUnknown {
 public:
  HWND frame = nullptr;
  RECT place{};

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow)) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceFrame) ||
               IsEqualIID(riid, IID_IOleInPlaceUIWindow)) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return S_OK; }
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

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = frame;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame_out, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (!frame_out || !document || !position || !clip || !info) return E_POINTER;
    *frame_out = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    *position = place;
    *clip = place;
    info->fMDIApp = FALSE;
    info->hwndFrame = frame;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return S_OK; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
    active = object;
    return S_OK;
  }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDispatch (Invoke): the ambient properties
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET) || result == nullptr || id != DISPID_AMBIENT_USERMODE) {
      return DISP_E_MEMBERNOTFOUND;
    }
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_TRUE;
    return S_OK;
  }

  ComPtr<IOleInPlaceActiveObject> active;
};

// --- The window, input and the screenshot --------------------------------------------------

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// Dispatches messages for `ms` milliseconds, keys offered to the active object first as a
// container's loop does. False once the window was closed.
bool Pump(DWORD ms, IOleInPlaceActiveObject* active) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return false;
      const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
      if (key && active && active->TranslateAccelerator(&msg) == S_OK) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return true;
    (void)MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent,
                                    QS_ALLINPUT);  // woken or not, loop
  }
}

bool ClickAt(POINT screen) {
  if (!SetCursorPos(screen.x, screen.y)) return false;
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return SendInput(2, in, sizeof(INPUT)) == 2;
}

// The first window of class `class_name` below `parent`, at any depth.
HWND FindChild(HWND parent, const char* class_name) {
  if (HWND direct = FindWindowExA(parent, nullptr, class_name, nullptr)) return direct;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (HWND found = FindChild(child, class_name)) return found;
  }
  return nullptr;
}

// The shown node whose label is `text`, searched depth first through expanded nodes.
HTREEITEM FindNode(HWND tree, HTREEITEM first, const std::string& text) {
  for (HTREEITEM node = first; node != nullptr; node = TreeView_GetNextSibling(tree, node)) {
    char label[256] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_STATE;
    item.hItem = node;
    item.pszText = label;
    item.cchTextMax = sizeof label;
    item.stateMask = TVIS_EXPANDED;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
    if (text == label) return node;
    if (item.state & TVIS_EXPANDED) {
      if (HTREEITEM found = FindNode(tree, TreeView_GetChild(tree, node), text)) return found;
    }
  }
  return nullptr;
}

std::optional<RECT> NodeTextRect(HWND tree, const std::string& text) {
  HTREEITEM node = FindNode(tree, TreeView_GetRoot(tree), text);
  RECT r{};
  if (node == nullptr || !TreeView_GetItemRect(tree, node, &r, TRUE)) return std::nullopt;
  return r;
}

POINT ToScreen(HWND window, POINT p) {
  (void)ClientToScreen(window, &p);  // cannot fail for a live window
  return p;
}

// The gestures of the walk; each prints what it does, the events follow.
struct Walk {
  HWND tabs;
  HWND tree;
  IOleInPlaceActiveObject* active;

  bool ClickTab(int index, const char* name) {
    std::printf("walk: click the tab \"%s\"\n", name);
    std::fflush(stdout);
    RECT r{};
    if (!TabCtrl_GetItemRect(tabs, index, &r)) return false;
    const bool ok = ClickAt(ToScreen(tabs, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    return Pump(700, active) && ok;
  }
  bool ClickItem(const std::string& text) {
    std::printf("walk: click the item \"%s\"\n", text.c_str());
    std::fflush(stdout);
    const auto r = NodeTextRect(tree, text);
    if (!r) return false;
    const bool ok = ClickAt(ToScreen(tree, {(r->left + r->right) / 2, (r->top + r->bottom) / 2}));
    return Pump(700, active) && ok;
  }
  // Clicks the node's expand button: found by hit-testing leftwards from its label.
  bool Expand(const std::string& text) {
    std::printf("walk: open \"%s\" with its button\n", text.c_str());
    std::fflush(stdout);
    const auto r = NodeTextRect(tree, text);
    if (!r) return false;
    TVHITTESTINFO hit{};
    hit.pt.y = (r->top + r->bottom) / 2;
    for (hit.pt.x = r->left - 1; hit.pt.x >= 0; --hit.pt.x) {
      (void)TreeView_HitTest(tree, &hit);  // the flags say what lies there
      if (hit.flags & TVHT_ONITEMBUTTON) break;
    }
    if (hit.pt.x < 0) return false;
    const bool ok = ClickAt(ToScreen(tree, hit.pt));
    return Pump(700, active) && ok;
  }
};

// The screen under `window`'s client area (tips included) as a 24-bit bottom-up BMP.
bool SaveScreenshot(HWND window, const std::wstring& path) {
  RECT r{};
  if (!GetClientRect(window, &r)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP canvas =
      memory ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  HGDIOBJ previous = canvas ? SelectObject(memory, canvas) : nullptr;
  const bool copied =
      previous && BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  bool written = false;
  if (copied) {
    const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + row * static_cast<DWORD>(height);
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(row) * height);
    written = out.good();
  }
  if (previous) SelectObject(memory, previous);
  if (canvas) DeleteObject(canvas);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

int Fail(const char* what, HRESULT hr) {
  std::printf("demo: %s failed (0x%08lx)\n", what, static_cast<unsigned long>(hr));
  return 1;
}

int Run(const std::wstring& page_path, const std::wstring& shot_path, DWORD hold_ms) {
  std::ifstream page_file(page_path.c_str(), std::ios::binary);
  const std::string html((std::istreambuf_iterator<char>(page_file)),
                         std::istreambuf_iterator<char>());
  const std::vector<Param> params = ObjectParams(html);
  if (params.empty()) {
    std::printf("demo: no <object> with <param> children in %ls\n", page_path.c_str());
    return 1;
  }
  int records = 0;
  for (const Param& p : params) records += p.name.rfind(L"CL", 0) == 0 ? 1 : 0;
  std::printf("demo: %ls: %zu parameters, %d item records\n", page_path.c_str(), params.size(),
              records);

  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"ZorTabDemoFrame";
  if (!RegisterClassW(&wc)) return Fail("RegisterClass", HRESULT_FROM_WIN32(GetLastError()));
  RECT outer{0, 0, 380, 360};
  (void)AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);  // the plain size otherwise
  Site site;
  site.frame =
      CreateWindowExW(0, wc.lpszClassName, L"ZorTabbedList demo: catalogue.html",
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, outer.right - outer.left,
                      outer.bottom - outer.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (site.frame == nullptr) return Fail("CreateWindow", HRESULT_FROM_WIN32(GetLastError()));
  site.place = {10, 10, 370, 350};
  ShowWindow(site.frame, SW_SHOW);
  UpdateWindow(site.frame);
  (void)SetForegroundWindow(site.frame);  // input goes to the window in front, if any

  ComPtr<IOleObject> object;
  HRESULT hr =
      CoCreateInstance(CLSID_ZorTabbedList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
  if (FAILED(hr)) return Fail("creating the registered control", hr);
  ComPtr<IZorTabbedList> control;
  ComPtr<IPersistPropertyBag> persist;
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  if (FAILED(hr = object.As(&control)) || FAILED(hr = object.As(&persist)) ||
      FAILED(hr = object.As(&points))) {
    return Fail("QueryInterface", hr);
  }
  if (FAILED(hr = object->SetClientSite(&site))) return Fail("SetClientSite", hr);
  ParamBag bag(params);
  if (FAILED(hr = persist->Load(&bag, nullptr))) return Fail("IPersistPropertyBag::Load", hr);
  EventPrinter printer;
  printer.control = control.Get();
  DWORD cookie = 0;
  if (FAILED(hr = points->FindConnectionPoint(DIID__IZorTabbedListEvents, &point)) ||
      FAILED(hr = point->Advise(static_cast<IDispatch*>(&printer), &cookie))) {
    return Fail("connecting the event sink", hr);
  }
  if (FAILED(hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.frame,
                                 &site.place))) {
    return Fail("in-place activation", hr);
  }
  long tabs = 0;
  long items = 0;
  (void)control->get_TabCount(&tabs);    // counts only reported
  (void)control->get_ItemCount(&items);  // counts only reported
  std::printf("demo: the control holds %ld tabs and %ld items\n", tabs, items);
  std::fflush(stdout);

  ComPtr<IOleWindow> ole_window;
  HWND control_window = nullptr;
  if (FAILED(hr = object.As(&ole_window)) || FAILED(hr = ole_window->GetWindow(&control_window))) {
    return Fail("finding the control window", hr);
  }
  Walk walk{FindChild(control_window, "SysTabControl32"),
            FindChild(control_window, "SysTreeView32"), nullptr};
  if (!walk.tabs || !walk.tree) return Fail("finding the tab strip and the tree", E_FAIL);
  (void)Pump(500, nullptr);
  walk.active = site.active.Get();
  const bool walked = walk.ClickTab(1, "Music") && walk.ClickItem("Blue hour") &&
                      walk.ClickTab(0, "Library") && walk.Expand("Reference");
  std::printf("demo: %d events\n", printer.count);
  if (!walked) std::printf("demo: the walk stopped early\n");

  const bool shot = SaveScreenshot(site.frame, shot_path);
  std::printf("demo: screenshot %ls%s\n", shot_path.c_str(), shot ? "" : " could not be written");
  std::fflush(stdout);
  if (hold_ms > 0) {
    std::printf("demo: the window stays for %lu s (close it to end sooner)\n",
                static_cast<unsigned long>(hold_ms / 1000));
    std::fflush(stdout);
    (void)Pump(hold_ms, site.active.Get());  // closing the window ends it early
  }

  (void)point->Unadvise(cookie);         // the sink goes with the program
  (void)object->Close(OLECLOSE_NOSAVE);  // deactivates; nothing to save
  (void)object->SetClientSite(nullptr);  // the site is about to go
  site.active.Reset();
  point.Reset();
  points.Reset();
  persist.Reset();
  control.Reset();
  object.Reset();
  if (IsWindow(site.frame)) DestroyWindow(site.frame);
  return walked && shot ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && !(argc == 5 && std::wstring(argv[3]) == L"--hold")) {
    std::printf("usage: demo_container PAGE.html SHOT.bmp [--hold SECONDS]\n");
    return 2;
  }
  const DWORD hold_ms = argc == 5 ? static_cast<DWORD>(_wtoi(argv[4])) * 1000 : 0;
  if (FAILED(OleInitialize(nullptr))) return Fail("OleInitialize", E_FAIL);
  INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
  (void)InitCommonControlsEx(&init);  // the control registers its classes itself as well
  const int rc = Run(argv[1], argv[2], hold_ms);
  OleUninitialize();
  return rc;
}
