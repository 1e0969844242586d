#pragma once

#include <optional>
#include <string>
#include <string_view>

// The rules of the TimeUrl value, shared by the service, which fetches it, and the configuration
// tool, which checks it before writing it.

// The optional REG_SZ value of the product key that holds the time page's URL.
inline constexpr char kTimeUrlValue[] = "TimeUrl";
// The URL used when TimeUrl is absent or empty: the one Windows itself asks over plain HTTP to
// learn whether a network reaches the internet (it answers 200 with the text "Microsoft Connect
// Test"), so every network that does lets the request through. It serves no time page: its
// answer's Date header gives the time. An https:// TimeUrl is the hardened setting.
inline constexpr char kDefaultTimeUrl[] = "http://www.msftconnecttest.com/connecttest.txt";

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
