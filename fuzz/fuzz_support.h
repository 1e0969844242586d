#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: the check of a property and the cutting of an input into fields.

// Aborts with the property and a detail when the property does not hold, so that the fuzzer keeps
// the input as a crash file.
inline void Require(bool holds, const char* property, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "Property violated: %s\n%.*s\n", property, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

// The fuzzer's bytes as text.
inline std::string_view InputText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The text cut at every separator; with a limit, into at most that many pieces, the last holding
// the rest of the text.
inline std::vector<std::string_view> Split(std::string_view text, char separator, size_t limit = SIZE_MAX) {
  std::vector<std::string_view> pieces;
  while (pieces.size() + 1 < limit) {
    const size_t end = text.find(separator);
    if (end == std::string_view::npos) break;
    pieces.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  pieces.push_back(text);
  return pieces;
}

// Split to exactly `count` fields, the missing ones empty.
inline std::vector<std::string_view> Fields(std::string_view text, char separator, size_t count) {
  std::vector<std::string_view> fields = Split(text, separator, count);
  fields.resize(count);
  return fields;
}
