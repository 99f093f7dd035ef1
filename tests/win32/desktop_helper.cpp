// desktop_helper: what the end-to-end tests do to the show's windows from another program, as a
// person or a window manager would. Usage:
//   desktop_helper window          another program's window in front, 240 x 120 at (40, 40);
//                                  prints "focus" when it gets the keyboard and "Escape" each
//                                  time it gets that key
//   desktop_helper close           asks the show's window to close (WM_CLOSE), as a close button
//   desktop_helper activate        brings the show's window to the front, restored
//   desktop_helper text CAPTION    prints the texts of the window titled CAPTION and of its
//                                  controls, one a line
// Exit status 0 when there was a window to act on.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Says when the window gets the keyboard and each Escape; closing it ends the program.
LRESULT CALLBACK otherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) std::puts("focus");
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) std::puts("Escape");
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of the window colour in front until it is closed.
int otherWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = otherProc;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "other";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(WS_EX_TOPMOST, "other", "other", WS_POPUP | WS_VISIBLE, 40,
                                        40, 240, 120, nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) return 1;
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Prints the window's text and its children's.
BOOL CALLBACK printText(HWND window, LPARAM) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    std::puts(text);
    return TRUE;
}

}  // namespace

int main(int argc, char **argv) {
    const char *command = argc > 1 ? argv[1] : "";
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each line out at once, for the test to wait on
    if (std::strcmp(command, "window") == 0) return otherWindow();
    if (std::strcmp(command, "text") == 0 && argc > 2) {
        const HWND window = FindWindowA(nullptr, argv[2]);
        if (window == nullptr) return 1;
        printText(window, 0);
        EnumChildWindows(window, printText, 0);
        return 0;
    }
    const HWND show = FindWindowA("glaxen", nullptr);
    if (show == nullptr) return 1;
    if (std::strcmp(command, "close") == 0) return PostMessageA(show, WM_CLOSE, 0, 0) ? 0 : 1;
    if (std::strcmp(command, "activate") == 0) {
        if (IsIconic(show)) ShowWindow(show, SW_RESTORE);
        return SetForegroundWindow(show) ? 0 : 1;
    }
    return 2;
}
