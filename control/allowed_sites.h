// Scripting safety: the table of allowed sites, the domain patterns, the walk that decides
// whether the page hosting the control may script it, and the safety options a host sets.
// All of it works on plain values; the COM layer supplies the page location and a URL
// parser over the platform's (control/com/object_safety.h).
//
// Domain patterns (MatchDomain):
//   "d"    plain: d itself and every subdomain of d ("x.d", "y.x.d")
//   "*.d"  wildcard: subdomains of d only
//   "=d"   exact: d only
// Comparison is character for character, case-sensitive, and a match needs a dot boundary:
// "xd" is not under "d". "*." and "=" alone are plain patterns compared literally.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace control {

// IObjectSafety's option bits.
inline constexpr std::uint32_t kSafeForUntrustedCaller = 1;
inline constexpr std::uint32_t kSafeForUntrustedData = 2;
inline constexpr std::uint32_t kSupportedSafetyOptions =
    kSafeForUntrustedCaller | kSafeForUntrustedData;

// Security zones as the platform reports them; higher zones never match a marker.
inline constexpr std::uint32_t kZoneLocalMachine = 0;
inline constexpr std::uint32_t kZoneIntranet = 1;
inline constexpr std::uint32_t kZoneTrusted = 2;

// Working buffers of the URL split, in UTF-16 characters including the terminating zero.
inline constexpr std::size_t kCanonicalUrlChars = 2084;
inline constexpr std::size_t kSchemeChars = 32;
inline constexpr std::size_t kDomainChars = 256;

// An entry's domain: a pattern, a zone marker, or null (the page has no domain).
enum class ZoneMarker { kIntranetOrTrusted, kLocalMachine, kTrusted };
struct NullDomain {};
using SiteDomain = std::variant<std::u16string_view, ZoneMarker, NullDomain>;

struct AllowedSite {
  std::uint32_t rule;  // 0: a matching page is allowed; anything else: refused
  std::u16string_view scheme;
  SiteDomain domain;
};

// The table compiled into the control: every pattern of the build's ZORTAB_ALLOWED_SITES,
// each as an "http" entry followed by an "https" entry, all allowing.
std::span<const AllowedSite> ShippedAllowedSites();

// A null pattern (nullopt) matches only the empty domain.
bool MatchDomain(std::optional<std::u16string_view> pattern, std::u16string_view domain);

// The table walk: the first entry whose scheme equals `scheme` exactly and whose domain
// matches decides; no matching entry refuses.
bool MatchesAllowedSites(std::span<const AllowedSite> table, std::u16string_view scheme,
                         std::u16string_view domain, std::uint32_t zone);

// The platform's URL parser (unescaping as it goes), one part at a time. Answers none when
// the parser fails or the part does not fit `capacity` characters with its terminator.
class UrlParser {
 public:
  enum class Part { kCanonical, kScheme, kDomain };
  virtual ~UrlParser() = default;
  virtual std::optional<std::u16string> Parse(Part part, std::u16string_view url,
                                              std::size_t capacity) = 0;
};

struct UrlSplit {
  std::u16string scheme;
  std::u16string domain;  // empty when the parser gives no domain
  bool has_domain = false;
};

// Canonical form, then its scheme and its domain. No canonical form or no scheme fails; no
// domain (or one too long for its buffer) leaves the domain empty.
std::optional<UrlSplit> SplitUrl(std::u16string_view url, UrlParser& parser);

struct PageLocation {
  std::u16string url;  // as the container gave it
  std::uint32_t zone = 0;
};

// The whole site check: the page's URL split by `parser`, read against the URL as given
// (page_host.h), then the table walk. No page location refuses.
bool IsSiteAllowed(std::span<const AllowedSite> table, const std::optional<PageLocation>& page,
                   UrlParser& parser);

// The options a host has enabled. They take effect only while the page is allowed, and
// change only through a successful Set.
class SafetyOptions {
 public:
  std::uint32_t Enabled(bool site_allowed) const { return site_allowed ? bits_ : 0; }
  std::uint32_t Bits() const { return bits_; }

  // Sets the bits of `mask` to their values in `enabled`. Refuses, changing nothing, a
  // mask with unsupported bits (without asking `site_allowed`) or a page not allowed.
  template <class SiteCheck>
  bool Set(std::uint32_t mask, std::uint32_t enabled, SiteCheck&& site_allowed) {
    if ((mask & ~kSupportedSafetyOptions) != 0) return false;
    if (!site_allowed()) return false;
    bits_ = (bits_ & ~mask) | (enabled & mask);
    return true;
  }

 private:
  std::uint32_t bits_ = 0;
};

}  // namespace control
