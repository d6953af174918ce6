#include "control/allowed_sites.h"

#include <array>
#include <utility>

#include "allowed_sites_config.h"  // generated from ZORTAB_ALLOWED_SITES
#include "control/page_host.h"

namespace control {
namespace {

constexpr auto MakeShippedTable() {
  std::array<AllowedSite, 2 * kConfiguredSitePatterns.size()> table{};
  for (std::size_t i = 0; i < kConfiguredSitePatterns.size(); ++i) {
    table[2 * i] = {0, u"http", kConfiguredSitePatterns[i]};
    table[2 * i + 1] = {0, u"https", kConfiguredSitePatterns[i]};
  }
  return table;
}

constexpr auto kShippedTable = MakeShippedTable();

bool ZoneMatches(ZoneMarker marker, std::uint32_t zone) {
  switch (marker) {
    case ZoneMarker::kIntranetOrTrusted:
      return zone == kZoneIntranet || zone == kZoneTrusted;
    case ZoneMarker::kLocalMachine:
      return zone == kZoneLocalMachine;
    case ZoneMarker::kTrusted:
      return zone == kZoneTrusted;
  }
  return false;
}

bool DomainMatches(const SiteDomain& entry, std::u16string_view domain, std::uint32_t zone) {
  if (const auto* marker = std::get_if<ZoneMarker>(&entry)) return ZoneMatches(*marker, zone);
  if (const auto* pattern = std::get_if<std::u16string_view>(&entry)) {
    return MatchDomain(*pattern, domain);
  }
  return MatchDomain(std::nullopt, domain);
}

}  // namespace

std::span<const AllowedSite> ShippedAllowedSites() { return kShippedTable; }

bool MatchDomain(std::optional<std::u16string_view> pattern, std::u16string_view domain) {
  if (!pattern) return domain.empty();
  std::u16string_view text = *pattern;
  const bool wildcard = text.size() > 2 && text.starts_with(u"*.");
  const bool exact = !wildcard && text.size() > 1 && text.starts_with(u'=');
  text.remove_prefix(wildcard ? 2 : exact ? 1 : 0);
  if (text.size() > domain.size() || !domain.ends_with(text)) return false;
  if (!wildcard && text.size() == domain.size()) return true;
  return !exact && text.size() < domain.size() && domain[domain.size() - text.size() - 1] == u'.';
}

bool MatchesAllowedSites(std::span<const AllowedSite> table, std::u16string_view scheme,
                         std::u16string_view domain, std::uint32_t zone) {
  for (const AllowedSite& entry : table) {
    if (entry.scheme != scheme || !DomainMatches(entry.domain, domain, zone)) continue;
    return entry.rule == 0;
  }
  return false;
}

std::optional<UrlSplit> SplitUrl(std::u16string_view url, UrlParser& parser) {
  // A part must fit its buffer with the terminating zero, whatever the parser wrote.
  const auto part = [&parser](UrlParser::Part which, std::u16string_view from,
                              std::size_t capacity) -> std::optional<std::u16string> {
    std::optional<std::u16string> text = parser.Parse(which, from, capacity);
    if (text && text->size() >= capacity) text.reset();
    return text;
  };
  const std::optional<std::u16string> canonical =
      part(UrlParser::Part::kCanonical, url, kCanonicalUrlChars);
  if (!canonical) return std::nullopt;
  std::optional<std::u16string> scheme = part(UrlParser::Part::kScheme, *canonical, kSchemeChars);
  if (!scheme) return std::nullopt;
  std::optional<std::u16string> domain = part(UrlParser::Part::kDomain, *canonical, kDomainChars);
  UrlSplit split{std::move(*scheme), {}, domain.has_value()};
  if (domain) split.domain = std::move(*domain);
  return split;
}

bool IsSiteAllowed(std::span<const AllowedSite> table, const std::optional<PageLocation>& page,
                   UrlParser& parser) {
  if (!page) return false;
  const std::optional<UrlSplit> split = SplitUrl(page->url, parser);
  if (!split) return false;
  const std::optional<PageSite> site = MendedPageSite(page->url, *split);
  return site && MatchesAllowedSites(table, site->scheme, site->host, page->zone);
}

}  // namespace control
