// IObjectSafety of the registered control on stand-in pages: client sites that offer the
// browser service, only an HTML document, both, no services or nothing; the real security
// manager and URL parser; and a table of URLs that try to pass a foreign page off as one on
// an allowed site. Expectations derive from the build's ZORTAB_ALLOWED_SITES, so the test
// holds for any configured list.
#include "control/com/object_safety.h"

#include <exdisp.h>
#include <mshtml.h>
#include <objsafe.h>
#include <servprov.h>
#include <urlmon.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "allowed_sites_config.h"
#include "com_test_support.h"
#include "stand_ins.h"

namespace zortab_test {
namespace {

constexpr DWORD kBoth = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
const std::wstring kForeign = L"evil.invalid";

// --- the client site --------------------------------------------------------------------
// The browser and the document are large interfaces of which the control calls one BSTR
// getter: their stand-ins fill that slot only.
struct UrlGetter : PartialObject {
  template <class Getter>
  UrlGetter(const IID& iid, Getter getter, const IID& also = IID_NULL) : PartialObject(iid, also) {
    Fill(getter, &Get);
  }
  static HRESULT STDMETHODCALLTYPE Get(UrlGetter* self, BSTR* out) {
    *out = FAILED(self->answer) ? nullptr : MakeBstr(self->url).Release();
    return self->answer;
  }
  std::wstring url;
  HRESULT answer = S_OK;
};

// The control's client site, and its service provider when asked to be; its container is
// the document's stand-in.
class StandInSite final : public ClientSiteBase, public IServiceProvider {
 public:
  explicit StandInSite(IInternetSecurityManager* real_security) : security(real_security) {}

  bool services = true;                // answers IServiceProvider
  bool offer_browser = true;           // the browser service
  bool offer_container = true;         // GetContainer succeeds
  IInternetSecurityManager* security;  // the security manager service; null: not offered
  UrlGetter browser{IID_IWebBrowser2, &IWebBrowser2::get_LocationURL};
  // The container, an HTML document unless told otherwise.
  UrlGetter document{IID_IHTMLDocument2, &IHTMLDocument2::get_URL, IID_IOleContainer};

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IServiceProvider) && services) {
      *out = static_cast<IServiceProvider*>(this);
    } else {
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualGUID(service, IID_IWebBrowserApp) && offer_browser) {
      return browser.Query(riid, out);
    }
    if (IsEqualGUID(service, IID_IInternetSecurityManager) && security) {
      return security->QueryInterface(riid, out);
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return offer_container ? document.Query(IID_IOleContainer, reinterpret_cast<void**>(container))
                           : E_NOINTERFACE;
  }
};

// --- what the configured list allows ----------------------------------------------------
std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// The plain meaning of a pattern, as the build's documentation gives it.
bool Describes(const std::wstring& pattern, const std::wstring& host) {
  const auto under = [&](const std::wstring& domain) {
    return host.size() > domain.size() && host.ends_with(L"." + domain);
  };
  if (pattern.starts_with(L"*.")) return under(pattern.substr(2));
  if (pattern.starts_with(L"=")) return host == pattern.substr(1);
  return host == pattern || under(pattern);
}

// Whether the configured list allows a page at `site` ("scheme://host", "scheme:").
bool ConfiguredListAllows(const std::wstring& site) {
  const std::size_t colon = site.find(L':');
  const std::wstring scheme = site.substr(0, colon);
  const std::wstring host = site.substr(std::min(site.size(), colon + 3));
  if (scheme != L"http" && scheme != L"https") return false;
  for (std::u16string_view pattern : control::kConfiguredSitePatterns) {
    if (Describes(Wide(pattern), host)) return true;
  }
  return false;
}

// Hosts on which pages of each configured pattern live: the domain and a subdomain.
std::vector<std::wstring> SampleHosts() {
  std::vector<std::wstring> hosts;
  for (std::u16string_view pattern : control::kConfiguredSitePatterns) {
    std::wstring domain = Wide(pattern);
    if (domain.starts_with(L"*.")) domain.erase(0, 2);
    if (domain.starts_with(L"=")) domain.erase(0, 1);
    hosts.push_back(domain);
    hosts.push_back(L"www." + domain);
  }
  return hosts;
}

class ObjectSafetyTest : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    ASSERT_EQ(CoInternetCreateSecurityManager(nullptr, &security_, 0), S_OK);
    site_.security = security_.Get();
    // The headers give IObjectSafety no __uuidof.
    ASSERT_EQ(control_->QueryInterface(IID_IObjectSafety,
                                       reinterpret_cast<void**>(safety_.GetAddressOf())),
              S_OK);
    ASSERT_EQ(control_.As(&object_), S_OK);
    if (control::kConfiguredSitePatterns.empty()) GTEST_SKIP() << "this build allows no site";
    allowed_host_ = SampleHosts().front();  // the first pattern's own domain or a subdomain
    if (!ConfiguredListAllows(L"http://" + allowed_host_)) allowed_host_ = SampleHosts()[1];
    ASSERT_TRUE(ConfiguredListAllows(L"http://" + allowed_host_));
    ASSERT_FALSE(ConfiguredListAllows(L"http://" + kForeign));
  }
  void TearDown() override {
    if (object_) {
      EXPECT_EQ(object_->SetClientSite(nullptr), S_OK);
    }
  }

  void Sit() { ASSERT_EQ(object_->SetClientSite(&site_), S_OK); }
  // The options enabled for IDispatch; supported is always both.
  DWORD Enabled() {
    DWORD supported = 0;
    DWORD enabled = 7;
    EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, kBoth);
    return enabled;
  }
  HRESULT Set(DWORD mask, DWORD enabled) {
    return safety_->SetInterfaceSafetyOptions(IID_IDispatch, mask, enabled);
  }

  ComPtr<IInternetSecurityManager> security_;
  StandInSite site_{nullptr};  // TearDown takes it from the control
  ComPtr<IObjectSafety> safety_;
  ComPtr<IOleObject> object_;
  std::wstring allowed_host_;
};

TEST_F(ObjectSafetyTest, WithoutASiteNothingIsEnabledNorCanBe) {
  EXPECT_EQ(Enabled(), 0u);
  EXPECT_EQ(Set(INTERFACESAFE_FOR_UNTRUSTED_CALLER, INTERFACESAFE_FOR_UNTRUSTED_CALLER), E_FAIL);
  EXPECT_EQ(Set(0, 0), E_FAIL);
}

TEST_F(ObjectSafetyTest, InterfacesAndPointersAreCheckedFirst) {
  Sit();
  site_.browser.url = L"http://" + allowed_host_ + L"/";
  DWORD supported = 7;
  DWORD enabled = 7;
  const IID unknown_interface = {
      0x1b2c3d4e, 0x5f60, 0x4a7b, {0x8c, 9, 0xa, 0xb, 0xc, 0xd, 0xe, 0xf}};
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(unknown_interface, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(supported, 0u);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(unknown_interface, 1, 1), E_NOINTERFACE);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr), E_POINTER);
  for (const IID* iid : {&IID_IUnknown, &IID_IZorTabbedList, &IID_IPersistPropertyBag}) {
    EXPECT_EQ(safety_->SetInterfaceSafetyOptions(*iid, kBoth, kBoth), S_OK);
    EXPECT_EQ(safety_->GetInterfaceSafetyOptions(*iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, kBoth);
    EXPECT_EQ(enabled, kBoth);
  }
}

TEST_F(ObjectSafetyTest, OptionsFollowThePageTheControlSitsIn) {
  Sit();
  site_.browser.url = L"http://" + allowed_host_ + L"/page.html";
  EXPECT_EQ(Enabled(), 0u);
  EXPECT_EQ(Set(1, 1), S_OK);
  EXPECT_EQ(Enabled(), 1u);
  EXPECT_EQ(Set(1, 0), S_OK);
  EXPECT_EQ(Enabled(), 0u);
  EXPECT_EQ(Set(4, 4), E_FAIL);
  EXPECT_EQ(Set(kBoth, kBoth), S_OK);
  EXPECT_EQ(Enabled(), kBoth);

  site_.browser.url = L"http://" + kForeign + L"/page.html";
  EXPECT_EQ(Enabled(), 0u);
  EXPECT_EQ(Set(1, 0), E_FAIL);
  site_.browser.url = L"https://" + allowed_host_ + L"/";
  EXPECT_EQ(Enabled(), kBoth);  // the bits were kept while the page was foreign
}

TEST_F(ObjectSafetyTest, PageComesFromTheBrowserFirstElseTheDocument) {
  const std::wstring good = L"http://" + allowed_host_ + L"/";
  const std::wstring bad = L"http://" + kForeign + L"/";
  struct Case {
    const char* name;
    bool services, browser, container, document, security;
    HRESULT browser_answer;
    std::wstring browser_url, document_url;
    bool allowed;
  };
  const Case cases[] = {
      {"browser", true, true, true, false, true, S_OK, good, {}, true},
      {"browser on a foreign page", true, true, true, false, true, S_OK, bad, {}, false},
      {"document only", true, false, true, true, true, S_OK, {}, good, true},
      {"document only, foreign", true, false, true, true, true, S_OK, {}, bad, false},
      {"both: the browser decides", true, true, true, true, true, S_OK, good, bad, true},
      {"both: the browser refuses", true, true, true, true, true, S_OK, bad, good, false},
      {"browser fails, no second way", true, true, true, true, true, E_FAIL, good, good, false},
      {"no services", false, true, true, true, true, S_OK, good, good, false},
      {"no security manager", true, true, true, true, false, S_OK, good, good, false},
      {"no container", true, false, false, true, true, S_OK, {}, good, false},
      {"container without document", true, false, true, false, true, S_OK, {}, good, false},
  };
  Sit();
  for (const Case& c : cases) {
    site_.services = c.services;
    site_.offer_browser = c.browser;
    site_.offer_container = c.container;
    site_.document.answers = c.document;
    site_.security = c.security ? security_.Get() : nullptr;
    site_.browser.answer = c.browser_answer;
    site_.browser.url = c.browser_url;
    site_.document.url = c.document_url;
    EXPECT_EQ(Set(kBoth, kBoth), c.allowed ? S_OK : E_FAIL) << c.name;
    EXPECT_EQ(Enabled(), c.allowed ? kBoth : 0u) << c.name;
  }
}

// URLs that try to pass a page off as one on an allowed host H, or that browsers read in
// more than one way. `site` is where the page is as the control must judge it
// ("scheme://host" or "scheme:"; null: refused whatever the list). {H} is H, {HU} H in
// capitals, {H%} H with its first letter percent-encoded, {E} a foreign host, {LONG} a
// 300-letter label, {PATH} a 2,100-letter path, {NUL} a zero character inside the text.
// Those marked * the plain steps (unescape, then take the domain) let through under Wine's
// parser although a browser may connect to another host or to none; they are refused
// because the domain the parser gives after unescaping is not the host the URL names
// before. Hosts in Unicode are refused too (a browser's mapping of them could add dots or
// slashes); their xn-- form is allowed.
struct TrickRow {
  const wchar_t* url;
  const wchar_t* site;
};
const TrickRow kTricks[] = {
    {L"http://{H}/", L"http://{H}"},
    {L"https://{H}/page?q=1#f", L"https://{H}"},
    {L"http://{H}:8080/", L"http://{H}"},
    {L"https://{H}:443/", L"https://{H}"},
    {L"https://user:pw@{H}/", L"https://{H}"},
    {L"http://{E}@{H}/", L"http://{H}"},
    {L"http://{E}:80@{H}/", L"http://{H}"},
    {L"HTTP://{H}/", L"http://{H}"},
    {L"http://{HU}/", L"http://{H}"},
    {L"http://{H}#@{E}/", L"http://{H}"},
    {L"http://{H}/%2F%2F{E}", L"http://{H}"},
    {L"http://{H}/@{E}", L"http://{H}"},
    {L"http://www.{H}/", L"http://www.{H}"},
    {L"http://xn--bcher-kva.{H}/", L"http://xn--bcher-kva.{H}"},
    {L"http://x{H}/", L"http://x{H}"},
    {L"http://{H}.{E}/", L"http://{H}.{E}"},
    {L"http://{E}/", L"http://{E}"},
    {L"http://127.0.0.1/", L"http://127.0.0.1"},
    {L"http://[::1]/", L"http://[::1]"},
    {L"http://xn--llowed-3ve.example/", L"http://xn--llowed-3ve.example"},
    {L"http://{H}@{E}/", L"http://{E}"},
    {L"http://{H}:pw@{E}/", L"http://{E}"},
    {L"http://{H}:80@{E}/", L"http://{E}"},
    {L"http://{E}#@{H}/", L"http://{E}"},
    {L"http://{E}?@{H}/", L"http://{E}"},
    {L"http://{E}/@{H}/", L"http://{E}"},
    {L"ftp://{H}/", L"ftp://{H}"},
    {L"file://{H}/share/page.html", L"file://{H}"},
    {L"file:///C:/{H}/page.html", L"file:"},
    {L"javascript:alert('http://{H}/')", L"javascript:"},
    {L"about:blank", L"about:"},
    {L"about:{H}", L"about:"},
    {L"mk:@MSITStore:\\\\{H}\\share\\help.chm::/page.htm", L"mk:"},
    {L"http://{H}%2F.{E}/", nullptr},    // *
    {L"http://{H}%2f.{E}/", nullptr},    // *
    {L"http://{H}%3F.{E}/", nullptr},    // *
    {L"http://{H}%23.{E}/", nullptr},    // *
    {L"http://{H}%00.{E}/", nullptr},    // *
    {L"http://{E}%40{H}/", nullptr},     // *
    {L"http://evil%2E{H}/", nullptr},    // * a browser that does not unescape asks for one label
    {L"http://{H%}/", nullptr},          // *
    {L"http://{H}{NUL}.{E}/", nullptr},  // * the parser stops at the zero
    {L"ht%74p://{H}/", nullptr},         // *
    {L"http%3A//{H}/", nullptr},         // *
    {L"http://{H}:{E}/", nullptr},       // * no port, no page
    {L"http://{H}%40{E}/", nullptr},
    {L"http://{E}%2F@{H}/", nullptr},
    {L"http://{E}%23@{H}/", nullptr},
    {L"http://{H}%252F.{E}/", nullptr},
    {L"http://{H}%2E/", nullptr},
    {L"http://{H}\\.{E}/", nullptr},  // *
    {L"http://{E}\\.{H}/", nullptr},
    {L"http://{E}\\@{H}/", nullptr},
    {L"http:\\\\{E}\\{H}", nullptr},
    {L"http:\\\\{H}\\", nullptr},  // *
    {L"http://a@b@{H}/", nullptr},
    {L"http:{H}/", nullptr},
    {L"http:/{H}/", nullptr},
    {L"http:///{H}/", nullptr},
    {L"http://", nullptr},
    {L"http://:80/", nullptr},
    {L"http://@/", nullptr},
    {L"http://{LONG}.{H}/", nullptr},
    {L"http://{H}/{PATH}", nullptr},
    {L"http://{H}./", nullptr},  // another name to a server's virtual hosts
    {L"http://{H}\t.{E}/", nullptr},
    {L" http://{H}/", nullptr},
    {L"http://{H}\u3002{E}/", nullptr},
    {L"http://{E}\u3002{H}/", nullptr},
    {L"http://b\u00fccher.{H}/", nullptr},
    {L"http://\u0430{H}/", nullptr},
    {L"javascript://{H}/%0aalert(1)", nullptr},
    {L"res://{H}/page.htm", nullptr},
};

std::wstring Expand(const wchar_t* text, const std::wstring& host) {
  std::wstring upper = host;
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  const wchar_t* hex = L"0123456789ABCDEF";
  const std::wstring first = {L'%', hex[(host[0] >> 4) & 15], hex[host[0] & 15]};
  const std::pair<std::wstring, std::wstring> tokens[] = {{L"{HU}", upper},
                                                          {L"{H%}", first + host.substr(1)},
                                                          {L"{H}", host},
                                                          {L"{E}", kForeign},
                                                          {L"{LONG}", std::wstring(300, L'a')},
                                                          {L"{PATH}", std::wstring(2100, L'p')},
                                                          {L"{NUL}", std::wstring(1, L'\0')}};
  std::wstring out = text;
  for (const auto& [token, value] : tokens) {
    for (std::size_t at = out.find(token); at != std::wstring::npos;
         at = out.find(token, at + value.size())) {
      out.replace(at, token.size(), value);
    }
  }
  return out;
}

TEST_F(ObjectSafetyTest, OnlyPagesOnConfiguredSitesEnableScriptWhateverTheUrlTries) {
  ASSERT_GE(std::size(kTricks), 40u);
  Sit();
  site_.browser.url = L"http://" + allowed_host_ + L"/";
  ASSERT_EQ(Set(kBoth, kBoth), S_OK);
  std::vector<std::string> plain_steps_allow;
  int allowed_pages = 0;
  for (const std::wstring& host : SampleHosts()) {
    for (const TrickRow& row : kTricks) {
      const std::wstring url = Expand(row.url, host);
      const bool expected = row.site && ConfiguredListAllows(Expand(row.site, host));
      site_.browser.url = url;
      EXPECT_EQ(Enabled(), expected ? kBoth : 0u) << testing::PrintToString(url);
      EXPECT_EQ(Set(kBoth, kBoth), expected ? S_OK : E_FAIL) << testing::PrintToString(url);
      allowed_pages += expected;
      // What the steps without the host check decide, for the record.
      const auto split = control::com::SplitUrl(std::u16string(url.begin(), url.end()));
      if (!expected && split &&
          control::MatchesAllowedSites(control::ShippedAllowedSites(), split->scheme, split->domain,
                                       3)) {
        plain_steps_allow.push_back(testing::PrintToString(url));
      }
    }
  }
  EXPECT_GE(allowed_pages, 10);  // the table tries allowed pages too, not only refusals
  std::cout << "refused here, allowed by the plain steps (" << plain_steps_allow.size() << "):\n";
  for (const std::string& url : plain_steps_allow) std::cout << "  " << url << "\n";
}

}  // namespace
}  // namespace zortab_test
