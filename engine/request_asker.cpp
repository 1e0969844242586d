#include "engine/request_asker.h"

#include "core/service_state.h"
#include "logging/logs.h"
#include "parentcode/more_time_protocol.h"

RequestAsker CheckRequestAsker(ServiceState& service, const std::string& accountName, const std::string& from) {
  if (!service.TimeSynced) {
    WriteLogAt(service, 2, from + "refused, the time is not confirmed yet");
    return {-1, FormatMoreTimeAnswer({AnswerKind::kTimeNotConfirmed, 0, {}})};
  }
  const int index = service.RestrictedUsers.IndexOf(accountName);
  if (index < 0) {
    WriteLogAt(service, 2, from + "refused, not a restricted user");
    return {-1, FormatMoreTimeAnswer({AnswerKind::kNotRestricted, 0, {}})};
  }
  return {index, {}};
}
