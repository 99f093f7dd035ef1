// The start dialog's template, procedure, input and painting (see start_dialog.h).
#include "show/start_dialog.h"

#include <cassert>
#include <cstddef>
#include <iterator>

namespace {

// The shipped template's controls: the button fills the dialog.
constexpr DialogControl kStartControls[] = {
    {DialogControlKind::kPushButton, kIdOk, "merry xmas", 0, 0, 140, 15},
};

// Colours of the dialog.
constexpr Pixel kFace = 0x00D4D0C8;       // dialog and button face
constexpr Pixel kHighlight = 0x00FFFFFF;  // lit edges
constexpr Pixel kShadow = 0x00808080;     // shaded edges
constexpr Pixel kDark = 0x00404040;       // outer shaded edges, focus dots, check mark
constexpr Pixel kBoxFill = 0x00FFFFFF;    // inside a check box
constexpr Pixel kText = 0x00B00000;       // labels: a festive red
constexpr int kBoxSize = 13;              // check box square, in pixels

// The control's index, or -1 when the template has no control of that id.
int controlIndex(const StartDialog &dialog, int id) {
    const DialogTemplate &t = *dialog.dialogTemplate;
    for (int i = 0; i < t.controlCount; ++i)
        if (t.controls[i].id == id) return i;
    return -1;
}

// A pixel rectangle.
struct Rect {
    int x, y, width, height;
};

// A control's rectangle in pixels.
Rect controlRect(const DialogControl &c) {
    return {c.x * kDialogUnitPixels, c.y * kDialogUnitPixels, c.width * kDialogUnitPixels,
            c.height * kDialogUnitPixels};
}

// Sends the procedure the command of control id.
void command(StartDialog &dialog, int id) {
    startDialogProcedure(startDialogHost(dialog), *dialog.settings, DialogMessage::kCommand, id);
}

// What activating control i does: a check box toggles first; both send their command.
void activate(StartDialog &dialog, int i) {
    const DialogControl &c = dialog.dialogTemplate->controls[i];
    if (c.kind == DialogControlKind::kCheckBox) dialog.checked[i] = !dialog.checked[i];
    command(dialog, c.id);
}

// A drawing surface: the dialog's pixels.
struct Canvas {
    Pixel *pixels;
    int width, height;
    void put(int x, int y, Pixel colour) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[y * width + x] = colour;
    }
    void fill(Rect r, Pixel colour) {
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) put(x, y, colour);
    }
    void hline(int x0, int x1, int y, Pixel colour) {
        for (int x = x0; x <= x1; ++x) put(x, y, colour);
    }
    void vline(int x, int y0, int y1, Pixel colour) {
        for (int y = y0; y <= y1; ++y) put(x, y, colour);
    }
    // A raised 3D border: lit top and left, shaded bottom and right.
    void raised(Rect r) {
        const int right = r.x + r.width - 1, bottom = r.y + r.height - 1;
        hline(r.x, right, r.y, kHighlight);
        vline(r.x, r.y, bottom, kHighlight);
        hline(r.x, right, bottom, kDark);
        vline(right, r.y, bottom, kDark);
        hline(r.x + 1, right - 1, bottom - 1, kShadow);
        vline(right - 1, r.y + 1, bottom - 1, kShadow);
    }
    // A dotted focus rectangle.
    void dotted(Rect r) {
        const int right = r.x + r.width - 1, bottom = r.y + r.height - 1;
        for (int x = r.x; x <= right; x += 2) put(x, r.y, kDark), put(x, bottom, kDark);
        for (int y = r.y; y <= bottom; y += 2) put(r.x, y, kDark), put(right, y, kDark);
    }
};

// Text in the font's glyphs, in one colour. The marker row of the font picture is left out.
void paintText(Canvas &canvas, const BitmapFont &font, const Pixel *picture, const char *text,
               int x, int y) {
    for (const char *c = text; *c; ++c) {
        const int g = BitmapFont::glyphIndex(*c);
        if (g >= font.glyphCount) continue;
        const Glyph &glyph = font.glyphs[g];
        const int w = glyph.end - glyph.start;
        for (int r = 1; r < BitmapFont::kGlyphRows; ++r)
            for (int k = 0; k < w; ++k)
                if (picture[r * BitmapFont::kFontStride + glyph.start + k] == 0)
                    canvas.put(x + k, y + r - 1, kText);
        x += w;
    }
}

constexpr int kTextHeight = BitmapFont::kGlyphRows - 1;  // rows paintText draws

}  // namespace

const DialogTemplate kStartDialogTemplate = {140, 16, kStartControls, 1};
static_assert(std::size(kStartControls) <= kMaxDialogControls,
              "the dialog holds too many controls");

// ---------------------------------------------------------------- the running dialog

// Focus starts on the first control; the procedure gets its init message.
StartDialog startDialogCreate(const DialogTemplate *dialogTemplate, ShowSettings *settings) {
    assert(dialogTemplate->controlCount <= kMaxDialogControls &&
           "dialog template has too many controls");
    StartDialog dialog;
    dialog.dialogTemplate = dialogTemplate;
    dialog.settings = settings;
    startDialogProcedure(startDialogHost(dialog), *settings, DialogMessage::kInitDialog, 0);
    return dialog;
}

// Init ticks the boxes from the settings; commands, by the low 16 bits of their id, end the
// dialog or read a box back.
bool startDialogProcedure(const DialogHost &host, ShowSettings &settings, DialogMessage message,
                          int id) {
    if (message == DialogMessage::kInitDialog) {
        host.checkDlgButton(host.user, kIdFullscreen, settings.fullscreen ? 1 : 0);
        host.checkDlgButton(host.user, kIdSound, settings.sound ? 1 : 0);
        return true;
    }
    switch (id & 0xFFFF) {
    case kIdOk:
        host.endDialog(host.user, 1);
        break;
    case kIdCancel:
        host.endDialog(host.user, 0);
        break;
    case kIdSound:
        settings.sound = host.isDlgButtonChecked(host.user, kIdSound) == 1;
        break;
    case kIdFullscreen:
        settings.fullscreen = host.isDlgButtonChecked(host.user, kIdFullscreen) == 1;
        break;
    default:
        break;
    }
    return false;
}

// Sets a check box; a missing control is ignored.
void checkDlgButton(StartDialog &dialog, int id, int state) {
    const int i = controlIndex(dialog, id);
    if (i >= 0) dialog.checked[i] = state != 0;
}

// 1 when the check box is ticked, 0 otherwise or when there is none.
int isDlgButtonChecked(const StartDialog &dialog, int id) {
    const int i = controlIndex(dialog, id);
    return i >= 0 && dialog.checked[i] ? 1 : 0;
}

// Ends the modal loop with result.
void endDialog(StartDialog &dialog, int result) {
    dialog.ended = true;
    dialog.result = result;
}

// The three services over dialog.
DialogHost startDialogHost(StartDialog &dialog) {
    return {&dialog,
            [](void *user, int id, int state) {
                checkDlgButton(*static_cast<StartDialog *>(user), id, state);
            },
            [](void *user, int id) {
                return isDlgButtonChecked(*static_cast<StartDialog *>(user), id);
            },
            [](void *user, int result) { endDialog(*static_cast<StartDialog *>(user), result); }};
}

// ---------------------------------------------------------------- input

// Keys as a dialog box answers them.
void dialogKey(StartDialog &dialog, DialogKey key) {
    const int count = dialog.dialogTemplate->controlCount;
    switch (key) {
    case DialogKey::kEnter:
        command(dialog, kIdOk);
        break;
    case DialogKey::kEscape:
        command(dialog, kIdCancel);
        break;
    case DialogKey::kSpace:
        if (count > 0) activate(dialog, dialog.focus);
        break;
    case DialogKey::kTab:
        if (count > 0) dialog.focus = (dialog.focus + 1) % count;
        break;
    }
}

// The control under the click gets the focus and is activated.
void dialogClick(StartDialog &dialog, int x, int y) {
    const DialogTemplate &t = *dialog.dialogTemplate;
    for (int i = 0; i < t.controlCount; ++i) {
        const Rect r = controlRect(t.controls[i]);
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
            dialog.focus = i;
            activate(dialog, i);
            return;
        }
    }
}

// Closing a dialog box is its Cancel.
void dialogClose(StartDialog &dialog) {
    command(dialog, kIdCancel);
}

// ---------------------------------------------------------------- painting

// Two pixels per dialog unit, across and down.
int dialogPixelWidth(const DialogTemplate &t) {
    return t.width * kDialogUnitPixels;
}
int dialogPixelHeight(const DialogTemplate &t) {
    return t.height * kDialogUnitPixels;
}

// The sum of the glyphs' widths.
int textPixelWidth(const BitmapFont &font, const char *text) {
    int width = 0;
    for (const char *c = text; *c; ++c) {
        const int g = BitmapFont::glyphIndex(*c);
        if (g < font.glyphCount) width += font.glyphs[g].end - font.glyphs[g].start;
    }
    return width;
}

// Face, then each control: raised buttons with centred labels, check boxes with their tick.
void paintDialog(const StartDialog &dialog, const BitmapFont &font, const Pixel *fontPicture,
                 Pixel *target) {
    const DialogTemplate &t = *dialog.dialogTemplate;
    Canvas canvas{target, dialogPixelWidth(t), dialogPixelHeight(t)};
    canvas.fill({0, 0, canvas.width, canvas.height}, kFace);
    for (int i = 0; i < t.controlCount; ++i) {
        const DialogControl &c = t.controls[i];
        const Rect r = controlRect(c);
        const int textWidth = textPixelWidth(font, c.text);
        if (c.kind == DialogControlKind::kPushButton) {
            canvas.raised(r);
            const int x = r.x + (r.width - textWidth) / 2, y = r.y + (r.height - kTextHeight) / 2;
            paintText(canvas, font, fontPicture, c.text, x, y);
            if (dialog.focus == i) canvas.dotted({x - 3, y - 1, textWidth + 6, kTextHeight + 2});
        } else {
            const Rect box = {r.x + 2, r.y + (r.height - kBoxSize) / 2, kBoxSize, kBoxSize};
            canvas.fill(box, kBoxFill);
            canvas.hline(box.x, box.x + kBoxSize - 1, box.y, kShadow);
            canvas.vline(box.x, box.y, box.y + kBoxSize - 1, kShadow);
            if (dialog.checked[i]) {
                for (int k = 0; k < 3; ++k)
                    canvas.vline(box.x + 3 + k, box.y + 5 + k, box.y + 7 + k, kDark);
                for (int k = 0; k < 4; ++k)
                    canvas.vline(box.x + 6 + k, box.y + 6 - k, box.y + 8 - k, kDark);
            }
            const int x = box.x + kBoxSize + 4, y = r.y + (r.height - kTextHeight) / 2;
            paintText(canvas, font, fontPicture, c.text, x, y);
            if (dialog.focus == i) canvas.dotted({x - 2, y - 1, textWidth + 4, kTextHeight + 2});
        }
    }
}
