#include "settingsapp/settings_window_win.h"

#include <commctrl.h>

#include "configuration/account_resolution.h"
#include "configuration/validation.h"
#include "base/case_folding.h"
#include "platform/ui_font_win.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "platform/window_class_win.h"
#include "settings/settings_loader.h"
#include "settings/user_values.h"
#include "settingsapp/give_more_time.h"
#include "settingsapp/programs_today.h"
#include "settingsapp/settings_controls_win.h"
#include "settingsapp/usage_today.h"

namespace {

std::string FoldedName(const std::string& name) { return FoldCase(name); }

}  // namespace

SettingsWindow::SettingsWindow(RegistryOpener openRegistry, const LocalAccountSource& accounts,
                               AccountControl& accountControl, LogFileSystem& files, const RegionalFormat& format,
                               std::function<double()> now, ZoneCheck isZone, RequestClient& service,
                               ParentCodeMaking codeMaking, const FolderAccessSource& folders)
    : openRegistry_(std::move(openRegistry)),
      accounts_(accounts),
      accountControl_(accountControl),
      files_(files),
      format_(format),
      now_(std::move(now)),
      isZone_(std::move(isZone)),
      folders_(folders),
      service_(service),
      codeMaking_(std::move(codeMaking)) {}

SettingsWindow::~SettingsWindow() {
  if (statusAsker_.joinable()) statusAsker_.join();
  if (window_ != nullptr) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

bool SettingsWindow::Open(int showCommand) {
  if (!RegisterToolWindowClass(kClassName, &SettingsWindow::WindowProc, COLOR_BTNFACE)) return false;
  dpi_ = WindowDpi(nullptr);
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, kTitle,
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) {
    ReportFailure("CreateWindowExW");
    return false;
  }
  // The scale of the monitor the window opened on, which may not be the system's.
  dpi_ = WindowDpi(window_);
  CreateControls();
  Layout();
  ShowPage(0);
  FillAccounts();
  FillPc();
  ShowWindow(window_, showCommand);
  SetFocus(list_);
  return true;
}

LRESULT CALLBACK SettingsWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<SettingsWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

void SettingsWindow::CreateControls() {
  list_ = Child(window_, WC_LISTVIEWW, "", WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                kListId);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const wchar_t* columns[] = {L"Limited account", L"Full name", L"Microsoft account"};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(columns[i]);
    column.cx = MulDiv(i == 0 ? 170 : 250, dpi_, 96);
    SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  note_ = Child(window_, WC_STATICW, "", SS_LEFT, kNoteId);
  tabs_ = Child(window_, WC_TABCONTROLW, "", WS_TABSTOP | WS_CLIPSIBLINGS, kTabsId);
  const wchar_t* pages[] = {L"The week", L"Today and the last 4 weeks", L"This computer", L"The parent's code"};
  for (int i = 0; i < 4; ++i) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(pages[i]);
    SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
  }
  summary_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kSummaryId);
  chart_.Create(window_, kChartId);
  chart_.SetDpi(dpi_);
  moreTimeLabel_ = Child(window_, WC_STATICW, "More time today for this account:", SS_LEFT, -1);
  moreTime_ = Child(window_, WC_EDITW, "15", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kMoreTimeId);
  SendMessageW(moreTime_, EM_SETLIMITTEXT, 4, 0);
  moreTimeUnit_ = Child(window_, WC_STATICW, "min", SS_LEFT, -1);
  giveMoreTime_ = Child(window_, WC_BUTTONW, "&Give more time today", WS_TABSTOP | BS_PUSHBUTTON, kGiveMoreTimeId);
  programs_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kProgramsId);
  help_ = Child(window_, WC_STATICW,
                "Red quarter hours: the account may not be used. Click and drag to paint them, drag from a red one to "
                "erase; arrows and space do the same.",
                SS_LEFT | SS_NOPREFIX, -1);
  grid_.Create(window_, kGridId, 0, 0, 10, 10);
  grid_.SetDpi(dpi_);
  allowanceTitle_ = Child(window_, WC_STATICW, "Allowance a day", SS_LEFT, -1);
  for (int day = 0; day < kDaysInWeek; ++day) {
    hours_[day] = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kHoursId + day);
    hoursUnit_[day] = Child(window_, WC_STATICW, "h", SS_LEFT, -1);
    minutes_[day] = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kMinutesId + day);
    minutesUnit_[day] = Child(window_, WC_STATICW, "min", SS_LEFT, -1);
    noLimit_[day] = Child(window_, WC_BUTTONW, "no limit", WS_TABSTOP | BS_AUTOCHECKBOX, kNoLimitId + day);
    SendMessageW(hours_[day], EM_SETLIMITTEXT, 2, 0);
    SendMessageW(minutes_[day], EM_SETLIMITTEXT, 2, 0);
  }
  const auto label = [&](const std::string& text) {
    pcLabels_.push_back(Child(window_, WC_STATICW, text, SS_LEFT, -1));
  };
  label("&Time zone of the days (its name as tzutil /l lists it; empty: the computer's zone, which users may change):");
  zone_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kZoneId);
  label("The service takes the time from:");
  sourceDefault_ = Child(window_, WC_BUTTONW, "its built-in https:// time pages (Microsoft, Google, Cloudflare)",
                         WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, kSourceDefaultId);
  sourceAddresses_ = Child(window_, WC_BUTTONW, "these addresses, asked in order:", BS_AUTORADIOBUTTON, kSourceAddressesId);
  sourceNone_ = Child(window_, WC_BUTTONW, "the computer's clock, trusted as it is", BS_AUTORADIOBUTTON, kSourceNoneId);
  addresses_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, kAddressesId);
  countLocked_ = Child(window_, WC_BUTTONW, "Count the minutes while the screen is &locked",
                       WS_TABSTOP | BS_AUTOCHECKBOX, kCountLockedId);
  serviceLogoff_ = Child(window_, WC_BUTTONW, "The service ends the sessions of a user who stays on past the time",
                         WS_TABSTOP | BS_AUTOCHECKBOX, kServiceLogoffId);
  endSessionLock_ = Child(window_, WC_BUTTONW, "When the time is up, lock the session instead of signing out",
                          WS_TABSTOP | BS_AUTOCHECKBOX, kEndSessionLockId);
  label("Log &folder:");
  path_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kPathId);
  label("&Debug level (0 silent to 4 everything):");
  debug_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kDebugId);
  SendMessageW(debug_, EM_SETLIMITTEXT, 1, 0);
  serviceState_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kServiceStateId);
  qr_ = Child(window_, WC_STATICW, "", SS_OWNERDRAW, kQrId);
  codeState_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kCodeStateId);
  setUpCode_ = Child(window_, WC_BUTTONW, "&Set up a new code", WS_TABSTOP | BS_PUSHBUTTON, kSetUpCodeId);
  codeOff_ = Child(window_, WC_BUTTONW, "T&urn the code off", WS_TABSTOP | BS_PUSHBUTTON, kCodeOffId);
  codeKey_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kCodeKeyId);
  codeMinutesLabel_ = Child(window_, WC_STATICW, "A code &gives (minutes, for every account):", SS_LEFT, -1);
  codeMinutes_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kCodeMinutesId);
  SendMessageW(codeMinutes_, EM_SETLIMITTEXT, 4, 0);
  accountCodeLabel_ = Child(window_, WC_STATICW, "The selected account: a code gives (empty: as every account)", SS_LEFT, -1);
  accountCodeMinutes_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kAccountCodeMinutesId);
  accountCodeMaxLabel_ = Child(window_, WC_STATICW, "at most a day", SS_LEFT, -1);
  accountCodeMax_ = Child(window_, WC_EDITW, "", WS_TABSTOP | WS_BORDER | ES_NUMBER | ES_RIGHT, kAccountCodeMaxId);
  SendMessageW(accountCodeMinutes_, EM_SETLIMITTEXT, 4, 0);
  SendMessageW(accountCodeMax_, EM_SETLIMITTEXT, 4, 0);
  status_ = Child(window_, WC_STATICW, "", SS_LEFT | SS_NOPREFIX, kStatusId);
  ok_ = Child(window_, WC_BUTTONW, "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
  cancel_ = Child(window_, WC_BUTTONW, "Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
  apply_ = Child(window_, WC_BUTTONW, "&Apply", WS_TABSTOP | BS_PUSHBUTTON, kApplyId);
  UseFont(CreateMessageFont(FontSize::kText, dpi_));
}

void SettingsWindow::UseFont(HFONT font) {
  EnumChildWindows(
      window_,
      [](HWND child, LPARAM font) -> BOOL {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(font));
  grid_.SetFont(font);
  chart_.SetFont(font);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
}

void SettingsWindow::Layout() {
  const auto px = [&](int pixels) { return MulDiv(pixels, dpi_, 96); };
  const SIZE gridSize = WeekGridControl::Size(dpi_);
  const int allowanceLeft = px(kMargin) + gridSize.cx + px(kMargin);
  const int allowanceWidth = 2 * (px(kNumberWidth) + px(kUnitWidth)) + px(kNoLimitWidth);
  const int width = allowanceLeft + allowanceWidth + px(kMargin);
  int y = px(kMargin);
  MoveWindow(list_, px(kMargin), y, width - 2 * px(kMargin), px(kListHeight), FALSE);
  y += px(kListHeight) + px(6);
  MoveWindow(note_, px(kMargin), y, width - 2 * px(kMargin), px(kNoteHeight), FALSE);
  y += px(kNoteHeight);
  MoveWindow(tabs_, px(kMargin), y, width - 2 * px(kMargin), px(kTabsHeight), FALSE);
  y += px(kTabsHeight) + px(4);
  // The page of today, in the place of the week's.
  MoveWindow(summary_, px(kMargin), y, gridSize.cx, px(kSummaryHeight), FALSE);
  MoveWindow(chart_.Handle(), px(kMargin), y + px(kSummaryHeight), gridSize.cx,
             px(kHelpHeight) + gridSize.cy - px(kSummaryHeight), FALSE);
  MoveWindow(moreTimeLabel_, allowanceLeft, y, allowanceWidth, px(kHeaderHeight), FALSE);
  MoveWindow(moreTime_, allowanceLeft, y + px(kHeaderHeight) + px(2), px(kNumberWidth) + px(10), px(kRowHeight) - px(2),
             FALSE);
  MoveWindow(moreTimeUnit_, allowanceLeft + px(kNumberWidth) + px(14), y + px(kHeaderHeight) + px(5), px(kUnitWidth),
             px(kRowHeight), FALSE);
  MoveWindow(giveMoreTime_, allowanceLeft, y + px(kHeaderHeight) + px(kRowHeight) + px(6), px(kMoreTimeButtonWidth),
             px(kButtonHeight), FALSE);
  const int programsTop = y + px(kHeaderHeight) + px(kRowHeight) + px(kButtonHeight) + px(16);
  MoveWindow(programs_, allowanceLeft, programsTop, allowanceWidth,
             y + px(kHelpHeight) + gridSize.cy - programsTop, FALSE);
  // The computer's page: the time on the left, the sessions and the logs on the right, the
  // service's state at its foot.
  {
    const int column = (width - 3 * px(kMargin)) / 2;
    const int right = 2 * px(kMargin) + column;
    int left = y;
    MoveWindow(pcLabels_[0], px(kMargin), left, column, px(32), FALSE);
    MoveWindow(zone_, px(kMargin), left += px(34), column, px(22), FALSE);
    MoveWindow(pcLabels_[1], px(kMargin), left += px(30), column, px(kHeaderHeight), FALSE);
    for (HWND radio : {sourceDefault_, sourceAddresses_, sourceNone_})
      MoveWindow(radio, px(kMargin), left += px(20), column, px(20), FALSE);
    MoveWindow(addresses_, px(kMargin) + px(18), left += px(24), column - px(18), px(22), FALSE);
    int top = y;
    for (HWND box : {countLocked_, serviceLogoff_, endSessionLock_}) {
      MoveWindow(box, right, top, column, px(20), FALSE);
      top += px(24);
    }
    MoveWindow(pcLabels_[2], right, top += px(6), column, px(kHeaderHeight), FALSE);
    MoveWindow(path_, right, top += px(kHeaderHeight) + px(2), column, px(22), FALSE);
    MoveWindow(pcLabels_[3], right, top += px(30), column - px(50), px(kHeaderHeight), FALSE);
    MoveWindow(debug_, right + column - px(40), top - px(2), px(40), px(22), FALSE);
    const int foot = y + px(kHelpHeight) + gridSize.cy - px(kNoteHeight);
    MoveWindow(serviceState_, px(kMargin), foot, width - 2 * px(kMargin), px(kNoteHeight), FALSE);
    // The parent's code: its QR code on the left, the rest beside it.
    const int side = px(kHelpHeight) + gridSize.cy;
    const int beside = 2 * px(kMargin) + side;
    const int besideWidth = width - beside - px(kMargin);
    MoveWindow(qr_, px(kMargin), y, side, side, FALSE);
    MoveWindow(codeState_, beside, y, besideWidth, px(kNoteHeight), FALSE);
    MoveWindow(setUpCode_, beside, y + px(kNoteHeight) + px(4), px(kMoreTimeButtonWidth), px(kButtonHeight), FALSE);
    MoveWindow(codeOff_, beside + px(kMoreTimeButtonWidth) + px(8), y + px(kNoteHeight) + px(4), px(kMoreTimeButtonWidth),
               px(kButtonHeight), FALSE);
    const int keyTop = y + px(kNoteHeight) + px(kButtonHeight) + px(12);
    MoveWindow(codeKey_, beside, keyTop, besideWidth, side - (keyTop - y) - px(60), FALSE);
    MoveWindow(codeMinutesLabel_, beside, y + side - px(54), besideWidth - px(60), px(kHeaderHeight), FALSE);
    MoveWindow(codeMinutes_, beside + besideWidth - px(50), y + side - px(57), px(50), px(22), FALSE);
    const int labelWidth = besideWidth - 2 * px(50) - px(100) - px(8);
    MoveWindow(accountCodeLabel_, beside, y + side - px(24), labelWidth, px(kHeaderHeight), FALSE);
    MoveWindow(accountCodeMinutes_, beside + labelWidth, y + side - px(27), px(50), px(22), FALSE);
    MoveWindow(accountCodeMaxLabel_, beside + labelWidth + px(58), y + side - px(24), px(92), px(kHeaderHeight), FALSE);
    MoveWindow(accountCodeMax_, beside + besideWidth - px(50), y + side - px(27), px(50), px(22), FALSE);
  }
  MoveWindow(help_, px(kMargin), y, width - 2 * px(kMargin), px(kHelpHeight), FALSE);
  y += px(kHelpHeight);
  MoveWindow(grid_.Handle(), px(kMargin), y, gridSize.cx, gridSize.cy, FALSE);
  MoveWindow(allowanceTitle_, allowanceLeft, y, allowanceWidth, px(kHeaderHeight), FALSE);
  for (int day = 0; day < kDaysInWeek; ++day) {
    const int top = y + px(kHeaderHeight) + px(day * kRowHeight) + px(1);
    const int height = px(kRowHeight) - px(2);
    int x = allowanceLeft;
    MoveWindow(hours_[day], x, top, px(kNumberWidth), height, FALSE);
    MoveWindow(hoursUnit_[day], x += px(kNumberWidth) + px(3), top + px(3), px(kUnitWidth), height, FALSE);
    MoveWindow(minutes_[day], x += px(kUnitWidth) - px(3), top, px(kNumberWidth), height, FALSE);
    MoveWindow(minutesUnit_[day], x += px(kNumberWidth) + px(3), top + px(3), px(kUnitWidth), height, FALSE);
    MoveWindow(noLimit_[day], x += px(kUnitWidth), top, px(kNoLimitWidth), height, FALSE);
  }
  y += gridSize.cy + px(8);
  MoveWindow(status_, px(kMargin), y, width - 2 * px(kMargin), px(kStatusHeight), FALSE);
  y += px(kStatusHeight) + px(4);
  int x = width - px(kMargin) - 3 * px(kButtonWidth) - 2 * px(8);
  for (HWND button : {ok_, cancel_, apply_}) {
    MoveWindow(button, x, y, px(kButtonWidth), px(kButtonHeight), FALSE);
    x += px(kButtonWidth) + px(8);
  }
  y += px(kButtonHeight) + px(kMargin);
  RECT frame{0, 0, width, y};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

void SettingsWindow::FillAccounts() {
  filling_ = true;
  const CallResult<LocalAccountList> listing = accounts_.List();
  const LocalAccountList accounts = listing ? listing.Value() : LocalAccountList{};
  StringList restricted;
  std::string problem = listing ? accounts.partial : listing.Failure();
  try {
    std::unique_ptr<RegistryAccess> registry = openRegistry_();
    if (registry->OpenKeyReadOnly(kRestrictionsKey)) {
      registry->GetKeyNames(restricted);
      registry->CloseKey();
    }
  } catch (const RegistryError& error) {
    problem = error.what();
  }
  rows_ = AccountRows(accounts, restricted);
  ListView_DeleteAllItems(list_);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const LocalAccount& account = rows_[i].account;
    std::wstring name = WideFromUtf8(account.name);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = name.data();
    SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SetItemText(list_, static_cast<int>(i), 1, rows_[i].local ? account.fullName : "(no account of this computer)");
    SetItemText(list_, static_cast<int>(i), 2, account.address);
    bool limited = false;
    for (int k = 0; k < restricted.Count(); ++k) limited = limited || SameText(restricted[k], account.name);
    ListView_SetCheckState(list_, static_cast<int>(i), limited);
  }
  filling_ = false;
  if (!problem.empty()) SetStatus("Not everything about the accounts could be read: " + problem);
  if (!rows_.empty()) ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  if (rows_.empty()) ShowAccount(-1);
}

AccountEdit& SettingsWindow::EditOf(int row) {
  const std::string& name = rows_[static_cast<size_t>(row)].account.name;
  auto found = edits_.find(FoldedName(name));
  if (found != edits_.end()) return found->second;
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  return edits_.emplace(FoldedName(name), ReadPage(*registry, name)).first->second;
}

void SettingsWindow::ShowAccount(int row) {
  selected_ = row;
  AccountEdit* edit = row >= 0 ? &EditOf(row) : nullptr;
  const bool limited = edit != nullptr && edit->restricted;
  SetText(note_, row < 0 ? "This computer has no accounts to limit." : AccountNote(rows_[static_cast<size_t>(row)]));
  grid_.Show(limited ? &edit->week : nullptr);
  ShowAllowances();
  ShowAccountCode();
  ShowToday();
  if (edit != nullptr) SetStatus(edit->week.RoundingNotice());
}

void SettingsWindow::ShowAllowances() {
  filling_ = true;
  AccountEdit* edit = selected_ >= 0 ? &EditOf(selected_) : nullptr;
  const bool limited = edit != nullptr && edit->restricted;
  for (int day = 0; day < kDaysInWeek; ++day) {
    const AllowanceField field = limited ? edit->allowances.Field(day) : AllowanceField{};
    SetText(hours_[day], field.hours);
    SetText(minutes_[day], field.minutes);
    SendMessageW(noLimit_[day], BM_SETCHECK, field.noLimit ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(hours_[day], limited && !field.noLimit);
    EnableWindow(minutes_[day], limited && !field.noLimit);
    EnableWindow(noLimit_[day], limited);
  }
  filling_ = false;
}

void SettingsWindow::ShowPage(int page) {
  page_ = page;
  const int week = page == 0 ? SW_SHOW : SW_HIDE;
  const int today = page == 1 ? SW_SHOW : SW_HIDE;
  const int pc = page == 2 ? SW_SHOW : SW_HIDE;
  for (HWND control : pcLabels_) ShowWindow(control, pc);
  for (HWND control : {zone_, sourceDefault_, sourceAddresses_, sourceNone_, addresses_, countLocked_, serviceLogoff_,
                       endSessionLock_, path_, debug_, serviceState_})
    ShowWindow(control, pc);
  const int code = page == 3 ? SW_SHOW : SW_HIDE;
  for (HWND control : {qr_, codeState_, setUpCode_, codeOff_, codeKey_, codeMinutesLabel_, codeMinutes_,
                       accountCodeLabel_, accountCodeMinutes_, accountCodeMaxLabel_, accountCodeMax_})
    ShowWindow(control, code);
  for (HWND control : {help_, grid_.Handle(), allowanceTitle_}) ShowWindow(control, week);
  for (int day = 0; day < kDaysInWeek; ++day)
    for (HWND control : {hours_[day], hoursUnit_[day], minutes_[day], minutesUnit_[day], noLimit_[day]})
      ShowWindow(control, week);
  for (HWND control : {summary_, chart_.Handle(), moreTimeLabel_, moreTime_, moreTimeUnit_, giveMoreTime_, programs_})
    ShowWindow(control, today);
  if (page == 1) ShowToday();
  if (page == 2) ShowServiceState();
  if (page == 3) ShowCodeState();
}

void SettingsWindow::ShowToday() {
  const AccountEdit* edit = selected_ >= 0 ? &EditOf(selected_) : nullptr;
  UserValues values;
  bool limited = edit != nullptr && edit->read.restricted;
  if (limited) {
    std::unique_ptr<RegistryAccess> registry = openRegistry_();
    limited = registry->OpenKeyReadOnly(UserKeyPath(edit->account));
    if (limited) values = ReadUserValues(*registry);
    registry->CloseKey();
  }
  EnableWindow(moreTime_, limited);
  EnableWindow(giveMoreTime_, limited);
  if (!limited) {
    SetText(summary_, edit == nullptr ? "" : edit->account + " is not limited.");
    SetText(programs_, "");
    chart_.Show({});
    return;
  }
  const double now = now_();
  std::string text;
  for (const std::string& line : SummaryLines(SummaryOf(values, now))) text += line + "\r\n";
  SetText(summary_, text);
  chart_.Show(ChartOf(values, now));
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  const std::optional<std::vector<std::string>> log = ReadProcessLog(*registry, files_);
  std::string programs = "Programs run most today:\r\n";
  if (!log) programs += "(the service's process log cannot be read)";
  for (const ProgramTime& program : log ? ProgramsToday(*log, edit->account, format_, now, 6) : std::vector<ProgramTime>{})
    programs += program.program + "   " + std::to_string(program.minutes) + " min\r\n";
  SetText(programs_, programs);
}

void SettingsWindow::GiveMoreTimeToday() {
  if (selected_ < 0) return;
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  const GiveMoreTimeResult result = GiveMoreTime(*registry, EditOf(selected_).account, now_(), TextOf(moreTime_));
  SetStatus(result.message);
  if (!result.given) ShowRefusalAt(moreTime_, result.message);
  ShowToday();
}

void SettingsWindow::AllowanceChanged(int day) {
  if (filling_ || selected_ < 0) return;
  AccountEdit& edit = EditOf(selected_);
  AllowanceField field{TextOf(hours_[day]), TextOf(minutes_[day]), IsChecked(noLimit_[day])};
  if (field.noLimit) field.hours = field.minutes = "";
  edit.allowances.SetField(day, field);
  EnableWindow(hours_[day], !field.noLimit);
  EnableWindow(minutes_[day], !field.noLimit);
}

void SettingsWindow::RestrictedChanged(int row, bool restricted) {
  AccountEdit& edit = EditOf(row);
  if (edit.restricted == restricted) return;
  edit.restricted = restricted;
  if (restricted && !edit.read.restricted) edit.allowances = AllowanceForm(std::nullopt);
  if (row == selected_) ShowAccount(row);
  if (!restricted && edit.read.restricted)
    SetStatus(edit.account + " is freed when you press OK or Apply: its periods, allowances and counted minutes are "
                             "deleted, and it may sign in at any time again.");
}

bool SettingsWindow::Apply() {
  std::vector<PlannedAccount> planned;
  for (const auto& [name, edit] : edits_) planned.push_back({PlanApply(edit), edit.read});
  const PlannedPc pc{PlanPc(pcRead_, PcFormOfControls(), isZone_, folders_), pcRead_};
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  ApplyResult result = ApplyPlans(*registry, planned, false, &pc);
  if (result.outcome == ApplyResult::Outcome::kChangedUnderIt) {
    if (MessageBoxW(window_, WideFromUtf8(result.message).c_str(), kTitle, MB_YESNO | MB_ICONWARNING) != IDYES) {
      SetStatus("Nothing was saved. Cancel and open the window again to see the settings as they are now.");
      return false;
    }
    result = ApplyPlans(*registry, planned, true, &pc);
  }
  if (result.pcWritten) FillPc();
  // The pages written are read again when shown, so they compare with what was written; the grid
  // must not keep showing a page that is gone.
  for (const std::string& account : result.written) edits_.erase(FoldedName(account));
  if (!result.written.empty() && selected_ >= 0) ShowAccount(selected_);
  switch (result.outcome) {
    case ApplyResult::Outcome::kRefused:
      if (result.refusedPcField) {
        const PcField field = *result.refusedPcField;
        const int page = field == PcField::kCodeMinutes ? 3 : 2;
        if (page_ != page) {
          SendMessageW(tabs_, TCM_SETCURSEL, page, 0);
          ShowPage(page);
        }
        ShowRefusalAt(field == PcField::kTimeZone ? zone_
                      : field == PcField::kPath   ? path_
                      : field == PcField::kDebug  ? debug_
                      : field == PcField::kCodeMinutes ? codeMinutes_
                                                  : addresses_,
                      result.message);
      }
      for (size_t i = 0; i < rows_.size(); ++i) {
        if (!SameText(rows_[i].account.name, result.refusedAccount)) continue;
        ListView_SetItemState(list_, static_cast<int>(i), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        const bool code = result.refusedField != AccountField::kAllowance;
        if (page_ != (code ? 3 : 0)) {
          SendMessageW(tabs_, TCM_SETCURSEL, code ? 3 : 0, 0);
          ShowPage(code ? 3 : 0);
        }
        ShowRefusalAt(result.refusedField == AccountField::kCodeMinutes    ? accountCodeMinutes_
                      : result.refusedField == AccountField::kCodeMaxMinutes ? accountCodeMax_
                                                                             : hours_[result.refusedDay],
                      result.message);
      }
      SetStatus(result.message);
      return false;
    case ApplyResult::Outcome::kFailed:
      SetStatus(result.message);
      MessageBoxW(window_, WideFromUtf8(result.message + " Open this program as an administrator.").c_str(), kTitle,
                  MB_OK | MB_ICONERROR);
      return false;
    default:
      break;
  }
  const std::string note = GiveLogonHoursBack(accountControl_, result.freed);
  SetStatus(result.written.empty() && !result.pcWritten ? "Nothing to save." : "Saved. The service applies it within a minute.");
  if (!note.empty()) {
    SetStatus(note);
    MessageBoxW(window_, WideFromUtf8(note).c_str(), kTitle, MB_OK | MB_ICONWARNING);
  }
  return true;
}

void SettingsWindow::SetStatus(const std::string& text) { SetText(status_, text); }

LRESULT SettingsWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kTabsId && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)));
        return 0;
      }
      if (header->idFrom != kListId || header->code != LVN_ITEMCHANGED || filling_) break;
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if ((change->uChanged & LVIF_STATE) == 0 || change->iItem < 0) break;
      // The check box is the list's state image: 1 unchecked, 2 checked.
      if ((change->uNewState & LVIS_STATEIMAGEMASK) != (change->uOldState & LVIS_STATEIMAGEMASK) &&
          (change->uNewState & LVIS_STATEIMAGEMASK) != 0)
        RestrictedChanged(change->iItem, ListView_GetCheckState(list_, change->iItem) != 0);
      if ((change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0)
        ShowAccount(change->iItem);
      return 0;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == kGridId && code == kWeekGridChanged && selected_ >= 0) {
        SetStatus(EditOf(selected_).week.RoundingNotice());
      } else if (id >= kHoursId && id < kHoursId + kDaysInWeek && code == EN_CHANGE) {
        AllowanceChanged(id - kHoursId);
      } else if (id >= kMinutesId && id < kMinutesId + kDaysInWeek && code == EN_CHANGE) {
        AllowanceChanged(id - kMinutesId);
      } else if (id >= kNoLimitId && id < kNoLimitId + kDaysInWeek && code == BN_CLICKED) {
        AllowanceChanged(id - kNoLimitId);
        if (!IsChecked(noLimit_[id - kNoLimitId])) SetFocus(hours_[id - kNoLimitId]);
      } else if (id >= kSourceDefaultId && id <= kSourceNoneId && code == BN_CLICKED) {
        EnablePcControls();
      } else if ((id == kAccountCodeMinutesId || id == kAccountCodeMaxId) && code == EN_CHANGE) {
        AccountCodeChanged();
      } else if (id == kSetUpCodeId) {
        SetUpCode();
      } else if (id == kCodeOffId) {
        TurnCodeOff();
      } else if (id == kGiveMoreTimeId) {
        GiveMoreTimeToday();
      } else if (id == kApplyId) {
        Apply();
      } else if (id == IDOK) {
        if (Apply()) DestroyWindow(window_);
      } else if (id == IDCANCEL) {
        DestroyWindow(window_);
      }
      return 0;
    }
    case kServiceStateMessage:
      ServiceStateAnswered(reinterpret_cast<std::string*>(lParam));
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != kQrId) break;
      DrawQrCode(*item);
      return TRUE;
    }
    case WM_DPICHANGED: {
      // The window moved to a display of another scale: its font and layout of that scale.
      dpi_ = HIWORD(wParam);
      grid_.SetDpi(dpi_);
      chart_.SetDpi(dpi_);
      UseFont(CreateMessageFont(FontSize::kText, dpi_));
      MoveToSuggestedBounds(window_, lParam);
      Layout();
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}
