// The start dialog on the canvas: the show's own dialog, painted by the core and put in the
// middle of a black canvas, answering Enter, Space, Tab and clicks. A page has no exit, so
// Escape leaves the dialog where it is: it ends only with the show started.
#include "platform/web/web_browser.h"
#include "platform/web/web_platform.h"
#include "show/show_frame.h"
#include "show/start_dialog.h"

#include <algorithm>
#include <vector>

namespace {

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

}  // namespace

// Painted again after every key and click; the canvas shows the show's frames next.
int webStartDialog(WebPlatform &, ShowSettings *settings) {
    const DialogTemplate &t = kStartDialogTemplate;
    const int width = dialogPixelWidth(t), height = dialogPixelHeight(t);
    const int left = (kScreenWidth - width) / 2, top = (kScreenHeight - height) / 2;

    std::vector<Pixel> fontPicture(kFontWidth * kFontHeight);
    BitmapFont font;
    loadShowFont(fontPicture.data(), font, width, height);
    std::vector<Pixel> pixels(static_cast<size_t>(width) * height);
    std::vector<uint32_t> canvas(static_cast<size_t>(kScreenWidth) * kScreenHeight);

    StartDialog dialog = startDialogCreate(&t, settings);
    browserClearInputs();
    while (!dialog.ended) {
        paintDialog(dialog, font, fontPicture.data(), pixels.data());
        std::fill(canvas.begin(), canvas.end(), 0u);
        for (int y = 0; y < height; ++y)
            std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * width, width,
                        canvas.begin() + static_cast<ptrdiff_t>(top + y) * kScreenWidth + left);
        convertPixelsRgba(canvas.data(), static_cast<int>(canvas.size()));
        browserPutPixels(canvas.data(), kScreenWidth, kScreenHeight);
        int x = 0, y = 0;
        const BrowserInput input = browserNextInput(&x, &y);
        if (input == BrowserInput::kClick)
            dialogClick(dialog, x - left, y - top);
        else
            dialogKey(dialog, dialogKeyOf(input));
    }
    browserTakeEscape();  // an Escape pressed at the dialog does not end the show it starts
    return dialog.result;
}
