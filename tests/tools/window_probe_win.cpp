// A console helper for the Wine test of the session tool: looks at the windows of the desktop
// the way another program of the session would.
//   window_probe user            prints the account name (GetUserNameA)
//   window_probe find TITLE      exit 0 when a top-level window has exactly this title
//   window_probe topmost TITLE   exit 0 when such a window is visible and topmost
//   window_probe close TITLE     sends it WM_CLOSE and waits until it is handled; exit 0 if found
//   window_probe squat NAME SECONDS   holds a mutex of that name for the seconds, as a program of the
//                                     user could to keep the session tool away
//   window_probe command TITLE ID     posts WM_COMMAND with the id to the window (a menu item chosen)
//   window_probe shown TITLE BUTTON   exit 0 when the window has a visible button of that text
//   window_probe click TITLE BUTTON   clicks that button (BM_CLICK)
//   window_probe settext TITLE ID TEXT  sets the text of the window's child control of the id
//   window_probe text TITLE ID        prints the text of the window's child control of the id
//   window_probe type TITLE ID TEXT   posts the characters to the child control of the id, as typed
//   window_probe drag TITLE ID X1 Y1 X2 Y2   drags the mouse over that control from one point of its
//                                      client area to the other, left button held
//   window_probe key TITLE ID VK      posts a key press (virtual key, decimal) to that control
//   window_probe showing TEXT     exit 0 when a visible top-level window has a visible child control
//                                 whose text holds TEXT (windows may share a title; their texts differ)
//   window_probe size TITLE [ID]  prints the width and height in pixels of the window, or of its
//                                 child control of the id

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct TextSearch {
  const char* text;
  bool found = false;
};

BOOL CALLBACK LookInChild(HWND child, LPARAM parameter) {
  auto* search = reinterpret_cast<TextSearch*>(parameter);
  char text[512] = {};
  DWORD_PTR length = 0;
  if (IsWindowVisible(child) &&
      SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                          &length) != 0 &&
      std::string(text).find(search->text) != std::string::npos)
    search->found = true;
  return !search->found;
}

BOOL CALLBACK LookInWindow(HWND window, LPARAM parameter) {
  if (IsWindowVisible(window)) EnumChildWindows(window, LookInChild, parameter);
  return !reinterpret_cast<TextSearch*>(parameter)->found;
}

}  // namespace

// Prints the window's width and height as the screen has them.
int PrintSize(HWND window) {
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) return 1;
  std::printf("%ld %ld\n", rect.right - rect.left, rect.bottom - rect.top);
  return 0;
}

int main(int argc, char** argv) {
  // The probe sees pixels as they are, not scaled down for a program unaware of the scale.
  SetProcessDPIAware();
  if (argc == 2 && std::string(argv[1]) == "user") {
    char name[257];
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) return 2;
    std::printf("%s\n", name);
    return 0;
  }
  if (argc == 4 && std::string(argv[1]) == "squat") {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, argv[2]);
    if (mutex == nullptr) return 2;
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::stoi(argv[3])) * 1000);
    CloseHandle(mutex);
    return 0;
  }
  if (argc >= 4) {
    HWND window = FindWindowA(nullptr, argv[2]);
    if (window == nullptr) return 1;
    const std::string command = argv[1];
    if (command == "command") return PostMessageA(window, WM_COMMAND, std::stoi(argv[3]), 0) ? 0 : 2;
    if (command == "size") return PrintSize(GetDlgItem(window, std::stoi(argv[3])));
    if (command == "type" || command == "drag" || command == "key") {
      HWND child = GetDlgItem(window, std::stoi(argv[3]));
      if (child == nullptr) return 1;
      if (command == "type" && argc == 5)
        for (const char* c = argv[4]; *c != '\0'; ++c) SendMessageA(child, WM_CHAR, static_cast<unsigned char>(*c), 0);
      if (command == "key" && argc == 5) {
        SendMessageA(child, WM_KEYDOWN, std::stoi(argv[4]), 1);
        SendMessageA(child, WM_KEYUP, std::stoi(argv[4]), 0xC0000001);
      }
      if (command == "drag" && argc == 8) {
        const LPARAM from = MAKELPARAM(std::stoi(argv[4]), std::stoi(argv[5]));
        const LPARAM to = MAKELPARAM(std::stoi(argv[6]), std::stoi(argv[7]));
        SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, from);
        SendMessageA(child, WM_MOUSEMOVE, MK_LBUTTON, to);
        SendMessageA(child, WM_LBUTTONUP, 0, to);
      }
      return 0;
    }
    if (command == "text" || command == "settext") {
      HWND child = GetDlgItem(window, std::stoi(argv[3]));
      if (child == nullptr) return 1;
      if (command == "settext") return argc == 5 && SendMessageA(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4])) ? 0 : 2;
      char text[512] = {};
      SendMessageA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      std::printf("%s\n", text);
      return 0;
    }
    HWND button = FindWindowExA(window, nullptr, "Button", argv[3]);
    if (button == nullptr) return 1;
    if (command == "shown") return IsWindowVisible(button) ? 0 : 1;
    if (command == "click") {
      SendMessageA(button, BM_CLICK, 0, 0);
      return 0;
    }
    return 2;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_probe user | find TITLE | topmost TITLE | close TITLE | showing TEXT\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "showing") {
    TextSearch search{argv[2]};
    EnumWindows(LookInWindow, reinterpret_cast<LPARAM>(&search));
    return search.found ? 0 : 1;
  }
  HWND window = FindWindowA(nullptr, argv[2]);
  if (window == nullptr) return 1;
  if (command == "find") return 0;
  if (command == "size") return PrintSize(window);
  if (command == "topmost") {
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    return IsWindowVisible(window) && (exStyle & WS_EX_TOPMOST) != 0 ? 0 : 1;
  }
  if (command == "close") {
    SendMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
