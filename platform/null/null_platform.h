// The do-nothing platform: a real clock and calendar, and nothing else. No dialog (the show
// starts at once), no keyboard, no audio library, a presenter that shows nothing. It keeps the
// show runnable anywhere and is the base the tests build their fakes on.
#pragma once

#include "show/show_platform.h"

// The do-nothing services; every table's user pointer is null.
ShowPlatform nullPlatform();
