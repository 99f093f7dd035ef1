// The show's presenter service over a FramePresenter (see presenter_service.h).
#include "show/presenter_service.h"

namespace {
// The presenter behind the service table's user pointer.
FramePresenter &presenterOf(void *user) {
    return *static_cast<FramePresenter *>(user);
}
}  // namespace

// Each call passes straight to the presenter.
ShowPresenter presenterService(FramePresenter *presenter) {
    ShowPresenter service{};
    service.user = presenter;
    service.open = [](void *user, const char *title, int width, int height, bool fullscreen) {
        return presenterOpen(presenterOf(user), title, width, height, fullscreen);
    };
    service.present = [](void *user, const Pixel *frame) {
        presenterPresent(presenterOf(user), frame);
    };
    service.close = [](void *user) { presenterClose(presenterOf(user)); };
    return service;
}
