#include "settingsapp/write_plan.h"

#include "configuration/parent_code_setup.h"
#include "configuration/validation.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "settings/settings_loader.h"

namespace {

// The code's fields as the page shows what was read.
std::string CodeMinutesField(const AccountReading& reading) {
  const std::optional<int32_t> own = UserCodeMinutesSetting(reading.codeMinutes.Usable(), reading.earlierCodeRecord);
  return own ? std::to_string(*own) : "";
}
std::string CodeMaxMinutesField(const AccountReading& reading) {
  return std::to_string(reading.codeMaxMinutes.Usable().value_or(kDefaultCodeMaxMinutes));
}

// What the registry holds after writing the text.
StoredText Written(const std::string& text) { return {true, text, ""}; }

std::string Joined(const std::vector<std::string>& pieces) {
  std::string text;
  for (size_t i = 0; i < pieces.size(); ++i)
    text += (i == 0 ? "" : i + 1 == pieces.size() ? " and " : ", ") + pieces[i];
  return text;
}

void Write(RegistryAccess& registry, const WritePlan& plan) {
  if (plan.deleteKey) {
    if (registry.KeyExists(plan.keyPath) && !registry.DeleteKey(plan.keyPath))
      throw RegistryError("cannot delete the key of " + plan.account +
                          " (it holds subkeys, or this program does not run as an administrator)");
    return;
  }
  if (!registry.OpenKey(plan.keyPath)) throw RegistryError("cannot open the key of " + plan.account + " for writing");
  for (const auto& [name, text] : plan.strings) registry.WriteString(name, text);
  if (plan.codeMaxMinutes) registry.WriteInteger(kCodeMaxMinutesValue, *plan.codeMaxMinutes);
  if (plan.codeMinutes) {
    if (const std::optional<std::string> failure = WriteUserCodeMinutes(registry, *plan.codeMinutes))
      throw RegistryError(*failure + " of " + plan.account);
  }
  registry.CloseKey();
}

}  // namespace

void RaiseReadSettings(RegistryAccess& registry) {
  if (!registry.OpenKey(kProductKey))
    throw RegistryError("cannot open HKLM" + std::string(kProductKey) + " for writing");
  registry.WriteInteger("ReadSettings", 1);
  registry.CloseKey();
}

AccountReading ReadAccount(RegistryAccess& registry, const std::string& account) {
  AccountReading reading;
  if (!registry.OpenKeyReadOnly(UserKeyPath(account))) return reading;
  reading.restricted = true;
  for (int day = 0; day < kDaysInWeek; ++day) reading.days[day] = FindText(registry, DayValueName(day));
  reading.dayLimit = FindText(registry, "DayLimit");
  reading.codeMinutes = FindNumber(registry, kCodeMinutesValue);
  reading.codeMaxMinutes = FindNumber(registry, kCodeMaxMinutesValue);
  reading.earlierCodeRecord = registry.ValueExists(kEarlierLastStepValue);
  registry.CloseKey();
  return reading;
}

std::array<std::string, kDaysInWeek> EffectiveFilters(const AccountReading& reading) {
  std::array<std::string, kDaysInWeek> filters;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const std::optional<std::string> text = reading.days[day].Usable();
    if (!text) break;
    filters[day] = *text;
  }
  return filters;
}

std::vector<std::string> ChangedValues(const AccountReading& before, const AccountReading& now) {
  std::vector<std::string> changed;
  if (before.restricted != now.restricted) return {"whether it is restricted"};
  for (int day = 0; day < kDaysInWeek; ++day)
    if (!before.days[day].SameAs(now.days[day])) changed.push_back(std::string(kWeekdayNames[day]) + "'s periods");
  if (!before.dayLimit.SameAs(now.dayLimit)) changed.push_back("the allowances");
  if (!before.codeMinutes.SameAs(now.codeMinutes) || !before.codeMaxMinutes.SameAs(now.codeMaxMinutes))
    changed.push_back("the minutes of the parent's code");
  return changed;
}

AccountEdit ReadPage(RegistryAccess& registry, const std::string& account) {
  AccountEdit edit;
  edit.account = account;
  edit.read = ReadAccount(registry, account);
  edit.restricted = edit.read.restricted;
  edit.week = WeekGrid(EffectiveFilters(edit.read));
  edit.allowances = AllowanceForm(edit.read.dayLimit.Usable());
  edit.codeMinutes = CodeMinutesField(edit.read);
  edit.codeMaxMinutes = CodeMaxMinutesField(edit.read);
  return edit;
}

WritePlan PlanApply(const AccountEdit& edit) {
  WritePlan plan;
  plan.account = edit.account;
  plan.keyPath = UserKeyPath(edit.account);
  if (!edit.restricted) {
    plan.deleteKey = edit.read.restricted;
    return plan;
  }
  for (int day = 0; day < kDaysInWeek; ++day) {
    const AllowanceCheck check = edit.allowances.Check(day);
    if (!check.minutes) plan.refusals.push_back({day, check.refusal});
  }
  const std::optional<std::string> dayLimit = edit.allowances.DayLimit();
  if (!plan.refusals.empty() || !dayLimit) return plan;
  std::vector<std::pair<std::string, std::string>> strings;
  bool changed = !edit.read.restricted;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const std::string filter = edit.week.Filter(day);
    // Every value passes hwctl's rules, whatever made it.
    if (edit.week.Edited(day))
      for (const std::string& problem : DayFilterProblems(filter)) plan.refusals.push_back({day, problem});
    strings.emplace_back(DayValueName(day), filter);
    changed = changed || !edit.read.days[day].SameAs(Written(filter));
  }
  if (edit.allowances.Changed())
    for (const std::string& problem : DayLimitProblems(*dayLimit)) plan.refusals.push_back({0, problem});
  strings.emplace_back("DayLimit", *dayLimit);
  changed = changed || !edit.read.dayLimit.SameAs(Written(*dayLimit));
  if (edit.codeMinutes != CodeMinutesField(edit.read)) {
    const Checked<int> minutes = CodeMinutesOfArgument(edit.codeMinutes);
    if (edit.codeMinutes.empty())
      plan.refusals.push_back({0, "Type the minutes a code gives this account: once set, it has its own.",
                               AccountField::kCodeMinutes});
    else if (!minutes.value)
      plan.refusals.push_back({0, "The minutes a code gives: " + minutes.refusal + ".", AccountField::kCodeMinutes});
    else
      plan.codeMinutes = minutes.value;
  }
  if (edit.codeMaxMinutes != CodeMaxMinutesField(edit.read)) {
    const Checked<int> minutes = CodeMaximumOfArgument(edit.codeMaxMinutes);
    if (!minutes.value)
      plan.refusals.push_back({0, "The most minutes a day by code: " + minutes.refusal + ".", AccountField::kCodeMaxMinutes});
    else
      plan.codeMaxMinutes = minutes.value;
  }
  if (!plan.refusals.empty()) plan.codeMinutes = plan.codeMaxMinutes = std::nullopt;
  if (changed && plan.refusals.empty()) plan.strings = std::move(strings);
  return plan;
}

ApplyResult ApplyPlans(RegistryAccess& registry, const std::vector<PlannedAccount>& accounts, bool overwrite,
                       const PlannedPc* pc) {
  ApplyResult result;
  if (pc != nullptr && pc->plan.refusal) {
    result.outcome = ApplyResult::Outcome::kRefused;
    result.refusedPcField = pc->plan.refusal->first;
    result.message = "This computer: " + pc->plan.refusal->second + " Nothing was saved.";
    return result;
  }
  for (const PlannedAccount& planned : accounts) {
    if (planned.plan.refusals.empty()) continue;
    const FieldRefusal& first = planned.plan.refusals.front();
    result.outcome = ApplyResult::Outcome::kRefused;
    result.refusedAccount = planned.plan.account;
    result.refusedDay = first.day;
    result.refusedField = first.field;
    result.message = planned.plan.account +
                     (first.field == AccountField::kAllowance ? ", " + std::string(kWeekdayNames[first.day]) : "") +
                     ": " + first.rule + " Nothing was saved.";
    return result;
  }
  if (!overwrite && pc != nullptr && !pc->plan.Empty()) {
    const std::vector<std::string> changed = ChangedPcValues(pc->read, ReadPc(registry));
    if (!changed.empty()) {
      result.outcome = ApplyResult::Outcome::kChangedUnderIt;
      result.message = "Since this window read them, another program changed these settings of this computer: " +
                       Joined(changed) + ". Save yours over them?";
      return result;
    }
  }
  if (!overwrite) {
    for (const PlannedAccount& planned : accounts) {
      if (planned.plan.Empty()) continue;
      const std::vector<std::string> changed = ChangedValues(planned.read, ReadAccount(registry, planned.plan.account));
      if (changed.empty()) continue;
      result.outcome = ApplyResult::Outcome::kChangedUnderIt;
      result.message = "Since this window read them, another program changed these settings of " +
                       planned.plan.account + ": " + Joined(changed) + ". Save yours over them?";
      return result;
    }
  }
  try {
    if (pc != nullptr && !pc->plan.Empty()) {
      WritePc(registry, pc->plan);
      result.pcWritten = true;
    }
    for (const PlannedAccount& planned : accounts) {
      if (planned.plan.Empty()) continue;
      Write(registry, planned.plan);
      result.written.push_back(planned.plan.account);
      if (planned.plan.deleteKey) result.freed.push_back(planned.plan.account);
    }
    if (result.pcWritten || !result.written.empty()) RaiseReadSettings(registry);
  } catch (const RegistryError& error) {
    registry.CloseKey();
    result.outcome = ApplyResult::Outcome::kFailed;
    result.message = std::string("Saving stopped: ") + error.what() + ".";
  }
  return result;
}

std::string GiveLogonHoursBack(AccountControl& accounts, const std::vector<std::string>& freed) {
  LogonHours allHours;
  allHours.fill(0xFF);
  std::string note;
  for (const std::string& account : freed) {
    if (const CallResult<> set = accounts.SetLogonHours(account, kLogonUnitsPerWeek, allHours); !set)
      note += account + " may still be unable to sign in (" + set.Failure() +
              "): give it its hours back with: net user " + account + " /times:all\n";
  }
  return note;
}
