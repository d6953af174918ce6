// IObjectSafety: the control declares itself safe for script and for page data only while
// the page that hosts it is on an allowed site (control/allowed_sites.h). The page is asked
// for again on every call; nothing is cached.
#pragma once

#include <objsafe.h>
#include <ocidl.h>
#include <windows.h>

#include <optional>
#include <string_view>

#include "control/allowed_sites.h"
#include "control/com/delegating.h"

namespace control::com {

class ObjectSafetyPart final : public Delegating<IObjectSafety> {
 public:
  using Delegating::Delegating;

  // IObjectSafety
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

 private:
  // The page's URL checked against the shipped table; any failure on the way refuses.
  bool IsSiteAllowed() const;

  SafetyOptions options_;
};

// The URL of the page the control sits in and that URL's security zone, from the client
// site: the browser service's location first, else the URL of the container's HTML
// document; the zone from the site's security manager. None when any of it is missing.
std::optional<PageLocation> GetPageLocation(IOleClientSite* site);

// The parts of `url` as CoInternetParseUrl gives them, unescaped, within the working
// buffers; none when the URL has no canonical form or no scheme.
std::optional<UrlSplit> SplitUrl(std::u16string_view url);

}  // namespace control::com
