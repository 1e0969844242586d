#include "configuration/parent_code_setup.h"

#include <cctype>

#include "parentcode/base32.h"
#include "parentcode/code_values.h"
#include "settings/stored_formats.h"
#include "settings/value_reads.h"

namespace {

// Percent-encodes everything but the characters an address may hold as they are.
std::string AddressPart(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[u >> 4];
      encoded += kHex[u & 0x0F];
    }
  }
  return encoded;
}

std::string KeyName() {
  std::string name = "HKLM" + std::string(kParentCodeKey);
  name.pop_back();
  return name;
}

Checked<int> WholeMinutes(std::string_view text, int least) {
  const std::optional<int32_t> minutes = ParseDecimal32(std::string(text));
  if (minutes && *minutes >= least && *minutes <= kMaxCodeMinutes) return Checked<int>::Accepted(*minutes);
  std::string rule = "\"";
  rule.append(text);
  rule += "\" is not a whole number from " + std::to_string(least) + " to " + std::to_string(kMaxCodeMinutes);
  return Checked<int>::Refused(rule);
}

}  // namespace

Checked<ParentCodeSetup> SetUpParentCode(RegistryAccess& registry, const RandomSource& random,
                                         const KeySecurity& security, const std::string& computerName) {
  using Result = Checked<ParentCodeSetup>;
  std::string secret(kSecretBytes, '\0');
  if (const CallResult<void> filled = random.Fill(secret); !filled)
    return Result::Refused("no secret could be made (" + filled.Failure() + ")");
  if (const CallResult<void> made = security.MakeAdminOnly(kParentCodeKey); !made)
    return Result::Refused("the key " + KeyName() + " could not be made for the administrators only (" +
                           made.Failure() + ")");
  // The secret goes in only once the key is seen to be kept from everyone else.
  const CallResult<KeyAccessList> list = security.Read(kParentCodeKey);
  if (!list || !list.Value().found)
    return Result::Refused("the access list of " + KeyName() + " could not be read (" +
                           (list ? std::string() : list.Failure()) + ")");
  if (const std::optional<std::string> open = KeyOpenToOthers(list.Value()))
    return Result::Refused("the key " + KeyName() + " is not kept from other users: " + *open);
  if (!registry.OpenKey(kParentCodeKey)) return Result::Refused("cannot open " + KeyName() + " for writing");
  ParentCodeSetup setup;
  setup.base32 = EncodeBase32(secret);
  setup.replaced = registry.ValueExists(kSecretValue);
  registry.WriteString(kSecretValue, setup.base32);
  registry.CloseKey();
  setup.address = AuthenticatorUri(computerName, setup.base32);
  return Result::Accepted(setup);
}

std::optional<std::string> TurnParentCodeOff(RegistryAccess& registry) {
  if (!ParentCodeIsSetUp(registry) || registry.DeleteKey(kParentCodeKey)) return std::nullopt;
  return "cannot delete " + KeyName();
}

bool ParentCodeIsSetUp(RegistryAccess& registry) { return registry.KeyExists(kParentCodeKey); }

std::string AuthenticatorUri(const std::string& computerName, const std::string& base32Secret) {
  return "otpauth://totp/Hourwarden:" + AddressPart(computerName) + "?secret=" + base32Secret + "&issuer=Hourwarden";
}

Checked<int> CodeMinutesOfArgument(std::string_view text) { return WholeMinutes(text, 1); }
Checked<int> CodeMaximumOfArgument(std::string_view text) { return WholeMinutes(text, 0); }

std::optional<std::string> WriteUserCodeMinutes(RegistryAccess& registry, int minutes) {
  if (registry.ValueExists(kEarlierLastStepValue)) {
    if (!registry.ValueExists(kCodeGivenValue))
      registry.WriteInteger(kCodeGivenValue, FindNumber(registry, kCodeMinutesValue).Usable().value_or(0));
    if (!registry.DeleteValue(kEarlierLastStepValue)) return "cannot delete " + std::string(kEarlierLastStepValue);
  }
  registry.WriteInteger(kCodeMinutesValue, minutes);
  return std::nullopt;
}
