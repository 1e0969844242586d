#include "settingsapp/week_grid_win.h"

#include <algorithm>
#include <string>

#include "configuration/validation.h"
#include "platform/wide_text_win.h"
#include "platform/win_error.h"
#include "platform/window_class_win.h"

namespace {

constexpr wchar_t kClassName[] = L"HourwardenWeekGrid";
// The layout at 96 dots per inch.
constexpr int kLabelWidth = 44;
constexpr int kHeaderHeight = 18;
constexpr int kCellWidth = 7;
constexpr int kRowHeight = 24;
constexpr COLORREF kRestrictedColour = RGB(200, 60, 50);
constexpr COLORREF kFreeColour = RGB(255, 255, 255);
constexpr COLORREF kHourLineColour = RGB(120, 120, 120);
constexpr COLORREF kQuarterLineColour = RGB(220, 220, 220);

}  // namespace

bool WeekGridControl::Create(HWND parent, int id, int x, int y, int width, int height) {
  if (!RegisterToolWindowClass(kClassName, &WeekGridControl::WindowProc, COLOR_WINDOW)) return false;
  window_ = CreateWindowExW(0, kClassName, L"Restricted periods", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                            height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) OutputDebugStringA(DescribeWindowsFailure("CreateWindowExW", GetLastError()).c_str());
  return window_ != nullptr;
}

void WeekGridControl::Show(WeekGrid* grid) {
  grid_ = grid;
  dragging_ = false;
  EnableWindow(window_, grid != nullptr);
  InvalidateRect(window_, nullptr, FALSE);
}

SIZE WeekGridControl::Size(int dpi) {
  return {MulDiv(kLabelWidth + kQuartersPerDay * kCellWidth + 1, dpi, 96),
          MulDiv(kHeaderHeight + kDaysInWeek * kRowHeight + 1, dpi, 96)};
}

LRESULT CALLBACK WeekGridControl::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WeekGridControl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<WeekGridControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

POINT WeekGridControl::CellAt(int x, int y) const {
  const int quarter = (x - Px(kLabelWidth)) * 96 / (dpi_ * kCellWidth);
  const int day = (y - Px(kHeaderHeight)) * 96 / (dpi_ * kRowHeight);
  return {std::clamp(quarter, 0, kQuartersPerDay - 1), std::clamp(day, 0, kDaysInWeek - 1)};
}

void WeekGridControl::Changed() {
  InvalidateRect(window_, nullptr, FALSE);
  SendMessageW(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), kWeekGridChanged),
               reinterpret_cast<LPARAM>(window_));
}

void WeekGridControl::DragTo(POINT cell) {
  // Each move paints the rectangle from the anchor afresh, so a drag drawn back undoes itself.
  *grid_ = beforeDrag_;
  grid_->Paint(anchor_.y, cell.y, anchor_.x, cell.x, dragPaints_);
  cursor_ = cell;
  Changed();
}

LRESULT WeekGridControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // The arrows and the space bar move and switch cells; Tab still leaves the grid.
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      SetFocus(window_);
      if (grid_ == nullptr) return 0;
      anchor_ = CellAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      dragPaints_ = !grid_->Restricted(anchor_.y, anchor_.x);
      beforeDrag_ = *grid_;
      dragging_ = true;
      SetCapture(window_);
      DragTo(anchor_);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_ && grid_ != nullptr)
        DragTo(CellAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        if (GetCapture() == window_) ReleaseCapture();
      }
      return 0;
    case WM_KEYDOWN: {
      if (grid_ == nullptr) break;
      POINT next = cursor_;
      if (wParam == VK_LEFT) next.x -= 1;
      if (wParam == VK_RIGHT) next.x += 1;
      if (wParam == VK_UP) next.y -= 1;
      if (wParam == VK_DOWN) next.y += 1;
      if (wParam == VK_HOME) next.x = 0;
      if (wParam == VK_END) next.x = kQuartersPerDay - 1;
      next.x = std::clamp<LONG>(next.x, 0, kQuartersPerDay - 1);
      next.y = std::clamp<LONG>(next.y, 0, kDaysInWeek - 1);
      // With Shift held, the cells passed over take the state of the one the move starts from.
      if ((GetKeyState(VK_SHIFT) & 0x8000) != 0 && (next.x != cursor_.x || next.y != cursor_.y)) {
        grid_->Paint(next.y, next.y, next.x, next.x, grid_->Restricted(cursor_.y, cursor_.x));
        cursor_ = next;
        Changed();
      } else {
        cursor_ = next;
        InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    }
    case WM_CHAR:
      if (wParam == L' ' && grid_ != nullptr) {
        grid_->Paint(cursor_.y, cursor_.y, cursor_.x, cursor_.x, !grid_->Restricted(cursor_.y, cursor_.x));
        Changed();
      }
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      // Drawn off screen first, so that a drag does not flicker.
      RECT client;
      GetClientRect(window_, &client);
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
      Paint(memory);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void WeekGridControl::Paint(HDC dc) const {
  RECT client;
  GetClientRect(window_, &client);
  FillColour(dc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(grid_ != nullptr ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  const int left = Px(kLabelWidth), top = Px(kHeaderHeight);
  const auto cellLeft = [&](int quarter) { return left + MulDiv(quarter * kCellWidth, dpi_, 96); };
  const auto rowTop = [&](int day) { return top + MulDiv(day * kRowHeight, dpi_, 96); };
  for (int hour = 0; hour < 24; hour += 3) {
    RECT label{cellLeft(hour * 4), 0, cellLeft(hour * 4 + 12), top};
    const std::wstring text = std::to_wstring(hour) + L":00";
    DrawTextW(dc, text.c_str(), -1, &label, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
  }
  for (int day = 0; day < kDaysInWeek; ++day) {
    RECT label{0, rowTop(day), left - Px(4), rowTop(day + 1)};
    const std::wstring text = WideFromUtf8(ShortWeekdayName(day));
    DrawTextW(dc, text.c_str(), -1, &label, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    for (int quarter = 0; quarter < kQuartersPerDay; ++quarter) {
      const bool restricted = grid_ != nullptr && grid_->Restricted(day, quarter);
      const RECT cell{cellLeft(quarter), rowTop(day), cellLeft(quarter + 1), rowTop(day + 1)};
      FillColour(dc, cell, restricted ? kRestrictedColour : grid_ != nullptr ? kFreeColour : GetSysColor(COLOR_BTNFACE));
      const RECT line{cell.left, cell.top, cell.left + 1, cell.bottom};
      FillColour(dc, line, quarter % 4 == 0 ? kHourLineColour : kQuarterLineColour);
    }
    const RECT line{left, rowTop(day), cellLeft(kQuartersPerDay), rowTop(day) + 1};
    FillColour(dc, line, kHourLineColour);
  }
  const RECT right{cellLeft(kQuartersPerDay), top, cellLeft(kQuartersPerDay) + 1, rowTop(kDaysInWeek)};
  FillColour(dc, right, kHourLineColour);
  const RECT bottom{left, rowTop(kDaysInWeek), cellLeft(kQuartersPerDay) + 1, rowTop(kDaysInWeek) + 1};
  FillColour(dc, bottom, kHourLineColour);
  if (GetFocus() == window_ && grid_ != nullptr) {
    RECT focus{cellLeft(cursor_.x) - 1, rowTop(cursor_.y) + 1, cellLeft(cursor_.x + 1) + 2, rowTop(cursor_.y + 1)};
    DrawFocusRect(dc, &focus);
  }
  SelectObject(dc, oldFont);
}
