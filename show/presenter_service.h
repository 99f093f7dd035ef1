// The show's presenter service over a FramePresenter: what every platform with a display uses.
#pragma once

#include "display/frame_presenter.h"
#include "show/show_platform.h"

// open, present and close of presenter, as the main routine calls them.
ShowPresenter presenterService(FramePresenter *presenter);
