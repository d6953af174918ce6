#include "control/com/object_safety.h"

#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <utility>

#include "control/com/com_text.h"
#include "control/com/control_object.h"
#include "control/com/html_navigator.h"

namespace control::com {
namespace {

using Microsoft::WRL::ComPtr;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text is passed through as it is");

// The browser answers its service under IWebBrowserApp's IID (SID_SWebBrowserApp), and
// the security manager under its own (SID_SInternetSecurityManager).
const GUID& kWebBrowserService = IID_IWebBrowserApp;
const GUID& kSecurityManagerService = IID_IInternetSecurityManager;

// shlwapi's URL_UNESCAPE, which urlmon passes on: the URL is unescaped before it is read.
constexpr DWORD kUrlUnescape = 0x10000000;

std::u16string Utf16(const UniqueBstr& text) {
  const auto* begin = reinterpret_cast<const char16_t*>(text.Get());
  return begin ? std::u16string(begin, text.Length()) : std::u16string();
}

// The page URL: the browser's location when the site offers the browser, else the URL of
// the container's HTML document. No second way is tried when the browser fails.
std::optional<std::u16string> PageUrl(IOleClientSite& site, IServiceProvider& services) {
  UniqueBstr url;
  ComPtr<IWebBrowser2> browser;
  if (SUCCEEDED(services.QueryService(kWebBrowserService, IID_PPV_ARGS(&browser))) && browser) {
    if (FAILED(browser->get_LocationURL(url.Out()))) return std::nullopt;
    return Utf16(url);
  }
  const ComPtr<IHTMLDocument2> document = ContainerDocument(&site);
  if (!document || FAILED(document->get_URL(url.Out()))) return std::nullopt;
  return Utf16(url);
}

class UrlmonParser final : public UrlParser {
 public:
  std::optional<std::u16string> Parse(Part part, std::u16string_view url,
                                      std::size_t capacity) override {
    const PARSEACTION action = part == Part::kCanonical ? PARSE_CANONICALIZE
                               : part == Part::kScheme  ? PARSE_SCHEMA
                                                        : PARSE_DOMAIN;
    const std::u16string input(url);  // terminated for the parser
    std::u16string result(capacity, u'\0');
    DWORD written = 0;
    if (CoInternetParseUrl(reinterpret_cast<LPCWSTR>(input.c_str()), action, kUrlUnescape,
                           reinterpret_cast<LPWSTR>(result.data()), static_cast<DWORD>(capacity),
                           &written, 0) != S_OK) {
      return std::nullopt;
    }
    // Up to the terminator; a result without one fills the buffer and SplitUrl refuses it.
    result.resize(
        static_cast<std::size_t>(std::find(result.begin(), result.end(), u'\0') - result.begin()));
    return result;
  }
};

}  // namespace

std::optional<PageLocation> GetPageLocation(IOleClientSite* site) {
  ComPtr<IServiceProvider> services;
  if (!site || FAILED(site->QueryInterface(IID_PPV_ARGS(&services))) || !services) {
    return std::nullopt;
  }
  std::optional<std::u16string> url = PageUrl(*site, *services.Get());
  if (!url) return std::nullopt;
  ComPtr<IInternetSecurityManager> security;
  DWORD zone = 0;
  if (FAILED(services->QueryService(kSecurityManagerService, IID_PPV_ARGS(&security))) ||
      !security ||
      FAILED(security->MapUrlToZone(reinterpret_cast<LPCWSTR>(url->c_str()), &zone, 0))) {
    return std::nullopt;
  }
  return PageLocation{std::move(*url), zone};
}

std::optional<UrlSplit> SplitUrl(std::u16string_view url) {
  UrlmonParser parser;
  return control::SplitUrl(url, parser);
}

bool ObjectSafetyPart::IsSiteAllowed() const {
  bool allowed = false;
  // Out of memory on the way is a refusal like any other.
  (void)Guarded([&] {
    UrlmonParser parser;
    allowed = control::IsSiteAllowed(ShippedAllowedSites(),
                                     GetPageLocation(object_.Site().ClientSite()), parser);
    return S_OK;
  });
  return allowed;
}

STDMETHODIMP ObjectSafetyPart::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                         DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  ComPtr<IUnknown> asked;
  const HRESULT hr =
      controlling_.QueryInterface(riid, reinterpret_cast<void**>(asked.GetAddressOf()));
  if (FAILED(hr)) {
    *supported = 0;
    *enabled = 0;
    return hr;
  }
  asked.Reset();
  *supported = kSupportedSafetyOptions;
  *enabled = options_.Enabled(IsSiteAllowed());
  return S_OK;
}

STDMETHODIMP ObjectSafetyPart::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  ComPtr<IUnknown> asked;
  if (FAILED(controlling_.QueryInterface(riid, reinterpret_cast<void**>(asked.GetAddressOf())))) {
    return E_NOINTERFACE;
  }
  asked.Reset();
  return options_.Set(mask, enabled, [this] { return IsSiteAllowed(); }) ? S_OK : E_FAIL;
}

}  // namespace control::com
