// The start dialog on Windows: dialog 101 of the program's resources, run by DialogBoxParamA
// with the show's own dialog procedure.
#include "platform/win32/win32_platform.h"

#include "show/start_dialog.h"

namespace {

constexpr int kDialogResource = 101;

// The dialog window, for the procedure's three calls.
struct NativeDialog {
    HWND window;
    const Win32Api *api;
};

// CheckDlgButton, IsDlgButtonChecked and EndDialog on the dialog window.
DialogHost nativeHost(NativeDialog &dialog) {
    return {&dialog,
            [](void *user, int id, int state) {
                const NativeDialog &d = *static_cast<NativeDialog *>(user);
                d.api->checkDlgButton(d.window, id, static_cast<UINT>(state));
            },
            [](void *user, int id) {
                const NativeDialog &d = *static_cast<NativeDialog *>(user);
                return static_cast<int>(d.api->isDlgButtonChecked(d.window, id));
            },
            [](void *user, int result) {
                const NativeDialog &d = *static_cast<NativeDialog *>(user);
                d.api->endDialog(d.window, result);
            }};
}

// WM_INITDIALOG and WM_COMMAND go to the show's procedure; every other message is not ours.
INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
    Win32Platform *platform = win32CurrentPlatform();
    if (platform == nullptr || platform->dialogSettings == nullptr) return FALSE;
    NativeDialog dialog = {window, platform->api};
    if (message == WM_INITDIALOG)
        return startDialogProcedure(nativeHost(dialog), *platform->dialogSettings,
                                    DialogMessage::kInitDialog, 0);
    if (message == WM_COMMAND)
        startDialogProcedure(nativeHost(dialog), *platform->dialogSettings, DialogMessage::kCommand,
                             static_cast<int>(LOWORD(wParam)));
    return FALSE;
}

}  // namespace

// Modal, with no owner and parameter 0; 1 from the button, 0 from Escape, -1 when it cannot be
// made (then the show goes on).
int win32StartDialog(Win32Platform &platform, ShowSettings *settings) {
    platform.dialogSettings = settings;
    const INT_PTR result = platform.api->dialogBoxParamA(
        platform.instance, MAKEINTRESOURCEA(kDialogResource), nullptr, dialogProcedure, 0);
    platform.dialogSettings = nullptr;
    return static_cast<int>(result);
}
