#pragma once

#include <windows.h>

#include <string>

// What the settings window's files share: its title, the identifiers of its controls (the tests
// of the window find the controls by them), its layout at 96 dots per inch, and the small helpers
// that make and read its controls.

inline constexpr wchar_t kClassName[] = L"HourwardenSettings";
inline constexpr wchar_t kTitle[] = L"Hourwarden Settings";
// Control identifiers; the tests of the window find the controls by them.
inline constexpr int kListId = 100;
inline constexpr int kNoteId = 101;
inline constexpr int kGridId = 102;
inline constexpr int kStatusId = 103;
inline constexpr int kApplyId = 104;
inline constexpr int kTabsId = 105;
inline constexpr int kSummaryId = 106;
inline constexpr int kMoreTimeId = 107;
inline constexpr int kGiveMoreTimeId = 108;
inline constexpr int kChartId = 109;
inline constexpr int kProgramsId = 160;
inline constexpr int kZoneId = 170;
inline constexpr int kSourceDefaultId = 171;
inline constexpr int kSourceAddressesId = 172;
inline constexpr int kSourceNoneId = 173;
inline constexpr int kAddressesId = 174;
inline constexpr int kCountLockedId = 175;
inline constexpr int kServiceLogoffId = 176;
inline constexpr int kEndSessionLockId = 177;
inline constexpr int kPathId = 178;
inline constexpr int kDebugId = 179;
inline constexpr int kServiceStateId = 180;
inline constexpr int kCodeStateId = 190;
inline constexpr int kSetUpCodeId = 191;
inline constexpr int kCodeOffId = 192;
inline constexpr int kQrId = 193;
inline constexpr int kCodeKeyId = 194;
inline constexpr int kCodeMinutesId = 195;
inline constexpr int kAccountCodeMinutesId = 196;
inline constexpr int kAccountCodeMaxId = 197;
inline constexpr int kHoursId = 110;     // + day
inline constexpr int kMinutesId = 120;   // + day
inline constexpr int kNoLimitId = 130;   // + day
// Posted to the window with the service's state (LPARAM: a new std::string).
inline constexpr UINT kServiceStateMessage = WM_APP + 1;
// The layout at 96 dots per inch.
inline constexpr int kMargin = 12;
inline constexpr int kListHeight = 130;
inline constexpr int kNoteHeight = 36;
inline constexpr int kHelpHeight = 20;
inline constexpr int kRowHeight = 24;  // as the grid's rows, so each allowance stands beside its day
inline constexpr int kHeaderHeight = 18;
inline constexpr int kNumberWidth = 34;
inline constexpr int kUnitWidth = 26;
inline constexpr int kNoLimitWidth = 74;
inline constexpr int kButtonWidth = 88;
inline constexpr int kButtonHeight = 26;
inline constexpr int kStatusHeight = 36;
inline constexpr int kTabsHeight = 26;
inline constexpr int kSummaryHeight = 70;
inline constexpr int kMoreTimeButtonWidth = 170;

// Writes the failed call and its code to the debugger's output.
void ReportFailure(const char* call);
// A child control of the class, with its text, style and identifier.
HWND Child(HWND parent, const wchar_t* windowClass, const std::string& text, DWORD style, int id, DWORD exStyle = 0);
std::string TextOf(HWND control);
void SetText(HWND control, const std::string& text);
// The wide (...W) messages of the list: this program is built without UNICODE, so the list's
// macros would send the ANSI ones.
void SetItemText(HWND list, int item, int column, const std::string& text);
// Shows the rule a refused value breaks in a balloon at its field (common controls 6).
void ShowRefusalAt(HWND edit, const std::string& rule);
bool IsChecked(HWND button);
