#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/account_control.h"

// Records every logon-hours call instead of changing an account; fails for the names given a
// failure text; knows the identifiers of the accounts set in sids. The privilege step answers with a set result and is counted.
class FakeAccountControl : public AccountControl {
 public:
  struct Call {
    std::string userName;
    int unitsPerWeek = 0;
    LogonHours hours{};
  };

  CallResult<> SetLogonHours(const std::string& userName, int unitsPerWeek, const LogonHours& hours) override {
    calls.push_back({userName, unitsPerWeek, hours});
    const auto failure = failures.find(userName);
    if (failure != failures.end()) return CallFailure{failure->second};
    return {};
  }

  std::string AccountSid(const std::string& userName) override {
    const auto sid = sids.find(userName);
    return sid != sids.end() ? sid->second : std::string();
  }

  ShutdownPrivilegeResult EnableShutdownPrivilege() override {
    ++privilegeSteps;
    return privilegeResult;
  }

  // Each call as "blocked NAME" (every byte 0x00), "unblocked NAME" (every byte 0xFF) or "other
  // NAME", in call order.
  std::vector<std::string> Changes() const {
    std::vector<std::string> changes;
    for (const Call& call : calls) {
      bool allZero = true, allOnes = true;
      for (uint8_t byte : call.hours) {
        allZero = allZero && byte == 0x00;
        allOnes = allOnes && byte == 0xFF;
      }
      changes.push_back(std::string(allZero ? "blocked " : allOnes ? "unblocked " : "other ") + call.userName);
    }
    return changes;
  }

  std::vector<Call> calls;
  std::map<std::string, std::string> failures;  // user name -> the failed call and its code
  std::map<std::string, std::string> sids;      // user name -> the account's identifier
  ShutdownPrivilegeResult privilegeResult;
  int privilegeSteps = 0;
};
