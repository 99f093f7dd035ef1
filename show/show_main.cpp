// The show's main routine (see show_main.h).
#include "show/show_main.h"

#include "common/random.h"

#include <cstring>

namespace {
constexpr int kAudioDevice = 1;  // the default output device
constexpr const char *kVersionText = "BASS version 2.1 was not loaded";
constexpr const char *kVersionCaption = "Incorrect BASS.DLL";
}  // namespace

// Start-up in the show's fixed order.
int showStart(ShowRun &run, const ShowPlatform &platform) {
    const ShowSystem &system = platform.system;
    const ShowPresenter &presenter = platform.presenter;
    const ShowAudio &audio = platform.audio;
    run.platform = &platform;
    run.settings = ShowSettings{};

    resetShowBuffers();
    ShowBuffers &buffers = showBuffers();
    seedRandom(system.calendarTime(system.user));
    preparePictures(buffers, run.font);

    if (audio.getVersion(audio.user) != kAudioVersion) {
        system.messageBox(system.user, kVersionText, kVersionCaption);
        return 0;
    }
    audio.init(audio.user, kAudioDevice, kMusicRate, 0);
    run.stream = audio.streamCreateFile(audio.user, kMusicFile, 0, 0, 0);

    if (system.startDialog(system.user, &run.settings) == 0) return 1;
    if (!run.settings.sound) audio.setVolume(audio.user, 0);
    presenter.open(presenter.user, "", kScreenWidth, kScreenHeight, run.settings.fullscreen);
    audio.channelPlay(audio.user, run.stream, false);

    std::memset(buffers.bands, 0, sizeof buffers.bands);
    run.effectStart = system.milliseconds(system.user);
    run.showStart = system.milliseconds(system.user);
    run.swarm.init(kScreenWidth, kScreenHeight);
    return -1;
}

// One pass of the frame loop.
bool showFrame(ShowRun &run) {
    const ShowPlatform &platform = *run.platform;
    const ShowSystem &system = platform.system;
    ShowBuffers &buffers = showBuffers();
    const uint32_t now = system.milliseconds(system.user);
    // Unsigned differences, then signed: the clock's 32-bit wrap does no harm.
    const int32_t tEffect = static_cast<int32_t>(now - run.effectStart);
    const int32_t tShow = static_cast<int32_t>(now - run.showStart);
    platform.audio.channelGetData(platform.audio.user, run.stream, buffers.spectrum,
                                  kAudioDataFft2048);
    renderShowFrame(buffers, run.font, run.swarm, tEffect, tShow);
    // Gentle mode shows the frame through its filter; the frame itself stays as computed.
    platform.presenter.present(
        platform.presenter.user,
        run.settings.gentle ? gentleFrame(buffers.gentle, buffers.frame, tShow) : buffers.frame);
    if (system.escapePressed(system.user)) return false;
    return tShow < kShowLength;
}

// Shutdown in the show's fixed order.
int showEnd(ShowRun &run) {
    const ShowPlatform &platform = *run.platform;
    platform.audio.stop(platform.audio.user);
    platform.audio.free(platform.audio.user);
    platform.presenter.close(platform.presenter.user);
    return 0;
}

// The three steps in one call.
int showMain(const ShowPlatform &platform) {
    ShowRun run;
    const int ended = showStart(run, platform);
    if (ended >= 0) return ended;
    while (showFrame(run)) {
    }
    return showEnd(run);
}
