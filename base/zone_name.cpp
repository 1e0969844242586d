#include "base/zone_name.h"

std::optional<std::string> ZoneNameProblem(std::string_view name) {
  if (name.empty()) return "a zone name cannot be empty";
  if (name.size() > kMaxZoneKeyLength) return "a zone name has at most 127 characters";
  for (const char c : name) {
    if (c == '\\') return "a zone name holds no backslash";
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
      return "a zone name holds only printable ASCII characters";
  }
  return std::nullopt;
}
