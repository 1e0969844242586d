#pragma once

#include <string>

#include "parentcode/more_time_protocol.h"

class ServiceState;

// More time by a parent's code: the service's answer to a request from a program of a user's
// session. The account is the one the request came from (the connection's token), never a name in
// the request. Only a restricted user may ask, only while the service's time is confirmed, and only
// with a parent's code set up; a right code gives back the minutes the administrator set for a
// code as hwctl grant does (today's count lowered, never below 0, at most the day's maximum by
// code), the logoff request is withdrawn and the next minute's evaluation frees the user. Each
// code is taken once on the computer, whichever account sends it. Runs under the service's
// handler lock.

// The answer line to the request from the account.
std::string AnswerMoreTimeRequest(ServiceState& service, const std::string& accountName, const MoreTimeRequest& request);
// The answer to "status" for the account: the version, whether the time is confirmed, whether
// and for how many minutes a code would give the account time now (not while it is locked out),
// and the minutes of the grace to save one's work it may still ask for today.
ServiceStatus StatusFor(ServiceState& service, const std::string& accountName);
