#include "settingsapp/pc_settings.h"

#include "configuration/parent_code_setup.h"
#include "configuration/validation.h"
#include "parentcode/code_guard.h"
#include "parentcode/code_values.h"
#include "base/case_folding.h"
#include "parentcode/more_time_protocol.h"
#include "base/zone_name.h"
#include "settings/settings_loader.h"
#include "settings/time_url.h"

namespace {

// The TimeUrl value of the fields.
std::string TimeUrlOf(const PcForm& form) {
  if (form.timeSource == TimeSource::kNone) return "none";
  if (form.timeSource == TimeSource::kDefault) return "";
  std::string value;
  for (char c : form.addresses) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (!blank) value += c;
    else if (!value.empty() && value.back() != ' ') value += ' ';
  }
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

}  // namespace

PcReading ReadPc(RegistryAccess& registry) {
  PcReading reading;
  if (!registry.OpenKeyReadOnly(kProductKey)) return reading;
  reading.timeZone = FindText(registry, kTimeZoneValue);
  reading.timeUrl = FindText(registry, kTimeUrlValue);
  reading.countLockedSessions = FindNumber(registry, kCountLockedSessionsValue);
  reading.serviceLogoff = FindNumber(registry, kServiceLogoffValue);
  reading.endSession = FindText(registry, kEndSessionValue);
  reading.path = FindText(registry, "Path");
  reading.debug = FindNumber(registry, kDebugValue);
  reading.codeMinutes = FindNumber(registry, kCodeMinutesValue);
  registry.CloseKey();
  return reading;
}

PcForm FormOfPc(const PcReading& reading) {
  PcForm form;
  form.timeZone = reading.timeZone.Usable().value_or("");
  const TimeSources sources = TimeSourcesOf(reading.timeUrl.Usable().value_or(""));
  if (sources.trustClock) {
    form.timeSource = TimeSource::kNone;
  } else if (reading.timeUrl.Usable().value_or("").find_first_not_of(" \t") != std::string::npos) {
    form.timeSource = TimeSource::kAddresses;
    form.addresses = *reading.timeUrl.Usable();
  }
  form.countLocked = reading.countLockedSessions.Usable().value_or(1) != 0;
  form.serviceLogoff = reading.serviceLogoff.Usable().value_or(1) != 0;
  form.endSessionLock = SameText(reading.endSession.Usable().value_or(""), kEndSessionLock);
  form.path = reading.path.Usable().value_or("");
  form.debug = reading.debug.Usable() ? std::to_string(*reading.debug.Usable()) : "2";  // the service's default
  form.codeMinutes = std::to_string(CodeMinutesSetting(std::nullopt, reading.codeMinutes.Usable()));
  return form;
}

PcPlan PlanPc(const PcReading& read, const PcForm& form, const ZoneCheck& isZone, const FolderAccessSource& folders) {
  const PcForm was = FormOfPc(read);
  PcPlan plan;
  const auto refuse = [&](PcField field, const std::string& rule) {
    if (!plan.refusal) plan.refusal = {field, rule};
  };
  if (form.timeZone != was.timeZone) {
    if (!form.timeZone.empty() && (ZoneNameProblem(form.timeZone) || !isZone(form.timeZone)))
      refuse(PcField::kTimeZone, "\"" + form.timeZone + "\" is not a time zone of this computer.");
    plan.strings.emplace_back(kTimeZoneValue, form.timeZone);
  }
  if (form.timeSource != was.timeSource || (form.timeSource == TimeSource::kAddresses && form.addresses != was.addresses)) {
    const std::string value = TimeUrlOf(form);
    if (form.timeSource == TimeSource::kAddresses && value.empty())
      refuse(PcField::kTimeSource, "Type at least one https:// address, or choose another source of the time.");
    else if (const std::optional<std::string> problem = TimeUrlProblem(value))
      refuse(PcField::kTimeSource, *problem + ".");
    plan.strings.emplace_back(kTimeUrlValue, value);
  }
  if (form.countLocked != was.countLocked) plan.numbers.emplace_back(kCountLockedSessionsValue, form.countLocked ? 1 : 0);
  if (form.serviceLogoff != was.serviceLogoff) plan.numbers.emplace_back(kServiceLogoffValue, form.serviceLogoff ? 1 : 0);
  if (form.endSessionLock != was.endSessionLock)
    plan.strings.emplace_back(kEndSessionValue, form.endSessionLock ? kEndSessionLock : kEndSessionLogoff);
  if (form.path != was.path) {
    const std::string path = !form.path.empty() && form.path.back() != '\\' ? form.path + "\\" : form.path;
    const std::vector<std::string> problems = PathProblems(path);
    if (!problems.empty()) refuse(PcField::kPath, "The log folder: " + problems.front() + ".");
    else if (const std::optional<std::string> problem = LogFolderProblem(path, folders))
      refuse(PcField::kPath, "The log folder: " + *problem + ".");
    plan.strings.emplace_back("Path", path);
  }
  if (form.debug != was.debug) {
    const Checked<int> level = DebugLevelOfArgument(form.debug);
    if (!level.value) refuse(PcField::kDebug, "The debug level: " + level.refusal + ".");
    else plan.numbers.emplace_back(kDebugValue, *level.value);
  }
  if (form.codeMinutes != was.codeMinutes) {
    const Checked<int> minutes = CodeMinutesOfArgument(form.codeMinutes);
    if (!minutes.value) refuse(PcField::kCodeMinutes, "The minutes a code gives: " + minutes.refusal + ".");
    else plan.numbers.emplace_back(kCodeMinutesValue, *minutes.value);
  }
  if (plan.refusal) plan.strings.clear(), plan.numbers.clear();
  return plan;
}

std::vector<std::string> ChangedPcValues(const PcReading& before, const PcReading& now) {
  std::vector<std::string> changed;
  if (!before.timeZone.SameAs(now.timeZone)) changed.push_back("the time zone");
  if (!before.timeUrl.SameAs(now.timeUrl)) changed.push_back("the source of the time");
  if (!before.countLockedSessions.SameAs(now.countLockedSessions)) changed.push_back("whether locked time counts");
  if (!before.serviceLogoff.SameAs(now.serviceLogoff) || !before.endSession.SameAs(now.endSession))
    changed.push_back("how sessions are ended");
  if (!before.path.SameAs(now.path)) changed.push_back("the log folder");
  if (!before.debug.SameAs(now.debug)) changed.push_back("the debug level");
  if (!before.codeMinutes.SameAs(now.codeMinutes)) changed.push_back("the minutes a code gives");
  return changed;
}

void WritePc(RegistryAccess& registry, const PcPlan& plan) {
  if (!registry.OpenKey(kProductKey)) throw RegistryError("cannot open the settings of the computer for writing");
  for (const auto& [name, text] : plan.strings) registry.WriteString(name, text);
  for (const auto& [name, number] : plan.numbers) registry.WriteInteger(name, number);
  registry.CloseKey();
}

std::string ServiceStateText(const std::optional<std::string>& answer, const std::string& failure, bool notTheService) {
  if (notTheService) return "The service: another program answers in its place (" + failure + "). Reinstall Hourwarden.";
  const std::optional<ServiceStatus> status = answer ? ParseStatusAnswer(*answer) : std::nullopt;
  if (!status)
    return "The service: not running or not answering (" + (answer ? "\"" + *answer + "\"" : failure) +
           "). No account is limited while it does not run.";
  return "The service: running, version " + status->version + "; " +
         (status->timeConfirmed ? "the time is confirmed."
                                : "the time is not confirmed yet: every limited account is held back until it is.");
}
