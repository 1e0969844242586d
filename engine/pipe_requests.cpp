#include "engine/pipe_requests.h"

#include "engine/more_time_grant.h"
#include "engine/save_grace.h"
#include "engine/user_identity.h"
#include "logging/counted_lines.h"
#include "parentcode/more_time_protocol.h"

namespace {

std::string Refused() { return FormatMoreTimeAnswer({AnswerKind::kRefused, 0, {}}); }

}  // namespace

std::string AnswerClient(ServiceState& service, const ClientRequest& request) {
  const std::string pipe = kMoreTimePipeName;
  switch (request.outcome) {
    case ClientRequest::Outcome::kSilent:
      WriteCountedLine(service, "silent", 1,
                       "ERROR: A client of " + pipe + " sent nothing within " +
                           std::to_string(kRequestWaitMs / 1000) + " s and was dropped");
      return {};
    case ClientRequest::Outcome::kOversized:
      WriteCountedLine(service, "oversized", 1,
                       "ERROR: A request of more than " + std::to_string(kMaxRequestBytes) + " bytes to " + pipe +
                           " was refused");
      return Refused();
    case ClientRequest::Outcome::kRequest:
      break;
  }
  if (request.account.empty()) {
    WriteCountedLine(service, "no-account", 1,
                     "ERROR: " + request.accountFailure + ": a request to " + pipe + " was refused");
    return Refused();
  }
  // The restricted user the client's account is, by its identifier where the name differs.
  const std::string user = RestrictedUserOf(service, request.account, request.sid);
  if (IsStatusRequest(request.text)) return FormatStatusAnswer(StatusFor(service, user));
  if (IsGraceRequest(request.text)) return AnswerGraceRequest(service, user);
  const std::optional<MoreTimeRequest> moreTime = ParseMoreTimeRequest(request.text);
  if (!moreTime) {
    WriteCountedLine(service, "not-understood", 2,
                     "More time asked by " + user + ": refused, the request is not understood (" +
                         std::to_string(request.text.size()) + " bytes)");
    return Refused();
  }
  return AnswerMoreTimeRequest(service, user, *moreTime);
}
