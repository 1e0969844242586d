#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "parentcode/qr_code.h"
#include "platform/local_accounts.h"
#include "platform/random_source.h"
#include "platform/log_file_system.h"
#include "platform/regional_format.h"
#include "platform/request_client.h"
#include "settings/key_security.h"
#include "settings/registry_access.h"
#include "settingsapp/account_list.h"
#include "settingsapp/pc_settings.h"
#include "settingsapp/usage_chart_win.h"
#include "settingsapp/week_grid_win.h"
#include "settingsapp/write_plan.h"

// The settings window: the accounts of the computer, each with a check box that limits or frees
// it, and for the selected one the week grid and the allowance of each day; OK, Apply and Cancel.
// It only draws and forwards: what is shown and written comes from the portable model
// (settingsapp/write_plan.h), read from and written to the registry through RegistryAccess.
// What setting up the parent's code needs: the system's random bytes, the key's access list and
// the computer's name for the phone's app.
struct ParentCodeMaking {
  const RandomSource& random;
  const KeySecurity& security;
  std::string computerName;
};

class SettingsWindow {
 public:
  using RegistryOpener = std::function<std::unique_ptr<RegistryAccess>()>;

  // now: the local date-time in the service's time zone.
  // files and format: to read the service's process log and its times.
  // isZone: whether a name is a time zone of this computer; service: the client of its pipe.
  SettingsWindow(RegistryOpener openRegistry, const LocalAccountSource& accounts, AccountControl& accountControl,
                 LogFileSystem& files, const RegionalFormat& format, std::function<double()> now, ZoneCheck isZone,
                 RequestClient& service, ParentCodeMaking codeMaking, const FolderAccessSource& folders);
  ~SettingsWindow();
  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

  // Creates and shows the window, filled from the registry. False when it cannot be created.
  bool Open(int showCommand);
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  // Gives the controls the font (made for the window's scale) in place of the one they had.
  void UseFont(HFONT font);
  void Layout();
  void FillAccounts();
  // The page of the row, read from the registry the first time it is shown.
  AccountEdit& EditOf(int row);
  void ShowAccount(int row);
  void ShowAllowances();
  // Reads the computer's values and fills its page with them.
  void FillPc();
  // The computer's page as the parent left it.
  PcForm PcFormOfControls() const;
  void EnablePcControls();
  // Asks the service how it is, for the foot of the computer's page, on a thread of its own: the
  // service answers between its minute cycles, and the window must not stand still meanwhile.
  void ShowServiceState();
  // The answer came (a std::string the asking thread made).
  void ServiceStateAnswered(std::string* text);
  // The parent's code: whether one is set up; a new one made and its QR code shown; turned off.
  void ShowCodeState();
  void SetUpCode();
  void TurnCodeOff();
  void DrawQrCode(const DRAWITEMSTRUCT& item) const;
  // The selected account's minutes of the code: shown, and kept as typed.
  void ShowAccountCode();
  void AccountCodeChanged();
  // Shows the page of the tab: 0 the week, 1 today and the last weeks, 2 the computer, 3 the
  // parent's code.
  void ShowPage(int page);
  // Reads the selected account's counts again for today and the chart.
  void ShowToday();
  void GiveMoreTimeToday();
  void AllowanceChanged(int day);
  void RestrictedChanged(int row, bool restricted);
  // Saves every page changed; true when everything was written.
  bool Apply();
  void SetStatus(const std::string& text);

  RegistryOpener openRegistry_;
  const LocalAccountSource& accounts_;
  AccountControl& accountControl_;
  LogFileSystem& files_;
  const RegionalFormat& format_;
  std::function<double()> now_;
  ZoneCheck isZone_;
  const FolderAccessSource& folders_;
  RequestClient& service_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HWND note_ = nullptr;
  HWND status_ = nullptr;
  HWND help_ = nullptr;
  HWND allowanceTitle_ = nullptr;
  HWND hours_[7]{};
  HWND hoursUnit_[7]{};
  HWND minutes_[7]{};
  HWND minutesUnit_[7]{};
  HWND noLimit_[7]{};
  HWND ok_ = nullptr;
  HWND apply_ = nullptr;
  HWND cancel_ = nullptr;
  HWND tabs_ = nullptr;
  HWND summary_ = nullptr;
  HWND moreTimeLabel_ = nullptr;
  HWND moreTime_ = nullptr;
  HWND moreTimeUnit_ = nullptr;
  HWND giveMoreTime_ = nullptr;
  HWND programs_ = nullptr;
  // The computer's page.
  std::vector<HWND> pcLabels_;
  HWND zone_ = nullptr;
  HWND sourceDefault_ = nullptr;
  HWND sourceAddresses_ = nullptr;
  HWND sourceNone_ = nullptr;
  HWND addresses_ = nullptr;
  HWND countLocked_ = nullptr;
  HWND serviceLogoff_ = nullptr;
  HWND endSessionLock_ = nullptr;
  HWND path_ = nullptr;
  HWND debug_ = nullptr;
  HWND serviceState_ = nullptr;
  PcReading pcRead_;
  std::thread statusAsker_;  // joinable while an answer of the service is awaited or not yet shown
  // The parent's code's page.
  ParentCodeMaking codeMaking_;
  HWND codeState_ = nullptr;
  HWND setUpCode_ = nullptr;
  HWND codeOff_ = nullptr;
  HWND qr_ = nullptr;
  HWND codeKey_ = nullptr;
  HWND codeMinutesLabel_ = nullptr;
  HWND codeMinutes_ = nullptr;
  HWND accountCodeLabel_ = nullptr;
  HWND accountCodeMinutes_ = nullptr;
  HWND accountCodeMaxLabel_ = nullptr;
  HWND accountCodeMax_ = nullptr;
  std::optional<QrCode> qrCode_;  // of the code set up in this window
  WeekGridControl grid_;
  UsageChartControl chart_;
  int page_ = 0;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  std::vector<AccountRow> rows_;
  std::map<std::string, AccountEdit> edits_;  // by local name
  int selected_ = -1;
  bool filling_ = false;  // the controls are being filled: their notifications change nothing
};
