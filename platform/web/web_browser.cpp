// The page's calls (see web_browser.h), in JavaScript on emscripten's EM_JS. The waits
// (animation frames, input, fetches) suspend the show's one blocking routine under ASYNCIFY
// (EM_ASYNC_JS) and resume it when the browser has the answer. Each is called through a
// function of this file: emscripten's linker keeps an EM_ASYNC_JS only for calls from its own
// object file.
#include "platform/web/web_browser.h"

#include <emscripten.h>

// clang-format off
EM_JS(void, browserStartJs, (int width, int height), {
    const canvas = document.getElementById("screen");
    canvas.width = width;
    canvas.height = height;
    const page = {
        canvas: canvas,
        // The test mode reads its canvas back: Chromium keeps such a canvas in memory.
        context: canvas.getContext("2d", {
            alpha: false, willReadFrequently: new URLSearchParams(location.search).has("test")}),
        inputs: [], wake: null, escape: false, fullscreenShow: false, captured: {}, audio: null,
        // For the benchmarks, when the page is loaded with ?timings: when each frame went on the
        // canvas, and how long the show took to compute it after the animation frame it waited for.
        timings: new URLSearchParams(location.search).has("timings"),
        putTimes: [], computeTimes: [], resumedAt: 0,
        shownFrames: 0,  // everything put on the canvas, counted
    };
    globalThis.glaxenPage = page;
    const push = (input) => {
        page.inputs.push(input);
        if (page.wake) page.wake();
    };
    const keys = {Enter: 1, NumpadEnter: 1, Space: 2, Tab: 3};
    window.addEventListener("keydown", (event) => {
        if (event.code === "Escape") {
            page.escape = true;
        } else if (event.code in keys) {
            if (!event.repeat) push({kind: keys[event.code], x: 0, y: 0});
        } else {
            return;
        }
        event.preventDefault();
    });
    // The canvas is letterboxed inside its box (object-fit: contain): a click maps back to the
    // picture's own pixels.
    canvas.addEventListener("click", (event) => {
        const box = canvas.getBoundingClientRect();
        const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
        const x = (event.clientX - box.left - (box.width - canvas.width * scale) / 2) / scale;
        const y = (event.clientY - box.top - (box.height - canvas.height * scale) / 2) / scale;
        push({kind: 4, x: Math.floor(x), y: Math.floor(y)});
    });
    document.addEventListener("fullscreenchange", () => {
        if (document.fullscreenElement || !page.fullscreenShow) return;
        page.fullscreenShow = false;
        page.escape = true;
    });
});

EM_JS(void, browserPutPixels, (const uint32_t *rgba, int width, int height), {
    const page = glaxenPage;
    ++page.shownFrames;
    if (page.timings) {
        const now = performance.now();
        page.putTimes.push(now);
        if (page.resumedAt) page.computeTimes.push(now - page.resumedAt);
        page.resumedAt = 0;
    }
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    page.context.putImageData(new ImageData(bytes, width, height), 0, 0);
});

EM_ASYNC_JS(void, browserNextAnimationFrameJs, (), {
    await new Promise((resolve) => requestAnimationFrame(resolve));
    if (glaxenPage.timings) glaxenPage.resumedAt = performance.now();
});

EM_ASYNC_JS(void, browserYieldJs, (), {
    await new Promise((resolve) => setTimeout(resolve, 0));
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

EM_JS(void, browserClearInputs, (), {
    glaxenPage.inputs = [];
});

EM_JS(int, browserTakeEscapeJs, (), {
    const escape = glaxenPage.escape;
    glaxenPage.escape = false;
    return escape ? 1 : 0;
});

EM_JS(void, browserEnterFullscreen, (), {
    const page = glaxenPage;
    if (!page.canvas.requestFullscreen) return;
    page.fullscreenShow = true;
    page.canvas.requestFullscreen().catch(() => { page.fullscreenShow = false; });
});

EM_JS(void, browserLeaveFullscreen, (), {
    glaxenPage.fullscreenShow = false;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
});

EM_JS(double, browserNow, (), {
    return performance.now();
});

EM_JS(double, browserCalendarSeconds, (), {
    return Date.now() / 1000;
});

EM_JS(int, browserParameterJs, (const char *name, char *out, int size), {
    const value = new URLSearchParams(location.search).get(UTF8ToString(name));
    if (value === null) return 0;
    stringToUTF8(value, out, size);
    return 1;
});

EM_ASYNC_JS(int, browserFetchFileJs, (const char *name), {
    const path = UTF8ToString(name);
    try {
        const response = await fetch(path);
        if (!response.ok) return response.status;
        FS.writeFile(path, new Uint8Array(await response.arrayBuffer()));
        return 200;
    } catch (error) {
        return 0;
    }
});

EM_JS(void, browserShowCursorJs, (int visible), {
    glaxenPage.canvas.style.cursor = visible ? "" : "none";
});

EM_JS(void, browserCaptureFrame, (uint32_t k), {
    const page = glaxenPage;
    page.captured[k] = page.context.getImageData(0, 0, page.canvas.width, page.canvas.height).data;
});

// ---------------------------------------------------------------- Web Audio

EM_JS(int, browserAudioOpenJs, (), {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) return 0;
    try {
        const context = new Context();
        const gain = context.createGain();
        gain.connect(context.destination);
        glaxenPage.audio = {context: context, gain: gain, stream: null, source: null, start: 0,
                            held: null};
        return 1;
    } catch (error) {
        return 0;
    }
});

EM_JS(int, browserAudioSetStreamJs, (const float *left, const float *right, int frames, int rate), {
    const audio = glaxenPage.audio;
    try {
        const stream = audio.context.createBuffer(2, frames, rate);
        stream.copyToChannel(new Float32Array(HEAPF32.buffer, left, frames), 0);
        stream.copyToChannel(new Float32Array(HEAPF32.buffer, right, frames), 1);
        audio.stream = stream;
        return 1;
    } catch (error) {
        return 0;
    }
});

EM_JS(void, browserAudioSetGain, (double gain), {
    glaxenPage.audio.gain.gain.value = gain;
});

EM_JS(void, browserAudioPlay, (), {
    const audio = glaxenPage.audio;
    audio.context.resume().catch(() => {});
    const source = audio.context.createBufferSource();
    source.buffer = audio.stream;
    source.connect(audio.gain);
    audio.start = audio.context.currentTime;
    source.start(audio.start);
    audio.source = source;
    audio.held = null;
});

// The context's time at the output now: its output timestamp moved on by the time since it
// was taken while the context runs (currentTime alone moves in jumps of 10-20 ms).
EM_JS(double, browserAudioHeardSeconds, (), {
    const audio = glaxenPage.audio;
    if (!audio || !audio.source) return -1;
    if (audio.held !== null) return audio.held;
    const context = audio.context;
    let now = context.currentTime - (context.outputLatency || 0);
    if (context.getOutputTimestamp) {
        const stamp = context.getOutputTimestamp();
        if (stamp.performanceTime > 0) {
            now = stamp.contextTime;
            if (context.state === "running")
                now += (performance.now() - stamp.performanceTime) / 1000;
        }
    }
    return now - audio.start;
});

EM_JS(void, browserAudioStop, (), {
    const audio = glaxenPage.audio;
    if (!audio || !audio.source) return;
    audio.held = null;
    audio.held = browserAudioHeardSeconds();
    audio.source.stop();
});

EM_JS(void, browserAudioClose, (), {
    const audio = glaxenPage.audio;
    if (!audio) return;
    audio.context.close().catch(() => {});
    glaxenPage.audio = null;
});
// clang-format on

// ---------------------------------------------------------------- the calls as C++ sees them

// Thin wrappers: C++ types over the JavaScript functions' numbers, and the waits called from
// this file.
extern "C" {

void browserStart(int width, int height) {
    browserStartJs(width, height);
}

void browserNextAnimationFrame() {
    browserNextAnimationFrameJs();
}

void browserYield() {
    browserYieldJs();
}

int browserFetchFile(const char *name) {
    return browserFetchFileJs(name);
}

BrowserInput browserNextInput(int *x, int *y) {
    return static_cast<BrowserInput>(browserNextInputJs(x, y));
}

bool browserTakeEscape() {
    return browserTakeEscapeJs() != 0;
}

void browserShowCursor(bool visible) {
    browserShowCursorJs(visible ? 1 : 0);
}

bool browserParameter(const char *name, char *out, int size) {
    return browserParameterJs(name, out, size) != 0;
}

bool browserAudioOpen() {
    return browserAudioOpenJs() != 0;
}

bool browserAudioSetStream(const float *left, const float *right, int frames, int rate) {
    return browserAudioSetStreamJs(left, right, frames, rate) != 0;
}

}  // extern "C"
