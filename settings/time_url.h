#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rules of the TimeUrl value, shared by the service, which fetches it, and the configuration
// tool, which checks it before writing it.

// The optional REG_SZ value of the product key that holds the time pages' addresses: one or more,
// separated by blanks, tried in order until one gives the time; or "none".
inline constexpr char kTimeUrlValue[] = "TimeUrl";
// The TimeUrl that asks no site at all: the computer's clock is taken as it is.
inline constexpr char kTimeUrlNone[] = "none";
// The addresses asked when TimeUrl is absent or empty, in this order: the front pages of three
// sites that home, school and office networks reach (a filter that let none of them through would
// stop most of the web), run by three companies on networks of their own, so one that is down or
// blocked leaves two. Each answers over TLS with a certificate from a root Windows trusts, and
// every answer carries a Date header, a redirection's included.
inline constexpr const char* kDefaultTimeUrls[] = {"https://www.microsoft.com/", "https://www.google.com/",
                                                   "https://www.cloudflare.com/"};

// What the service asks for the time: the addresses, in order, or nobody.
struct TimeSources {
  bool trustClock = false;        // TimeUrl is "none": the computer's clock is confirmed as it is
  std::vector<std::string> urls;  // otherwise the addresses to try, in order
  bool operator==(const TimeSources&) const = default;
};

// The sources a TimeUrl value names: "none" (in any letter case, alone) trusts the clock; else
// the words between blanks (spaces or tabs), in order, each one an address as written; a value
// without a word, the default addresses.
TimeSources TimeSourcesOf(std::string_view value);
// Why the addresses of a TimeUrl value cannot all be fetched: every word ParseTimeUrl refuses, in
// order ("none" among addresses is such a word). Empty for an empty value and for "none".
std::vector<std::string> TimeUrlValueProblems(std::string_view value);
// The words of a TimeUrl value that are plain http:// addresses, which any network can answer.
std::vector<std::string> PlainHttpTimeUrls(std::string_view value);

// The parts of a time page's address.
struct TimeUrlParts {
  bool secure = false;  // https://: fetched with the certificate checked
  std::string host;     // a name or an address; an IPv6 address without its brackets
  int port = 0;
  std::string path;     // with the query, "/" when the address has none
  bool operator==(const TimeUrlParts&) const = default;
};

// An address's parts, or why it has none.
struct ParsedTimeUrl {
  std::optional<TimeUrlParts> parts;
  std::string problem;  // the address quoted, then what is wrong with it
};

// The parts of an http:// or https:// address (the scheme in any letter case): the host, the port
// (80 or 443 when none is given) and the path with its query, a fragment dropped. No parts, and
// the reason, for another scheme, no host, a user name ("user@host"), a port that is not a number
// from 1 to 65535, a blank or a control character.
ParsedTimeUrl ParseTimeUrl(std::string_view url);
