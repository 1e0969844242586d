#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "session/session_desktop.h"

// Records what the session tool shows and asks for; its steady clock moves only when the test
// moves it.
class FakeSessionDesktop : public SessionDesktop {
 public:
  uint64_t SteadyMilliseconds() override { return nowMs; }
  void ShowTrayTip(const std::string& text) override { tips.push_back(text); }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  void ShowLogoffNotice(const std::string& text) override { notices.push_back(text); }
  bool LogOff() override {
    ++logoffRequests;
    return logoffSucceeds;
  }

  uint64_t nowMs = 1'000'000;
  bool logoffSucceeds = true;
  int logoffRequests = 0;
  std::vector<std::string> tips;
  std::vector<std::string> warnings;
  std::vector<std::string> notices;
};
