// web_frame_loop: the work of one of the page's frames, without music: the core's frame, the
// RGBA pass into the target, the canvas. Built twice: with the browser driving the loop
// (emscripten_set_main_loop) and no ASYNCIFY; and, as web_frame_wait (GLAXEN_FRAME_WAIT), in
// one blocking loop that ASYNCIFY suspends at every animation frame. web_bench.mjs sets the two
// against each other, and against the page, whose frames the browser drives.
#include "common/random.h"
#include "display/pixel_converters.h"
#include "show/show_frame.h"

#include <emscripten.h>

#include <vector>

// clang-format off
EM_JS(void, putFrame, (const uint32_t *rgba, int width, int height), {
    const page = globalThis.frameLoop ||= {canvas: document.createElement("canvas"), frames: 0};
    if (!page.context) {
        page.canvas.width = width;
        page.canvas.height = height;
        document.body.appendChild(page.canvas);
        page.context = page.canvas.getContext("2d", {alpha: false});
        page.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    }
    page.context.putImageData(page.image, 0, 0);
    ++page.frames;
});

EM_JS(double, nowMs, (), {
    return performance.now();
});

#ifdef GLAXEN_FRAME_WAIT
EM_ASYNC_JS(void, nextAnimationFrame, (), {
    await new Promise((resolve) => requestAnimationFrame(resolve));
});
#endif
// clang-format on

namespace {

// What the loop keeps between frames.
struct Loop {
    BitmapFont font;
    LineSwarm swarm;
    std::vector<uint32_t> target;
    double start = 0;
};
Loop loop;

// One frame, as the page's show makes it with no spectrum.
void frame() {
    ShowBuffers &b = showBuffers();
    const auto t = static_cast<int32_t>(nowMs() - loop.start);
    renderShowFrame(b, loop.font, loop.swarm, t, t);
    convertPixelsRgba(loop.target.data(), b.frame, kScreenPixels);
    putFrame(loop.target.data(), kScreenWidth, kScreenHeight);
}

}  // namespace

// The show's start-up with a fixed seed, then a frame each animation frame.
int main() {
    resetShowBuffers();
    seedRandom(2412);
    preparePictures(showBuffers(), loop.font);
    loop.swarm.init(kScreenWidth, kScreenHeight);
    loop.target.assign(kScreenPixels, 0);
    loop.start = nowMs();
#ifdef GLAXEN_FRAME_WAIT
    for (;;) {
        frame();
        nextAnimationFrame();
    }
#else
    emscripten_set_main_loop(frame, 0, false);
#endif
}
