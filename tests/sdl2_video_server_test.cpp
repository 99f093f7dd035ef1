// Which display server SDL's video start-up will talk to, from SDL_VIDEODRIVER, DISPLAY and
// WAYLAND_DISPLAY: the Wayland check runs only when SDL would go there.
#include "platform/sdl2/sdl2_platform.h"

#include <gtest/gtest.h>

TEST(Sdl2VideoServer, FromTheDriverListAndTheServers) {
    using S = Sdl2VideoServer;
    const struct {
        const char *name;
        const char *drivers, *display, *wayland;
        Sdl2VideoServer want;
    } cases[] = {
        {"no server", nullptr, nullptr, nullptr, S::kNone},
        {"empty variables are no server", "", "", "", S::kNone},
        {"X11 only", nullptr, ":0", nullptr, S::kX11},
        {"Wayland only", nullptr, nullptr, "wayland-0", S::kWayland},
        {"both: SDL 2's own order takes X11", nullptr, ":0", "wayland-0", S::kX11},
        {"both, Wayland asked for", "wayland", ":0", "wayland-0", S::kWayland},
        {"names without regard to case", "WayLand", ":0", "wayland-0", S::kWayland},
        {"a list: the first with its server", "wayland,x11", ":0", nullptr, S::kX11},
        {"a list: the first of two servers", "x11,wayland", ":0", "wayland-0", S::kX11},
        {"Wayland asked for, no Wayland server", "wayland", ":0", nullptr, S::kNone},
        {"another driver SDL may take", "offscreen", ":0", nullptr, S::kOther},
        {"an empty entry is skipped", ",wayland", nullptr, "wayland-0", S::kWayland},
        {"a prefix is not the name", "wayland2,x11", ":0", "wayland-0", S::kOther},
    };
    for (const auto &c : cases)
        EXPECT_EQ(static_cast<int>(sdl2VideoServer(c.drivers, c.display, c.wayland)),
                  static_cast<int>(c.want))
            << c.name;
}
