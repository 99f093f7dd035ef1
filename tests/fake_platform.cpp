// The scripted platform (see fake_platform.h).
#include "fake_platform.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace {

// Logs "name(a,b,...) " and gives back the platform it was called on.
template <typename... Args> FakePlatform &log(void *user, const char *name, const Args &...args) {
    std::ostringstream entry;
    [[maybe_unused]] const char *separator = "";  // unused by calls without arguments
    entry << name << '(';
    ((entry << separator << args, separator = ","), ...);
    FakePlatform &fake = *static_cast<FakePlatform *>(user);
    fake.calls += entry.str() + ") ";
    return fake;
}

}  // namespace

ShowPlatform FakePlatform::platform() {
    ShowPlatform p{};
    p.system.user = p.presenter.user = p.audio.user = this;

    p.system.calendarTime = [](void *u) { return static_cast<FakePlatform *>(u)->seed; };
    p.system.milliseconds = [](void *u) {
        FakePlatform &f = *static_cast<FakePlatform *>(u);
        const size_t i = std::min(f.clockReads++, f.clock.size() - 1);
        return f.clock.empty() ? 0u : f.clock[i];
    };
    p.system.escapePressed = [](void *u) {
        const FakePlatform &f = log(u, "escapePressed");
        return f.presents == f.escapeOnFrame;
    };
    p.system.startDialog = [](void *u, ShowSettings *settings) {
        const FakePlatform &f = log(u, "startDialog");
        *settings = f.dialogSettings;
        return f.dialogResult;
    };
    p.system.messageBox = [](void *u, auto... text) { log(u, "messageBox", text...); };

    p.presenter.open = [](void *u, const char *title, int w, int h, bool full) {
        return log(u, "open", std::quoted(title), w, h, full), 1;
    };
    p.presenter.present = [](void *u, const Pixel *frame) {
        FakePlatform &f = log(u, "present");
        ++f.presents;
        if (f.onPresent) f.onPresent(frame);
    };
    p.presenter.close = [](void *u) { log(u, "close"); };

    p.audio.getVersion = [](void *u) { return log(u, "getVersion").version; };
    p.audio.init = [](void *u, auto... args) { return log(u, "init", args...), true; };
    p.audio.streamCreateFile = [](void *u, auto... args) {
        return log(u, "streamCreateFile", args...).stream;
    };
    p.audio.setVolume = [](void *u, auto... args) { return log(u, "setVolume", args...), true; };
    p.audio.channelPlay = [](void *u, uint32_t handle, bool restart) {
        return log(u, "channelPlay", handle, restart), handle != 0;
    };
    p.audio.channelGetData = [](void *u, uint32_t handle, float *buffer, uint32_t flags) {
        std::ostringstream hex;
        hex << "0x" << std::uppercase << std::hex << flags;
        FakePlatform &f = log(u, "channelGetData", handle, hex.str());
        if (handle == 0 || !f.fillSpectrum) return -1;
        f.fillSpectrum(buffer);
        return 4096;
    };
    p.audio.stop = [](void *u) { return log(u, "stop"), true; };
    p.audio.free = [](void *u) { return log(u, "free"), true; };
    return p;
}
