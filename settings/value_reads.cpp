#include "settings/value_reads.h"

#include "core/service_state.h"
#include "logging/logs.h"

namespace {

template <class Found, class Content>
std::optional<Content> UsableOf(const Found& found, const Content& content) {
  if (!found.present || !found.typeError.empty()) return std::nullopt;
  return content;
}

// Fills the found value by the read, or notes the registry's complaint about its type.
template <class Found, class Read>
Found Find(RegistryAccess& registry, const std::string& name, Read read) {
  Found found;
  if (!registry.ValueExists(name)) return found;
  found.present = true;
  try {
    read(found);
  } catch (const RegistryError& error) {
    found.typeError = error.what();
  }
  return found;
}

}  // namespace

std::optional<std::string> StoredText::Usable() const { return UsableOf(*this, text); }
std::optional<int32_t> StoredNumber::Usable() const { return UsableOf(*this, number); }
std::optional<std::vector<std::string>> StoredStrings::Usable() const { return UsableOf(*this, strings); }

StoredText FindText(RegistryAccess& registry, const std::string& name) {
  return Find<StoredText>(registry, name, [&](StoredText& found) { found.text = registry.ReadString(name); });
}

StoredNumber FindNumber(RegistryAccess& registry, const std::string& name) {
  return Find<StoredNumber>(registry, name, [&](StoredNumber& found) { found.number = registry.ReadInteger(name); });
}

StoredStrings FindStrings(RegistryAccess& registry, const std::string& name) {
  return Find<StoredStrings>(registry, name,
                             [&](StoredStrings& found) { found.strings = registry.ReadMultiString(name); });
}

void ReportTypeError(ServiceState& service, const std::string& typeError) {
  if (!typeError.empty()) WriteLogAt(service, 1, "ERROR: " + typeError + "; taken as absent");
}

std::optional<int32_t> ReadIntegerValue(ServiceState& service, RegistryAccess& registry, const std::string& name) {
  const StoredNumber found = FindNumber(registry, name);
  ReportTypeError(service, found.typeError);
  return found.Usable();
}

std::optional<std::string> ReadTextValue(ServiceState& service, RegistryAccess& registry, const std::string& name) {
  const StoredText found = FindText(registry, name);
  ReportTypeError(service, found.typeError);
  return found.Usable();
}

bool StoredText::SameAs(const StoredText& other) const {
  return present == other.present && text == other.text && typeError.empty() == other.typeError.empty();
}

bool StoredNumber::SameAs(const StoredNumber& other) const {
  return present == other.present && number == other.number && typeError.empty() == other.typeError.empty();
}
