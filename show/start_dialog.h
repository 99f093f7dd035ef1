// The start dialog: a small modal window that gates the show. Its template (one push button,
// "merry xmas"), its dialog procedure, the keys and clicks it answers, and how it is painted
// with the show's bitmap font. A platform only makes the window, feeds it input and shows the
// painted pixels. Needs: font/, show/show_platform.h (ShowSettings).
#pragma once

#include "common/pixel.h"
#include "font/bitmap_font.h"
#include "show/show_platform.h"

// ---------------------------------------------------------------- template

enum class DialogControlKind { kPushButton, kCheckBox };

// One control, placed in dialog units.
struct DialogControl {
    DialogControlKind kind;
    int id;
    const char *text;
    int x, y, width, height;
};

// A dialog: its size in dialog units and its controls.
struct DialogTemplate {
    int width, height;
    const DialogControl *controls;
    int controlCount;
};

constexpr int kDialogUnitPixels = 2;  // pixels per dialog unit, across and down
constexpr int kMaxDialogControls = 8;

// Control ids the dialog procedure knows.
constexpr int kIdOk = 1;             // the button: start the show
constexpr int kIdCancel = 2;         // Escape or closing: end the program
constexpr int kIdSound = 1000;       // check box bound to ShowSettings.sound
constexpr int kIdFullscreen = 1001;  // check box bound to ShowSettings.fullscreen

// The shipped template: the one push button "merry xmas", filling a 140 x 16 dialog.
extern const DialogTemplate kStartDialogTemplate;

// ---------------------------------------------------------------- the running dialog

// One dialog from creation to its end.
struct StartDialog {
    const DialogTemplate *dialogTemplate = nullptr;
    ShowSettings *settings = nullptr;       // what the check boxes are bound to
    bool checked[kMaxDialogControls] = {};  // check state, by control index
    int focus = 0;                          // the control Space acts on
    bool ended = false;
    int result = 0;  // what the dialog ended with
};

// Creates the dialog over a template and sends it the init message.
StartDialog startDialogCreate(const DialogTemplate *dialogTemplate, ShowSettings *settings);

// The dialog's messages.
enum class DialogMessage { kInitDialog, kCommand };

// What the dialog procedure asks of the window system that runs the dialog, by control id:
// our own dialog here, or a platform's native one. Every function gets user first.
struct DialogHost {
    void *user;
    void (*checkDlgButton)(void *user, int id, int state);
    int (*isDlgButtonChecked)(void *user, int id);
    void (*endDialog)(void *user, int result);
};

// The dialog procedure: the check boxes follow settings at init; commands end the dialog or
// read a box back into settings. True for the init message, false for every other.
bool startDialogProcedure(const DialogHost &host, ShowSettings &settings, DialogMessage message,
                          int id);

// The host's services over one of our own dialogs, and the table of them.
void checkDlgButton(StartDialog &dialog, int id, int state);
int isDlgButtonChecked(const StartDialog &dialog, int id);
void endDialog(StartDialog &dialog, int result);
DialogHost startDialogHost(StartDialog &dialog);

// ---------------------------------------------------------------- input

enum class DialogKey { kEnter, kSpace, kEscape, kTab };

// Enter presses the OK button, Escape cancels, Space acts on the focused control, Tab moves
// the focus.
void dialogKey(StartDialog &dialog, DialogKey key);

// A click at pixel (x, y): a button sends its command, a check box toggles, then sends its.
void dialogClick(StartDialog &dialog, int x, int y);

// The window was closed: the same as Cancel.
void dialogClose(StartDialog &dialog);

// ---------------------------------------------------------------- painting

// The dialog's size in pixels.
int dialogPixelWidth(const DialogTemplate &dialogTemplate);
int dialogPixelHeight(const DialogTemplate &dialogTemplate);

// Width in pixels of text in the font.
int textPixelWidth(const BitmapFont &font, const char *text);

// Paints the dialog into target (dialogPixelWidth x dialogPixelHeight). font must be set up
// with that screen size and fontPicture.
void paintDialog(const StartDialog &dialog, const BitmapFont &font, const Pixel *fontPicture,
                 Pixel *target);
