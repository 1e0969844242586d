#pragma once

#include <functional>
#include <memory>
#include <string>

#include "census/process_source_win.h"
#include "engine/account_control_win.h"
#include "platform/session_control_win.h"
#include "platform/clock_win.h"
#include "platform/companion_window_win.h"
#include "platform/file_attributes_win.h"
#include "platform/hmac_sha1_win.h"
#include "platform/regional_format_win.h"
#include "platform/time_zones_win.h"
#include "core/service_platform.h"
#include "timesync/time_sync_win.h"

// The Windows implementations of every platform interface the service object uses, owned in one
// place for the life of the process.
class WindowsServicePlatform {
 public:
  // reportException receives the exceptions of the service object's create and destroy handlers
  // and of the timer ticks.
  explicit WindowsServicePlatform(std::function<void(const std::string&)> reportException);
  const ServicePlatform& Platform() const { return platform_; }

 private:
  WindowsClock clock_;
  WindowsRegionalFormat regionalFormat_;
  WindowsFileAttributes fileAttributes_;
  std::unique_ptr<LogFileSystem> logFileSystem_;
  WindowsCompanionWindow companionWindow_;
  std::shared_ptr<WinHttpTimePageFetcher> timePageFetcher_ = std::make_shared<WinHttpTimePageFetcher>();
  WindowsSystemClockSetter systemClockSetter_;
  WindowsTimeZones timeZones_;
  WindowsProcessSource processSource_;
  WindowsAccountControl accountControl_;
  WindowsSessionControl sessionControl_;
  CngHmacSha1 hmac_;
  ServicePlatform platform_;
};
