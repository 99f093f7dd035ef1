// The start dialog on the canvas: the show's own dialog, painted by the core and put in the
// middle of a black canvas, answering Enter, Space, Tab, clicks and taps, including those made
// before it was shown. A page has no exit, so Escape leaves the dialog where it is: it ends only
// with the show started, and the show then starts once its music can play from its first frame
// (Escape meanwhile calls the start off). The page asks, inside the handler of each input,
// whether the input starts the show, so that the gesture's handler can do what only a gesture's
// handler may (start the audio, ask for full screen).
#include "platform/web/web_browser.h"
#include "platform/web/web_platform.h"
#include "show/show_frame.h"
#include "show/start_dialog.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

namespace {

WebPlatform *shown = nullptr;  // the platform whose dialog is on the canvas

// The dialog's key for a key the page reports.
DialogKey dialogKeyOf(BrowserInput input) {
    switch (input) {
    case BrowserInput::kSpace:
        return DialogKey::kSpace;
    case BrowserInput::kTab:
        return DialogKey::kTab;
    default:
        return DialogKey::kEnter;
    }
}

// Where the dialog sits on the canvas: in the middle.
int dialogLeft() {
    return (kScreenWidth - dialogPixelWidth(kStartDialogTemplate)) / 2;
}
int dialogTop() {
    return (kScreenHeight - dialogPixelHeight(kStartDialogTemplate)) / 2;
}

// Hands the dialog one input.
void apply(StartDialog &dialog, BrowserInput input, int x, int y) {
    if (input == BrowserInput::kClick)
        dialogClick(dialog, x - dialogLeft(), y - dialogTop());
    else
        dialogKey(dialog, dialogKeyOf(input));
}

// Waits until the music can play from its first frame and keeps up with its download, or will
// not play at all (the show then runs silent); false when Escape calls the start off.
bool musicReady(WebPlatform &p) {
    for (;;) {
        const AudioStreamState state = audioStreamArrive(p.audio);
        if (state == AudioStreamState::kNone) return true;
        const VorbisMusicSource source = vorbisMusicSource(p.audio.stream.music);
        if (state == AudioStreamState::kPlayable && browserMusicKeepsAhead(source.bitrate / 8.0))
            return true;
        if (browserTakeEscape()) return false;
        browserWaitMusic();
    }
}

}  // namespace

// Whether the input would end the dialog with the show started, asked of a copy of it.
extern "C" EMSCRIPTEN_KEEPALIVE int glaxenDialogStarts(int input, int x, int y) {
    if (shown == nullptr) return 0;
    ShowSettings scratch = shown->settings;
    StartDialog trial = shown->dialog;
    trial.settings = &scratch;
    apply(trial, static_cast<BrowserInput>(input), x, y);
    return trial.ended && trial.result != 0 ? 1 : 0;
}

// Painted again after every input; the canvas shows the show's frames next.
int webStartDialog(WebPlatform &p, ShowSettings *settings) {
    const DialogTemplate &t = kStartDialogTemplate;
    const int width = dialogPixelWidth(t), height = dialogPixelHeight(t);

    std::vector<Pixel> fontPicture(kFontWidth * kFontHeight);
    BitmapFont font;
    loadShowFont(fontPicture.data(), font, width, height);
    std::vector<Pixel> pixels(static_cast<size_t>(width) * height);
    std::vector<uint32_t> canvas(static_cast<size_t>(kScreenWidth) * kScreenHeight);

    for (;;) {
        p.settings = *settings;
        p.dialog = startDialogCreate(&t, &p.settings);
        shown = &p;
        browserSetPhase(BrowserPhase::kDialog);
        while (!p.dialog.ended) {
            paintDialog(p.dialog, font, fontPicture.data(), pixels.data());
            std::fill(canvas.begin(), canvas.end(), 0u);
            for (int y = 0; y < height; ++y)
                std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * width, width,
                            canvas.begin() +
                                static_cast<ptrdiff_t>(dialogTop() + y) * kScreenWidth +
                                dialogLeft());
            convertPixelsRgba(canvas.data(), canvas.data(), static_cast<int>(canvas.size()));
            browserPutPixels(canvas.data(), kScreenWidth, kScreenHeight);
            int x = 0, y = 0;
            const BrowserInput input = browserNextInput(&x, &y);
            apply(p.dialog, input, x, y);
        }
        shown = nullptr;
        browserTakeEscape();  // an Escape pressed at the dialog does not call the start off
        browserSetPhase(BrowserPhase::kWaiting);
        if (p.dialog.result == 0 || musicReady(p)) break;
        browserEndShow();
    }
    *settings = p.settings;
    browserTakeEscape();  // nor does it end the show it starts
    return p.dialog.result;
}
