#pragma once

#include <string>

class ServiceState;

// More time by a parent's code: the service's answer to a request from a program of a user's
// session. The account is the one the request came from (the connection's token), never a name in
// the request. Only a restricted user may ask, only while the service's time is confirmed, and only
// with a parent's code set up; a right code gives minutes back as hwctl grant does (today's count
// lowered, never below 0, at most the day's maximum by code), the logoff request is withdrawn and
// the next minute's evaluation frees the user. Runs under the service's handler lock.

// The answer line to the request text from the account.
std::string AnswerMoreTimeRequest(ServiceState& service, const std::string& accountName, const std::string& request);
