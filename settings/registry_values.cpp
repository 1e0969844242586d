#include "settings/registry_values.h"

#include <algorithm>

std::string RegistryTypeName(uint32_t type) {
  switch (type) {
    case kRegNone: return "REG_NONE";
    case kRegSz: return "REG_SZ";
    case kRegExpandSz: return "REG_EXPAND_SZ";
    case kRegBinary: return "REG_BINARY";
    case kRegDword: return "REG_DWORD";
    case 5: return "REG_DWORD_BIG_ENDIAN";
    case 6: return "REG_LINK";
    case kRegMultiSz: return "REG_MULTI_SZ";
    case kRegQword: return "REG_QWORD";
    default: return "type " + std::to_string(type);
  }
}

RegistryError ValueError(const std::string& keyPath, const std::string& valueName, const std::string& reason) {
  return RegistryError("Registry value \"" + valueName + "\" of key " + keyPath + ": " + reason);
}

RegistryError KeyError(const std::string& keyPath, const std::string& reason) {
  return RegistryError("Registry key " + keyPath + ": " + reason);
}

std::string TextOfValue(const std::string& keyPath, const std::string& valueName,
                        const std::optional<RegistryValue>& value) {
  if (!value) return {};
  if (value->type != kRegSz && value->type != kRegExpandSz)
    throw ValueError(keyPath, valueName, "holds " + RegistryTypeName(value->type) + " where REG_SZ was expected");
  return value->data.substr(0, value->data.find('\0'));
}

int32_t IntegerOfValue(const std::string& keyPath, const std::string& valueName,
                       const std::optional<RegistryValue>& value) {
  if (!value) throw ValueError(keyPath, valueName, "missing where an integer was expected");
  if (value->type != kRegDword)
    throw ValueError(keyPath, valueName,
                     "holds " + RegistryTypeName(value->type) + " where REG_DWORD was expected");
  if (value->data.size() != 4)
    throw ValueError(keyPath, valueName,
                     "REG_DWORD of " + std::to_string(value->data.size()) + " bytes instead of 4");
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(value->data[static_cast<size_t>(i)]);
  return static_cast<int32_t>(bits);
}

std::vector<std::string> StringsOfValue(const std::string& keyPath, const std::string& valueName,
                                        const std::optional<RegistryValue>& value) {
  if (!value) return {};
  if (value->type != kRegMultiSz)
    throw ValueError(keyPath, valueName, "holds " + RegistryTypeName(value->type) + " where REG_MULTI_SZ was expected");
  std::vector<std::string> strings;
  for (size_t start = 0; start < value->data.size();) {
    const size_t end = std::min(value->data.find('\0', start), value->data.size());
    if (end == start) break;  // the empty string that ends the list
    strings.push_back(value->data.substr(start, end - start));
    start = end + 1;
  }
  return strings;
}

RegistryValue StringValue(const std::string& text) {
  RegistryValue value{kRegSz, text};
  value.data.push_back('\0');
  return value;
}

RegistryValue MultiStringValue(const std::string& keyPath, const std::string& valueName,
                               const std::vector<std::string>& strings) {
  RegistryValue value{kRegMultiSz, {}};
  for (const std::string& text : strings) {
    if (text.empty() || text.find('\0') != std::string::npos)
      throw ValueError(keyPath, valueName, "write refused: an empty string or one holding a NUL ends a REG_MULTI_SZ");
    value.data += text;
    value.data.push_back('\0');
  }
  value.data.push_back('\0');  // the empty string that ends the list, alone for an empty one
  return value;
}

RegistryValue IntegerValue(int32_t number) {
  const auto bits = static_cast<uint32_t>(number);
  RegistryValue value{kRegDword, std::string(4, '\0')};
  for (size_t i = 0; i < 4; ++i) value.data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return value;
}

std::string PathFromRoot(const std::string& path) {
  return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}
