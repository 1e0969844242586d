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
  void ShowWarning(const std::string& text, bool offerMoreTime) override {
    warnings.push_back(text);
    warningOffers.push_back(offerMoreTime);
  }
  void ShowLogoffNotice(const std::string& text, bool offerMoreTime, bool offerGrace) override {
    notices.push_back(text);
    noticeOffers.push_back(offerMoreTime);
    graceOffers.push_back(offerGrace);
    noticeShown = true;
  }
  void HideLogoffNotice() override { noticeShown = false; }
  bool CodeBeingTyped() override { return typing; }
  bool LogOff() override {
    ++logoffRequests;
    return logoffSucceeds;
  }
  bool Lock() override {
    ++lockRequests;
    return logoffSucceeds;
  }

  uint64_t nowMs = 1'000'000;
  bool logoffSucceeds = true;
  int logoffRequests = 0;
  int lockRequests = 0;
  bool typing = false;
  std::vector<std::string> tips;
  std::vector<std::string> warnings;
  std::vector<std::string> notices;
  std::vector<bool> warningOffers;  // whether each warning offered "Ask for more time..."
  std::vector<bool> noticeOffers;
  std::vector<bool> graceOffers;  // whether each notice offered "I need to save my work"
  bool noticeShown = false;
};
