// The Wayland side of the SDL2 platform: SDL 2.26 crashes in its own video start-up on a
// compositor without the globals it takes for granted (a headless one has no seat), so they
// are looked for first, over a short connection of our own. Needs: wayland-client.
#include "platform/sdl2/sdl2_platform.h"

#include <wayland-client.h>

#include <cstring>

namespace {

// The globals SDL needs, in the order they are reported missing.
constexpr const char *kNeeded[] = {"wl_compositor", "xdg_wm_base", "wl_seat", "wl_output"};
constexpr int kNeededCount = sizeof kNeeded / sizeof kNeeded[0];

// Which of them the compositor announced.
struct Announced {
    bool seen[kNeededCount] = {};
};

void onGlobal(void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
    Announced &announced = *static_cast<Announced *>(data);
    for (int i = 0; i < kNeededCount; ++i)
        if (std::strcmp(interface, kNeeded[i]) == 0) announced.seen[i] = true;
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

constexpr wl_registry_listener kListener = {onGlobal, onGlobalRemove};

}  // namespace

// One round trip answers with every global the compositor has.
const char *sdl2WaylandLacks() {
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr) return "a connection";
    Announced announced;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &announced);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!answered) return "an answer";
    for (int i = 0; i < kNeededCount; ++i)
        if (!announced.seen[i]) return kNeeded[i];
    return nullptr;
}
