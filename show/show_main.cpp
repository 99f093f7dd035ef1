// The show's main routine (see show_main.h).
#include "show/show_main.h"

#include "common/random.h"
#include "show/show_frame.h"

#include <cstring>

namespace {
constexpr int kAudioDevice = 1;  // the default output device
constexpr const char *kVersionText = "BASS version 2.1 was not loaded";
constexpr const char *kVersionCaption = "Incorrect BASS.DLL";
}  // namespace

// Start-up, loop and shutdown in the show's fixed order.
int showMain(const ShowPlatform &platform) {
    const ShowSystem &system = platform.system;
    const ShowPresenter &presenter = platform.presenter;
    const ShowAudio &audio = platform.audio;

    resetShowBuffers();
    ShowBuffers &buffers = showBuffers();
    BitmapFont font;
    LineSwarm swarm;

    ShowSettings settings;
    seedRandom(system.calendarTime(system.user));
    preparePictures(buffers, font);

    if (audio.getVersion(audio.user) != kAudioVersion) {
        system.messageBox(system.user, kVersionText, kVersionCaption);
        return 0;
    }
    audio.init(audio.user, kAudioDevice, kMusicRate, 0);
    const uint32_t stream = audio.streamCreateFile(audio.user, kMusicFile, 0, 0, 0);

    if (system.startDialog(system.user, &settings) == 0) return 1;
    if (!settings.sound) audio.setVolume(audio.user, 0);
    presenter.open(presenter.user, "", kScreenWidth, kScreenHeight, settings.fullscreen);
    audio.channelPlay(audio.user, stream, false);

    std::memset(buffers.bands, 0, sizeof buffers.bands);
    const uint32_t effectStart = system.milliseconds(system.user);
    const uint32_t showStart = system.milliseconds(system.user);
    swarm.init(kScreenWidth, kScreenHeight);

    for (;;) {
        const uint32_t now = system.milliseconds(system.user);
        // Unsigned differences, then signed: the clock's 32-bit wrap does no harm.
        const int32_t tEffect = static_cast<int32_t>(now - effectStart);
        const int32_t tShow = static_cast<int32_t>(now - showStart);
        audio.channelGetData(audio.user, stream, buffers.spectrum, kAudioDataFft2048);
        renderShowFrame(buffers, font, swarm, tEffect, tShow);
        // Gentle mode shows the frame through its filter; the frame itself stays as computed.
        presenter.present(presenter.user, settings.gentle
                                              ? gentleFrame(buffers.gentle, buffers.frame, tShow)
                                              : buffers.frame);
        if (system.escapePressed(system.user)) break;
        if (tShow >= kShowLength) break;
    }

    audio.stop(audio.user);
    audio.free(audio.user);
    presenter.close(presenter.user);
    return 0;
}
