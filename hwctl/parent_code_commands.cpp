#include "hwctl/parent_code_commands.h"

#include <cctype>
#include <optional>

#include "hwctl/reports.h"
#include "parentcode/base32.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "parentcode/qr_code.h"
#include "base/date_time.h"
#include "settings/key_security.h"
#include "settings/settings_loader.h"

namespace {

[[noreturn]] void Refuse(const std::string& what) { throw CommandError("refused: " + what + "; nothing was written"); }

// The text of a value of the open key, nothing when it is absent or not of the type asked.
template <class Read>
auto Quietly(Read read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const RegistryError&) {
    return std::nullopt;
  }
}

bool SecretIsSet(ConfigSession& session) { return ParentCodeIsSetUp(session.registry); }

// The open key's CodeMinutes as the administrator's setting (of an earlier version's user key,
// none), and whether the key holds that version's record.
struct CodeMinutesValue {
  std::optional<int32_t> setting;
  bool earlierRecord = false;
  bool wrongType = false;
};
CodeMinutesValue ReadCodeMinutesValue(RegistryAccess& registry) {
  CodeMinutesValue value;
  value.earlierRecord = registry.ValueExists(kEarlierLastStepValue);
  const std::optional<int32_t> stored = Quietly([&] { return registry.ReadInteger(kCodeMinutesValue); });
  value.wrongType = registry.ValueExists(kCodeMinutesValue) && !stored;
  value.setting = UserCodeMinutesSetting(stored, value.earlierRecord);
  return value;
}

// The product key's CodeMinutes, for every user without one of their own.
std::optional<int32_t> ProductCodeMinutes(ConfigSession& session) {
  if (!session.registry.OpenKeyReadOnly(kProductKey)) return std::nullopt;
  const std::optional<int32_t> value = ReadCodeMinutesValue(session.registry).setting;
  session.registry.CloseKey();
  return value;
}

// The QR code of the address, in the console's block characters.
std::string QrCodeText(const std::string& address, const QrGlyphs& glyphs) {
  const std::optional<QrCode> code = EncodeQrCode(address);
  if (!code) return "(The address is too long for a QR code: type the key below.)\n";
  std::string text;
  for (const std::string& line : RenderQrCode(*code, glyphs)) text += "  " + line + "\n";
  return text;
}

std::string NewCode(ConfigSession& session) {
  const Checked<ParentCodeSetup> setup = SetUpParentCode(session.registry, *session.System().random,
                                                         *session.System().keySecurity, session.System().computerName);
  if (!setup.value) Refuse(setup.refusal);
  const std::string& base32 = setup.value->base32;
  const std::string& address = setup.value->address;
  const bool hadSecret = setup.value->replaced;
  std::string grouped;
  for (size_t i = 0; i < base32.size(); i += 4) {
    if (i > 0) grouped.append(" ");
    grouped.append(base32, i, 4);
  }
  const int minutes = CodeMinutesSetting(std::nullopt, ProductCodeMinutes(session));
  return std::string(hadSecret ? "A new parent's code replaces the old one, which no longer works.\n"
                               : "The parent's code is set up.\n") +
         "Scan this QR code with an authenticator app on your phone:\n\n" +
         QrCodeText(address, session.System().qrGlyphs) + "\nor open this address on the phone,\n\n  " + address +
         "\n\nor type the key by hand as a time-based key (letters and digits, the spaces do not matter):\n\n  " +
         grouped + "\n\n" +
         "The app then shows a six-digit code that changes every 30 seconds. A restricted user types it\n"
         "in \"Ask for more time...\" of the Hourwarden icon; a code gives " +
         std::to_string(minutes) + " minutes (hwctl parent-code minutes [USER] MINUTES),\nat most " +
         std::to_string(kDefaultCodeMaxMinutes) + " minutes a day (hwctl parent-code max USER MINUTES), and each code "
         "works once on this PC.\nKeep this key secret: whoever has it can make codes.\n";
}

std::string CodeOff(ConfigSession& session) {
  if (!SecretIsSet(session)) return "No parent's code was set up.\n";
  if (const std::optional<std::string> failure = TurnParentCodeOff(session.registry))
    throw CommandError(*failure + "; run hwctl as an administrator");
  return "The parent's code is off: no code is accepted any more.\n";
}

std::string SetCodeMinutes(ConfigSession& session, const std::optional<std::string>& name,
                           const std::string& minutesArgument) {
  const Checked<int> minutes = CodeMinutesOfArgument(minutesArgument);
  const std::string whose = name ? " for " + *name : "";
  if (!minutes.value) Refuse("minutes a code gives" + whose + ": " + minutes.refusal);
  if (!name) {
    session.OpenForWriting(kProductKey);
    session.registry.WriteInteger(kCodeMinutesValue, *minutes.value);
    session.registry.CloseKey();
    return "A code now gives " + std::to_string(*minutes.value) + " minutes to every user without a setting of their own.\n";
  }
  const StoredUser user = session.RequireUser(*name);
  session.OpenForWriting(UserKeyPath(user.name));
  RegistryAccess& registry = session.registry;
  if (const std::optional<std::string> failure = WriteUserCodeMinutes(registry, *minutes.value)) {
    registry.CloseKey();
    throw CommandError(*failure + " of " + user.name + "; run hwctl as an administrator");
  }
  registry.CloseKey();
  return "A code now gives " + user.name + " " + std::to_string(*minutes.value) + " minutes.\n";
}

std::string SetCodeMaximum(ConfigSession& session, const std::string& name, const std::string& minutesArgument) {
  const Checked<int> minutes = CodeMaximumOfArgument(minutesArgument);
  if (!minutes.value) Refuse("most minutes a day by code for " + name + ": " + minutes.refusal);
  const StoredUser user = session.RequireUser(name);
  session.OpenForWriting(UserKeyPath(user.name));
  session.registry.WriteInteger(kCodeMaxMinutesValue, *minutes.value);
  session.registry.CloseKey();
  if (*minutes.value == 0) return user.name + " can no longer get time by code.\n";
  return user.name + " may now get at most " + std::to_string(*minutes.value) + " minutes a day by code.\n";
}

// One user's row: what a code gives, the most a day, given today, wrong codes in a row, locked
// out until.
std::vector<std::string> UserRow(ConfigSession& session, const std::string& name,
                                 std::optional<int32_t> productMinutes) {
  if (!session.registry.OpenKeyReadOnly(UserKeyPath(name))) return {name, "?", "?", "?", "?", "?"};
  RegistryAccess& registry = session.registry;
  const auto number = [&](const char* value) { return Quietly([&] { return registry.ReadInteger(value); }); };
  const auto text = [&](const char* value) { return Quietly([&] { return registry.ReadString(value); }); };
  const int maximum = number(kCodeMaxMinutesValue).value_or(kDefaultCodeMaxMinutes);
  const CodeMinutesValue codeMinutes = ReadCodeMinutesValue(registry);
  CodeRecord record;
  record.minutesGiven = StoredMinutesGiven(number(kCodeGivenValue), number(kCodeMinutesValue), codeMinutes.earlierRecord);
  record.givenDate = text(kCodeDateValue).value_or("");
  record.wrongCodes = number(kCodeWrongValue).value_or(0);
  const std::optional<int32_t> lockedUntil = ParseDecimal32(text(kCodeLockedUntilValue).value_or(""));
  registry.CloseKey();
  const std::string today = FormatStoredDate(session.Now());
  std::string locked = "no";
  const int64_t utcNow = UnixSeconds(session.Clocks().UtcNow());
  if (lockedUntil && *lockedUntil > utcNow)
    locked = "until " + FormatTimeOfDay(session.Now() + static_cast<double>(*lockedUntil - utcNow + 59) / 86400.0, ":");
  return {name, std::to_string(CodeMinutesSetting(codeMinutes.setting, productMinutes)), std::to_string(maximum),
          std::to_string(maximum - CodeMinutesLeft(record, maximum, today)), std::to_string(record.wrongCodes), locked};
}

std::string ShowCode(ConfigSession& session) {
  std::string text = ParentCodeStatusLine(session);
  const std::optional<int32_t> productMinutes = ProductCodeMinutes(session);
  std::vector<std::vector<std::string>> rows = {
      {"User", "A code gives", "Most a day", "Given today", "Wrong codes", "Locked out"}};
  for (const StoredUser& user : ReadStoredConfiguration(session.registry).users)
    rows.push_back(UserRow(session, user.name, productMinutes));
  if (rows.size() > 1) text += FormatTable(rows);
  return text;
}

// A CodeMinutes the service would misread (an earlier version's count is none).
void AddCodeMinutesProblem(std::vector<Problem>& problems, const std::string& where, const CodeMinutesValue& value) {
  if (value.earlierRecord) return;
  if (value.wrongType)
    problems.push_back({where, kCodeMinutesValue, "not a REG_DWORD: the service takes it as missing"});
  else if (value.setting && (*value.setting < 1 || *value.setting > kMaxCodeMinutes))
    problems.push_back({where, kCodeMinutesValue,
                        std::to_string(*value.setting) + " is outside 1..1440: the service takes the nearest of them"});
}

}  // namespace

std::string RunParentCodeCommand(ConfigSession& session, const std::vector<std::string>& arguments) {
  const std::string& what = arguments[0];
  if (what == "new" && arguments.size() == 1) return NewCode(session);
  if (what == "off" && arguments.size() == 1) return CodeOff(session);
  if (what == "show" && arguments.size() == 1) return ShowCode(session);
  if (what == "max" && arguments.size() == 3) return SetCodeMaximum(session, arguments[1], arguments[2]);
  if (what == "minutes" && arguments.size() == 2) return SetCodeMinutes(session, std::nullopt, arguments[1]);
  if (what == "minutes" && arguments.size() == 3) return SetCodeMinutes(session, arguments[1], arguments[2]);
  throw CommandError("usage: " + std::string(kParentCodeUsage));
}

std::string ParentCodeStatusLine(ConfigSession& session) {
  return SecretIsSet(session) ? "Parent's code: set up (hwctl parent-code show).\n" : "Parent's code: not set up.\n";
}

std::vector<Problem> FindParentCodeProblems(ConfigSession& session) {
  std::vector<Problem> problems;
  if (SecretIsSet(session)) {
    const CallResult<KeyAccessList> list = session.System().keySecurity->Read(kParentCodeKey);
    if (!list)
      problems.push_back({kProductWhere, "ParentCode", "its access list could not be read (" + list.Failure() + ")"});
    if (const std::optional<std::string> open = list ? KeyOpenToOthers(list.Value()) : std::nullopt)
      problems.push_back({kProductWhere, "ParentCode",
                          *open + ": the secret can be read or replaced, and codes made with it; run hwctl parent-code new"});
    if (session.registry.OpenKeyReadOnly(kParentCodeKey)) {
      const std::optional<std::string> secret = Quietly([&] { return session.registry.ReadString(kSecretValue); });
      session.registry.CloseKey();
      const std::optional<std::string> bytes = secret ? DecodeBase32(*secret) : std::nullopt;
      if (!bytes || bytes->empty())
        problems.push_back({kProductWhere, "ParentCode\\Secret",
                            "not a Base32 text: the service accepts no code (hwctl parent-code new)"});
    }
  }
  if (session.registry.OpenKeyReadOnly(kProductKey)) {
    AddCodeMinutesProblem(problems, kProductWhere, ReadCodeMinutesValue(session.registry));
    session.registry.CloseKey();
  }
  for (const StoredUser& user : ReadStoredConfiguration(session.registry).users) {
    if (!session.registry.OpenKeyReadOnly(UserKeyPath(user.name))) continue;
    AddCodeMinutesProblem(problems, user.name, ReadCodeMinutesValue(session.registry));
    if (session.registry.ValueExists(kCodeMaxMinutesValue)) {
      const std::optional<int32_t> maximum = Quietly([&] { return session.registry.ReadInteger(kCodeMaxMinutesValue); });
      if (!maximum)
        problems.push_back({user.name, kCodeMaxMinutesValue,
                            "not a REG_DWORD: the service takes it as missing, 60 minutes a day by code"});
      else if (*maximum < 0 || *maximum > kMaxCodeMinutes)
        problems.push_back({user.name, kCodeMaxMinutesValue,
                            std::to_string(*maximum) + " is outside 0..1440: the service takes the nearest of them"});
    }
    session.registry.CloseKey();
  }
  return problems;
}
