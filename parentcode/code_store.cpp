#include "parentcode/code_store.h"

#include <algorithm>
#include <charconv>

#include "core/service_state.h"
#include "logging/logs.h"
#include "parentcode/base32.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"
#include "settings/value_reads.h"

namespace {

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

int ReadCodeMinutes(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  std::optional<int32_t> user;
  if (registry->OpenKeyReadOnly(UserKeyPath(userName))) {
    user = UserCodeMinutesSetting(ReadIntegerValue(service, *registry, kCodeMinutesValue),
                                  registry->ValueExists(kEarlierLastStepValue));
    registry->CloseKey();
  }
  std::optional<int32_t> product;
  if (!user && registry->OpenKeyReadOnly(kProductKey)) {
    product = ReadIntegerValue(service, *registry, kCodeMinutesValue);
    registry->CloseKey();
  }
  return CodeMinutesSetting(user, product);
}

CodeRecord ReadCodeRecord(ServiceState& service, const std::string& userName) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  CodeRecord record;
  if (!registry->OpenKeyReadOnly(UserKeyPath(userName))) return record;
  const bool earlier = registry->ValueExists(kEarlierLastStepValue);
  record.wrongCodes = ReadIntegerValue(service, *registry, kCodeWrongValue).value_or(0);
  record.minutesGiven = StoredMinutesGiven(ReadIntegerValue(service, *registry, kCodeGivenValue),
                                           earlier ? ReadIntegerValue(service, *registry, kCodeMinutesValue) : std::nullopt,
                                           earlier);
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
    registry->WriteInteger(kCodeGivenValue, record.minutesGiven);
    registry->WriteString(kCodeDateValue, record.givenDate);
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, std::string("ERROR: The parent's code state of ") + userName + " not written: " + error.what());
    registry->CloseKey();
    return false;
  }
  // The earlier version's count now stands in CodeGiven; its CodeMinutes goes before the mark
  // that tells it from the administrator's setting, so no step in between misreads it.
  if (registry->ValueExists(kEarlierLastStepValue) &&
      !(registry->DeleteValue(kCodeMinutesValue) && registry->DeleteValue(kEarlierLastStepValue)))
    WriteLogAt(service, 1, "ERROR: The earlier parent's code values of " + userName + " could not be removed");
  registry->CloseKey();
  return true;
}

int64_t ReadMachineCodeStep(ServiceState& service) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  if (!registry->OpenKeyReadOnly(kParentCodeKey)) return 0;
  const int32_t step = ReadIntegerValue(service, *registry, kLastStepValue).value_or(0);
  registry->CloseKey();
  return step;
}

bool WriteMachineCodeStep(ServiceState& service, int64_t step) {
  const std::unique_ptr<RegistryAccess> registry = OpenServiceRegistry(service);
  // Never made anew here: a key made by the service would not be kept from the users.
  if (!registry->KeyExists(kParentCodeKey) || !registry->OpenKey(kParentCodeKey)) {
    WriteLogAt(service, 1, "ERROR: Not possible to open the parent's code key to keep the step of a code");
    return false;
  }
  try {
    registry->WriteInteger(kLastStepValue, static_cast<int32_t>(step));
  } catch (const RegistryError& error) {
    WriteLogAt(service, 1, std::string("ERROR: The step of the parent's code not written: ") + error.what());
    registry->CloseKey();
    return false;
  }
  registry->CloseKey();
  return true;
}
