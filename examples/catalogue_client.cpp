// A C++ client of the ZorTabbedList control that binds early: it calls the members of
// IZorTabbedList through the vtable declared in the generated ZorTabList.h and takes the
// identifiers from ZorTabList_i.c (compile that file with this one, or link the GUIDs).
//
//   x86_64-w64-mingw32-g++ -std=c++20 -I<dir of ZorTabList.h> catalogue_client.cpp
//       ZorTabList_i.c -lole32 -loleaut32 -luuid -o catalogue_client.exe
//
// Run it where the control is registered. Every check is counted; the last line says
// whether all of them held, and the exit code is 0 only then.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ZorTabList.h"

namespace {

int checks = 0;
int failures = 0;

void Check(bool ok, const char* what) {
  ++checks;
  if (!ok) {
    ++failures;
    std::printf("FAIL %s\n", what);
  }
}

// A BSTR owned for one call.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
  Bstr() = default;
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return value_; }
  BSTR* Out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  std::wstring Text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : L""; }

 private:
  BSTR value_ = nullptr;
};

void Run(IZorTabbedList& tl) {
  Check(tl.AddItemList(Bstr(L"TAB:Tools,TABPIC:27,TEXT:Drives,ID:drv,PIC:7\r\n"
                            L"TAB:Tools,TEXT:Floppy,ID:fd,PARENT:drv,PIC:8,OVERLAY:3\r\n"
                            L"TAB:Tools,TEXT:CD,ID:cd,PARENT:drv,PIC:9,BOLD:1")) == S_OK,
        "AddItemList");
  long count = 0;
  Check(tl.get_ItemCount(&count) == S_OK && count == 3, "ItemCount");
  Check(tl.get_TabCount(&count) == S_OK && count == 1, "TabCount");
  Bstr text;
  Check(tl.get_Text(Bstr(L"cd"), text.Out()) == S_OK && text.Text() == L"CD", "Text");
  Bstr parent;
  Check(tl.get_Parent(Bstr(L"fd"), parent.Out()) == S_OK && parent.Text() == L"drv", "Parent");
  long overlay = 0;
  Check(tl.get_OverlayPic(Bstr(L"fd"), &overlay) == S_OK && overlay == 3, "OverlayPic");
  Check(tl.put_Text(Bstr(L"cd"), Bstr(L"Compact disc")) == S_OK, "put Text");
  Check(tl.get_Text(Bstr(L"cd"), text.Out()) == S_OK && text.Text() == L"Compact disc",
        "Text after the put");
  // An ID that names nothing: a get answers empty text and S_OK.
  Check(tl.get_Text(Bstr(L"nothing"), text.Out()) == S_OK && text.Text().empty(), "unknown ID");
  Check(tl.DeleteAll() == S_OK && tl.get_ItemCount(&count) == S_OK && count == 0, "DeleteAll");
}

}  // namespace

int main() {
  constexpr int kExpectedChecks = 11;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("FAIL CoInitializeEx\n");
    return 1;
  }
  IZorTabbedList* tl = nullptr;
  const HRESULT hr = CoCreateInstance(CLSID_ZorTabbedList, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IZorTabbedList, reinterpret_cast<void**>(&tl));
  Check(hr == S_OK && tl != nullptr, "CoCreateInstance");
  if (tl != nullptr) {
    Run(*tl);
    tl->Release();
  }
  CoUninitialize();
  if (failures == 0 && checks == kExpectedChecks) {
    std::printf("all %d checks passed\n", checks);
    return 0;
  }
  std::printf("FAIL %d of %d checks failed, %d expected\n", failures, checks, kExpectedChecks);
  return 1;
}
