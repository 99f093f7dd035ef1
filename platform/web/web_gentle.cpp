// The page's choice of gentle mode (see web_platform.h): the box beside the warning, which the
// page ticks at first when its address has ?gentle.
#include "platform/web/web_platform.h"

#include <emscripten.h>

// clang-format off
EM_JS(int, webGentleChosenJs, (), {
    const box = document.getElementById("gentle");
    if (box) return box.checked ? 1 : 0;
    return new URLSearchParams(location.search).has("gentle") ? 1 : 0;
});
// clang-format on

// The box as it is now; the address alone on a page without it.
bool webGentleChosen() {
    return webGentleChosenJs() != 0;
}
