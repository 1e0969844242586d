#include "settings/time_url.h"

#include <algorithm>
#include <cctype>

#include "base/case_folding.h"
#include "base/text_helpers.h"

namespace {

ParsedTimeUrl Refused(std::string_view url, const std::string& why) { return {std::nullopt, Quoted(url) + " " + why}; }

std::vector<std::string> Words(std::string_view value) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < value.size()) {
    const size_t end = std::min(value.find_first_of(" \t", start), value.size());
    if (end > start) words.emplace_back(value.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool IsNone(const std::vector<std::string>& words) { return words.size() == 1 && FoldCase(words[0]) == kTimeUrlNone; }

}  // namespace

ParsedTimeUrl ParseTimeUrl(std::string_view url) {
  for (const char c : url)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f) return Refused(url, "holds a space or a control character");
  TimeUrlParts parts;
  const std::string lower = FoldCase(url);
  std::string_view rest = url;
  if (lower.rfind("http://", 0) == 0) {
    rest.remove_prefix(7);
  } else if (lower.rfind("https://", 0) == 0) {
    parts.secure = true;
    rest.remove_prefix(8);
  } else {
    return Refused(url, "is not an http:// or https:// address");
  }
  rest = rest.substr(0, rest.find('#'));
  const size_t pathStart = rest.find_first_of("/?");
  std::string_view authority = rest.substr(0, pathStart);
  std::string path(1, '/');
  if (pathStart != std::string_view::npos) {
    const std::string_view given = rest.substr(pathStart);
    if (given.front() == '?')
      path.append(given);  // a query alone asks the root
    else
      path.assign(given.begin(), given.end());
  }
  parts.path = std::move(path);
  if (authority.find('@') != std::string_view::npos) return Refused(url, "holds a user name, which is never sent");

  std::string_view portText;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return Refused(url, "opens an IPv6 address with [ and does not close it");
    parts.host = std::string(authority.substr(1, close - 1));
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && after.front() != ':') return Refused(url, "has text after its IPv6 address");
    if (!after.empty()) portText = after.substr(1);
    if (after.size() == 1) return Refused(url, "names no port after the colon");
  } else {
    const size_t colon = authority.find(':');
    parts.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) {
      portText = authority.substr(colon + 1);
      if (portText.empty()) return Refused(url, "names no port after the colon");
    }
  }
  if (parts.host.empty()) return Refused(url, "names no host");

  parts.port = parts.secure ? 443 : 80;
  if (!portText.empty()) {
    int port = 0;
    for (const char c : portText) {
      if (c < '0' || c > '9' || port > 65535) return Refused(url, "has a port that is not a number from 1 to 65535");
      port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return Refused(url, "has a port that is not a number from 1 to 65535");
    parts.port = port;
  }
  return {std::move(parts), {}};
}

TimeSources TimeSourcesOf(std::string_view value) {
  TimeSources sources;
  sources.urls = Words(value);
  if (IsNone(sources.urls)) {
    sources.trustClock = true;
    sources.urls.clear();
  } else if (sources.urls.empty()) {
    sources.urls.assign(std::begin(kDefaultTimeUrls), std::end(kDefaultTimeUrls));
  }
  return sources;
}

std::vector<std::string> TimeUrlValueProblems(std::string_view value) {
  const std::vector<std::string> words = Words(value);
  std::vector<std::string> problems;
  if (IsNone(words)) return problems;
  for (const std::string& word : words)
    if (const ParsedTimeUrl parsed = ParseTimeUrl(word); !parsed.parts) problems.push_back(parsed.problem);
  return problems;
}

std::vector<std::string> PlainHttpTimeUrls(std::string_view value) {
  std::vector<std::string> plain;
  for (const std::string& word : Words(value))
    if (const ParsedTimeUrl parsed = ParseTimeUrl(word); parsed.parts && !parsed.parts->secure) plain.push_back(word);
  return plain;
}
