#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "settings/in_memory_registry.h"
#include "settings/registry_values.h"
#include "settings/settings_loader.h"

// A registry tree built from a fuzzer's text, one value per line, the fields separated by tabs:
//   KEY <tab> NAME <tab> TYPE <tab> DATA
// KEY "@" is the product key; any other KEY is the name of a restricted user's key (the
// restrictions key itself when empty). TYPE is one of
//   sz, expand    REG_SZ, REG_EXPAND_SZ of DATA with its terminating NUL
//   multi         REG_MULTI_SZ of the strings in DATA separated by ';'
//   dword, qword  the decimal number in DATA in four or eight bytes
//   a number      that type with the bytes of DATA ("\xNN" is any byte): a REG_DWORD of any size,
//                 REG_BINARY, REG_NONE, ...
//   rights        the rights the key grants (DATA, decimal; NAME is unused)
// and "long-" before a TYPE repeats DATA to 4,000 characters.

namespace fuzzed_registry {

inline std::string KeyPath(std::string_view key) {
  return key == "@" ? std::string(kProductKey) : UserKeyPath(std::string(key));
}

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// DATA with every "\xNN" made the byte it names.
inline std::string Unescaped(std::string_view data) {
  std::string bytes;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\\' && i + 3 < data.size() && data[i + 1] == 'x' && HexDigit(data[i + 2]) >= 0 &&
        HexDigit(data[i + 3]) >= 0) {
      bytes.push_back(static_cast<char>(HexDigit(data[i + 2]) * 16 + HexDigit(data[i + 3])));
      i += 3;
    } else {
      bytes.push_back(data[i]);
    }
  }
  return bytes;
}

inline std::string LittleEndian(uint64_t number, size_t bytes) {
  std::string data;
  for (size_t i = 0; i < bytes; ++i) data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
  return data;
}

inline uint64_t Number(std::string_view text) { return std::strtoull(std::string(text).c_str(), nullptr, 10); }

// The value a line's TYPE and DATA describe; nothing for an unknown TYPE.
inline std::optional<RegistryValue> Value(std::string_view type, std::string_view data) {
  if (type == "sz" || type == "expand") return RegistryValue{type == "sz" ? kRegSz : kRegExpandSz, std::string(data) + '\0'};
  if (type == "multi") {
    RegistryValue value{kRegMultiSz, {}};
    for (const std::string_view piece : Split(data, ';')) value.data += std::string(piece) + '\0';
    value.data.push_back('\0');
    return value;
  }
  if (type == "dword") return RegistryValue{kRegDword, LittleEndian(Number(data), 4)};
  if (type == "qword") return RegistryValue{kRegQword, LittleEndian(Number(data), 8)};
  if (!type.empty() && type.find_first_not_of("0123456789") == std::string_view::npos)
    return RegistryValue{static_cast<uint32_t>(Number(type)), Unescaped(data)};
  return std::nullopt;
}

// Builds the tree of the text in the registry.
inline void Build(InMemoryRegistry& registry, std::string_view text) {
  constexpr size_t kMaxLines = 256;
  constexpr size_t kLongSize = 4000;
  const std::vector<std::string_view> lines = Split(text, '\n', kMaxLines);
  for (const std::string_view line : lines) {
    const std::vector<std::string_view> fields = Fields(line, '\t', 4);
    const std::string path = KeyPath(fields[0]);
    std::string_view type = fields[2];
    if (type == "rights") {
      registry.SetKeyRightsForTesting(path, static_cast<uint32_t>(Number(fields[3])));
      continue;
    }
    std::string data(fields[3]);
    if (type.substr(0, 5) == "long-") {
      type.remove_prefix(5);
      const std::string unit = data.empty() ? std::string("x") : data;
      while (data.size() < kLongSize) data += unit;
      data.resize(kLongSize);
    }
    if (std::optional<RegistryValue> value = Value(type, data))
      registry.SetValueForTesting(path, std::string(fields[1]), std::move(*value));
  }
}

}  // namespace fuzzed_registry
