#include "parentcode/code_store.h"

#include <algorithm>
#include <charconv>

#include "core/service_state.h"
#include "logging/logs.h"
#include "parentcode/base32.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"
#include "settings/value_reads.h"

namespace {

constexpr int kMaxCodeMinutes = 1440;

// The number of a plain decimal text within 64 bits; nothing for any other text.
std::optional<int64_t> ParseDecimal64(const std::string& text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::string> ReadParentSecret(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->KeyExists(kParentCodeKey)) return std::nullopt;
  if (!registry->OpenKeyReadOnly(kParentCodeKey)) {
    WriteLogAt(service, 1, "ERROR: The parent's code key cannot be read");
    return std::nullopt;
  }
  const std::optional<std::string> text = ReadTextValue(service, *registry, kSecretValue);
  registry->CloseKey();
  if (!text || text->empty()) return std::nullopt;
  std::optional<std::string> secret = DecodeBase32(*text);
  if (!secret || secret->empty()) {
    WriteLogAt(service, 1, "ERROR: The parent's code secret is no Base32 text; no code is accepted");
    return std::nullopt;
  }
  return secret;
}

int ReadCodeMaxMinutes(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKeyReadOnly(UserKeyPath(userName))) return 0;
  const int32_t stored = ReadIntegerValue(service, *registry, kCodeMaxMinutesValue).value_or(kDefaultCodeMaxMinutes);
  registry->CloseKey();
  return std::clamp<int32_t>(stored, 0, kMaxCodeMinutes);
}

CodeRecord ReadCodeRecord(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  CodeRecord record;
  if (!registry->OpenKeyReadOnly(UserKeyPath(userName))) return record;
  record.wrongCodes = ReadIntegerValue(service, *registry, kCodeWrongValue).value_or(0);
  record.lastStep = ReadIntegerValue(service, *registry, kCodeLastStepValue).value_or(0);
  record.minutesGiven = ReadIntegerValue(service, *registry, kCodeMinutesValue).value_or(0);
  record.givenDate = ReadTextValue(service, *registry, kCodeDateValue).value_or("");
  if (const std::optional<std::string> until = ReadTextValue(service, *registry, kCodeLockedUntilValue);
      until && !until->empty()) {
    if (const std::optional<int64_t> seconds = ParseDecimal64(*until))
      record.lockedUntil = *seconds;
    else
      WriteLogAt(service, 1, "ERROR: " + std::string(kCodeLockedUntilValue) + " of " + userName + " is no number: \"" +
                                 *until + "\"; taken as absent");
  }
  registry->CloseKey();
  return record;
}

bool WriteCodeRecord(ServiceState& service, const std::string& userName, const CodeRecord& record) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKey(UserKeyPath(userName))) {
    WriteLogAt(service, 1, "ERROR: Not possible to open " + UserKeyPath(userName) + " for the parent's code");
    return false;
  }
  try {
    registry->WriteInteger(kCodeWrongValue, record.wrongCodes);
    registry->WriteString(kCodeLockedUntilValue, std::to_string(record.lockedUntil));
    registry->WriteInteger(kCodeLastStepValue, static_cast<int32_t>(record.lastStep));
    registry->WriteInteger(kCodeMinutesValue, record.minutesGiven);
    registry->WriteString(kCodeDateValue, record.givenDate);
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, std::string("ERROR: The parent's code state of ") + userName + " not written: " + error.what());
    registry->CloseKey();
    return false;
  }
  registry->CloseKey();
  return true;
}
