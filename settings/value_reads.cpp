#include "settings/value_reads.h"

#include "core/service_state.h"
#include "logging/logs.h"

namespace {

template <class Read>
auto ReadOrReport(ServiceState& service, RegistryAccess& registry, const std::string& name, Read read)
    -> std::optional<decltype(read())> {
  if (!registry.ValueExists(name)) return std::nullopt;
  try {
    return read();
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, std::string("ERROR: ") + error.what() + "; taken as absent");
    return std::nullopt;
  }
}

}  // namespace

std::optional<int32_t> ReadIntegerValue(ServiceState& service, RegistryAccess& registry, const std::string& name) {
  return ReadOrReport(service, registry, name, [&] { return registry.ReadInteger(name); });
}

std::optional<std::string> ReadTextValue(ServiceState& service, RegistryAccess& registry, const std::string& name) {
  return ReadOrReport(service, registry, name, [&] { return registry.ReadString(name); });
}
