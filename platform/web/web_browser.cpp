// The page's calls (see web_browser.h), in JavaScript on emscripten's EM_JS, most of them
// reaching the page's own code (web_page.js). The waits (the frames' run, input, fetches, the
// music) suspend the program's one blocking routine under ASYNCIFY (EM_ASYNC_JS) and resume it
// when the browser has the answer. Each is called through a function of this file: emscripten's
// linker keeps an EM_ASYNC_JS only for calls from its own object file.
#include "platform/web/web_browser.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, browserStart, (int width, int height), {
    const page = glaxenPage;
    page.canvas.width = width;
    page.canvas.height = height;
    // The test mode reads its canvas back: Chromium keeps such a canvas in memory.
    page.context = page.canvas.getContext("2d", {
        alpha: false, willReadFrequently: new URLSearchParams(location.search).has("test")});
});

// The frame's pixels wrapped once as an ImageData over the heap, again only when the heap moves.
EM_JS(void, browserPutPixels, (const uint32_t *rgba, int width, int height), {
    const page = glaxenPage;
    ++page.shownFrames;
    if (page.timings) page.marks[4] = performance.now();
    let image = page.image;
    if (!image || page.imageAt !== rgba || image.data.buffer !== HEAPU8.buffer) {
        image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
        page.image = image;
        page.imageAt = rgba;
    }
    page.context.putImageData(image, 0, 0);
    if (page.timings) {
        const marks = page.marks;
        marks[5] = performance.now();
        if (marks[0]) page.frames.push([marks[5] - marks[0], marks[2] - marks[1], marks[4] - marks[3], marks[5] - marks[4], marks[5]]);
        marks.fill(0);
    }
});

// The frames are called from the page's own callbacks, while the routine that asked for them
// stays suspended: a frame itself never waits.
EM_ASYNC_JS(void, browserRunFramesJs, (int frame, void *user, int paced), {
    const page = glaxenPage;
    const call = getWasmTableEntry(frame);
    const unpacedRun = 30;  // frames between the page's turns when unpaced
    await new Promise((resolve) => {
        const atAnimationFrame = () => {
            if (page.timings) page.marks[0] = performance.now();
            if (call(user)) requestAnimationFrame(atAnimationFrame); else resolve();
        };
        const unpaced = () => {
            for (let i = 0; i < unpacedRun; ++i) if (!call(user)) return resolve();
            setTimeout(unpaced, 0);
        };
        if (paced) requestAnimationFrame(atAnimationFrame); else unpaced();
    });
});

EM_ASYNC_JS(int, browserNextInputJs, (int *x, int *y), {
    const page = glaxenPage;
    while (page.inputs.length === 0) await new Promise((resolve) => { page.wake = resolve; });
    page.wake = null;
    const input = page.inputs.shift();
    HEAP32[x >> 2] = input.x;
    HEAP32[y >> 2] = input.y;
    return input.kind;
});

EM_JS(void, browserSetPhaseJs, (int phase), {
    glaxenPage.setPhase(phase);
});

EM_JS(void, browserEndShow, (), {
    glaxenPage.endShow();
});

EM_JS(int, browserTakeEscapeJs, (), {
    const escape = glaxenPage.escape;
    glaxenPage.escape = false;
    return escape ? 1 : 0;
});

EM_JS(void, browserEnterFullscreen, (), {
    const page = glaxenPage;
    if (!page.stage.requestFullscreen || page.fullscreenShow || document.fullscreenElement) return;
    page.fullscreenShow = true;
    page.stage.requestFullscreen().catch(() => { page.fullscreenShow = false; });
});

EM_JS(double, browserNow, (), {
    return performance.now();
});

EM_JS(double, browserCalendarSeconds, (), {
    return Date.now() / 1000;
});

// The parameter's UTF-8 bytes, or -1 when it is absent; then the bytes themselves.
EM_JS(int, browserParameterLength, (const char *name), {
    const value = new URLSearchParams(location.search).get(UTF8ToString(name));
    return value === null ? -1 : lengthBytesUTF8(value);
});
EM_JS(void, browserParameterCopy, (const char *name, char *out, int size), {
    stringToUTF8(new URLSearchParams(location.search).get(UTF8ToString(name)), out, size);
});

EM_ASYNC_JS(int, browserFetchFileJs, (const char *name), {
    const path = UTF8ToString(name);
    let url;
    try {
        url = new URL(path, location.href);
    } catch (error) {
        return -3;
    }
    if (url.origin !== location.origin) return -3;
    try {
        const response = await fetch(url);
        if (!response.ok) return response.status;
        const folder = path.substring(0, path.lastIndexOf("/"));
        if (folder) FS.mkdirTree(folder);
        FS.writeFile(path, new Uint8Array(await response.arrayBuffer()));
        return 200;
    } catch (error) {
        return -1;
    }
});

EM_JS(void, browserShowCursorJs, (int visible), {
    glaxenPage.canvas.style.cursor = visible ? "" : "none";
});

EM_JS(void, browserCaptureFrame, (uint32_t k), {
    const page = glaxenPage;
    page.captured[k] = page.context.getImageData(0, 0, page.canvas.width, page.canvas.height).data;
});

EM_JS(void, browserMark, (int part), {
    if (glaxenPage.timings) glaxenPage.marks[part] = performance.now();
});

// ---------------------------------------------------------------- the music's download

EM_JS(void, browserMusicFetch, (const char *name), {
    glaxenPage.fetchMusic(UTF8ToString(name));
});

EM_JS(int, browserMusicRead, (double offset, void *out, int size), {
    const music = glaxenPage.music;
    const n = Math.max(0, Math.min(size, music.arrived - offset));
    HEAPU8.set(music.bytes.subarray(offset, offset + n), out);
    return n;
});

EM_JS(double, browserMusicArrived, (), {
    return glaxenPage.music.arrived;
});

EM_JS(int, browserMusicCompleteJs, (), {
    return glaxenPage.music.complete ? 1 : 0;
});

EM_JS(int, browserMusicError, (), {
    return glaxenPage.music.error || 0;
});

EM_JS(void, browserMusicRejected, (), {
    glaxenPage.music.rejected = true;
});

EM_JS(int, browserMusicKeepsAheadJs, (double bytesPerSecond), {
    return glaxenPage.musicKeepsAhead(bytesPerSecond) ? 1 : 0;
});

EM_ASYNC_JS(void, browserWaitMusicJs, (), {
    const page = glaxenPage;
    await new Promise((resolve) => {
        page.wake = resolve;
        setTimeout(resolve, 250);
    });
    page.wake = null;
});

// ---------------------------------------------------------------- Web Audio

EM_JS(int, browserAudioAvailableJs, (), {
    return globalThis.AudioContext || globalThis.webkitAudioContext ? 1 : 0;
});

EM_JS(int, browserAudioPlayJs, (), {
    return glaxenPage.audioPlay() ? 1 : 0;
});

EM_JS(void, browserAudioQueue, (const float *left, const float *right, int frames), {
    glaxenPage.audioQueue(left, right, frames);
});

EM_JS(double, browserAudioQueued, (), {
    return glaxenPage.audioQueued();
});

EM_JS(double, browserAudioHeardFrame, (), {
    return glaxenPage.audioHeardFrame();
});

EM_JS(void, browserAudioStop, (), {
    glaxenPage.audioStop();
});

EM_JS(void, browserAudioClose, (), {
    glaxenPage.audioClose();
});

EM_JS(void, browserAudioSetGain, (double gain), {
    if (glaxenPage.audio) glaxenPage.audio.gain.gain.value = gain;
});
// clang-format on

// ---------------------------------------------------------------- the calls as C++ sees them

// Thin wrappers: C++ types over the JavaScript functions' numbers, and the waits called from
// this file.
extern "C" {

void browserRunFrames(bool (*frame)(void *user), void *user, bool paced) {
    browserRunFramesJs(static_cast<int>(reinterpret_cast<intptr_t>(frame)), user, paced ? 1 : 0);
}

int browserFetchFile(const char *path) {
    return browserFetchFileJs(path);
}

BrowserInput browserNextInput(int *x, int *y) {
    return static_cast<BrowserInput>(browserNextInputJs(x, y));
}

void browserSetPhase(BrowserPhase phase) {
    browserSetPhaseJs(static_cast<int>(phase));
}

bool browserTakeEscape() {
    return browserTakeEscapeJs() != 0;
}

void browserShowCursor(bool visible) {
    browserShowCursorJs(visible ? 1 : 0);
}

bool browserMusicComplete() {
    return browserMusicCompleteJs() != 0;
}

bool browserMusicKeepsAhead(double bytesPerSecond) {
    return browserMusicKeepsAheadJs(bytesPerSecond) != 0;
}

void browserWaitMusic() {
    browserWaitMusicJs();
}

bool browserAudioAvailable() {
    return browserAudioAvailableJs() != 0;
}

bool browserAudioPlay() {
    return browserAudioPlayJs() != 0;
}

}  // extern "C"

// The length first, then the bytes, however many.
bool browserParameter(const char *name, std::string &value) {
    const int length = browserParameterLength(name);
    if (length < 0) return false;
    value.assign(static_cast<size_t>(length) + 1, '\0');
    browserParameterCopy(name, value.data(), length + 1);
    value.resize(static_cast<size_t>(length));
    return true;
}
