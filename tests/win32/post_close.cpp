// post_close: asks the show's window to close, as a window manager's close button does: WM_CLOSE
// posted to the window of class "glaxen". Exit status 0 when there was one to ask.
#include <windows.h>

int main() {
    const HWND window = FindWindowA("glaxen", nullptr);
    return window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
