// The scripted platform (see fake_platform.h).
#include "fake_platform.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace {

FakePlatform &fake(void *user) {
    return *static_cast<FakePlatform *>(user);
}

// Logs "name(a,b,...)".
void log(void *user, const char *name, std::initializer_list<std::string> args = {}) {
    std::string entry = name;
    entry += '(';
    for (const std::string &arg : args) {
        if (entry.back() != '(') entry += ',';
        entry += arg;
    }
    entry += ')';
    fake(user).calls.push_back(std::move(entry));
}

std::string text(uint64_t v) {
    return std::to_string(v);
}
std::string hex(uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", v);
    return buffer;
}

}  // namespace

ShowPlatform FakePlatform::platform() {
    ShowPlatform p{};
    p.system.user = p.presenter.user = p.audio.user = this;

    p.system.calendarTime = [](void *u) { return fake(u).seed; };
    p.system.milliseconds = [](void *u) {
        FakePlatform &f = fake(u);
        const size_t i = f.clockReads < f.clock.size() ? f.clockReads : f.clock.size() - 1;
        ++f.clockReads;
        return f.clock.empty() ? 0u : f.clock[i];
    };
    p.system.escapePressed = [](void *u) {
        FakePlatform &f = fake(u);
        log(u, "escapePressed");
        return f.presents == f.escapeOnFrame;
    };
    p.system.startDialog = [](void *u, ShowSettings *settings) {
        log(u, "startDialog");
        *settings = fake(u).dialogSettings;
        return fake(u).dialogResult;
    };
    p.system.messageBox = [](void *u, const char *t, const char *caption) {
        log(u, "messageBox", {std::string(t), std::string(caption)});
    };

    p.presenter.open = [](void *u, const char *title, int w, int h, bool full) {
        std::string quoted = "\"";
        quoted += title;
        quoted += '"';
        log(u, "open", {quoted, text(w), text(h), text(full)});
        return 1;
    };
    p.presenter.present = [](void *u, const Pixel *frame) {
        FakePlatform &f = fake(u);
        log(u, "present");
        ++f.presents;
        if (f.onPresent) f.onPresent(frame);
    };
    p.presenter.close = [](void *u) { log(u, "close"); };

    p.audio.getVersion = [](void *u) {
        log(u, "getVersion");
        return fake(u).version;
    };
    p.audio.init = [](void *u, int device, uint32_t frequency, uint32_t flags) {
        log(u, "init", {text(device), text(frequency), text(flags)});
        return true;
    };
    p.audio.streamCreateFile = [](void *u, const char *file, uint64_t offset, uint64_t length,
                                  uint32_t flags) {
        log(u, "streamCreateFile", {std::string(file), text(offset), text(length), text(flags)});
        return fake(u).stream;
    };
    p.audio.setVolume = [](void *u, uint32_t volume) {
        log(u, "setVolume", {text(volume)});
        return true;
    };
    p.audio.channelPlay = [](void *u, uint32_t handle, bool restart) {
        log(u, "channelPlay", {text(handle), text(restart)});
        return handle != 0;
    };
    p.audio.channelGetData = [](void *u, uint32_t handle, float *buffer, uint32_t flags) {
        FakePlatform &f = fake(u);
        log(u, "channelGetData", {text(handle), hex(flags)});
        if (handle == 0 || !f.fillSpectrum) return -1;
        f.fillSpectrum(buffer);
        return 4096;
    };
    p.audio.stop = [](void *u) {
        log(u, "stop");
        return true;
    };
    p.audio.free = [](void *u) {
        log(u, "free");
        return true;
    };
    return p;
}

int FakePlatform::count(const std::string &name) const {
    int n = 0;
    for (const std::string &call : calls) n += call.compare(0, name.size() + 1, name + "(") == 0;
    return n;
}
