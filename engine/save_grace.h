#pragma once

#include <string>

class ServiceState;

// The grace to save one's work: once a day a restricted user in the countdown may ask for a few
// more minutes (GraceMinutes) before the session is signed out or locked. The service keeps the
// date it was given in the user's key ("GraceDate", written before it is granted, so a refused
// write grants nothing), withdraws the request at once and raises no new one, so no backstop
// follows, until the minutes have run. The account stays blocked, and the minutes count as used.
// Kept in memory only: a restart of the service ends a running grace. Runs under the handler lock.

// The stored value of the day the grace was last given, "dd.mm.yyyy".
inline constexpr char kGraceDateValue[] = "GraceDate";
// The most minutes a grace gives, whatever GraceMinutes holds.
inline constexpr int kMaxGraceMinutes = 30;

// The minutes the grace gives now: the setting (0 to kMaxGraceMinutes), unless the date it was
// last given is today's; 0 when it was.
int GraceOffered(int graceMinutes, const std::string& lastGiven, const std::string& today);
// The minutes the grace would give the restricted user now; 0 while the time is not confirmed,
// for a user who is not restricted and once it was given today.
int GraceMinutesFor(ServiceState& service, const std::string& accountName);
// The answer to "grace" from the account: "grace N" when granted, "grace-used" when given today
// or none is set, else why not.
std::string AnswerGraceRequest(ServiceState& service, const std::string& accountName);
// Whether the user's grace runs now.
bool InGrace(const ServiceState& service, const std::string& userName);
