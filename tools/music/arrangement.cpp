// Arrangement: the carol as intro, build-up, choruses, verse, breakdown, key change and outro.
#include "arrangement.h"

#include "drums.h"
#include "effects.h"
#include "master_bus.h"
#include "score.h"
#include "synth_voices.h"
#include "track_layout.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace {

constexpr int kKeyF = 5;  // semitones from C major: the main key
constexpr int kKeyG = 7;  // the final chorus and outro, a whole tone higher

// Every instrument's dry bus, plus the kick times that drive the ducking.
struct Buses {
    StereoBuffer kick, snare, hats, bass, pad, pulse, lead, pluck, arp, glock, fx;
    std::vector<double> kicks;
    Rng rng = makeRng(0x6A696E676C65ull);
};

// Time of a beat counted from the start of a bar.
double at(double bar, double beat = 0.0) {
    return beatTime(bar * kBeatsPerBar + beat);
}

// Hits the kick and remembers the time for the ducking.
void kick(Buses &b, double bar, double beat, double gain) {
    renderKick(b.kick, at(bar, beat), gain);
    b.kicks.push_back(at(bar, beat));
}

// Plays the notes of a tune whose beat lies in [fromBeat, toBeat), the tune's beat 0 placed
// at firstBar, through render(note).
template <typename Render>
void playTune(std::span<const TuneNote> tune, double firstBar, int transpose, double fromBeat,
              double toBeat, double velocity, Render render) {
    for (const TuneNote &n : tune) {
        if (n.beat < fromBeat || n.beat >= toBeat) continue;
        const double start = at(firstBar, n.beat - fromBeat);
        render(Note{start, n.beats * kBeatSeconds * 0.92, double(n.pitch + transpose), velocity});
    }
}

// One chord a bar on the pad, voiced around middle C with the pedal note added, from bar `first`.
void padChords(Buses &b, std::span<const ChordSymbol> chords, double first, int key, double cutoff,
               double velocity) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        std::vector<int> pitches = voiceChord(chords[i], key, 59);
        const int pedal = pedalPitch(chords[i], key, 60);
        if (std::find(pitches.begin(), pitches.end(), pedal) == pitches.end())
            pitches.push_back(pedal);
        for (int pitch : pitches) {
            renderPad(b.pad, Note{at(first + i), kBarSeconds * 1.02, double(pitch), velocity},
                      cutoff, b.rng);
        }
    }
}

// Bass on the beats, stronger on the beat than on the off-beat eighth that follows.
void drivingBass(Buses &b, std::span<const ChordSymbol> chords, double first, int key,
                 double velocity) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const int root = rootIn(chords[i], key, 40);
        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            const int octave = (beat == 3) ? 12 : 0;
            renderBass(
                b.bass,
                Note{at(first + i, beat), kBeatSeconds * 0.42, double(root + octave), velocity},
                0.8);
            renderBass(b.bass,
                       Note{at(first + i, beat + 0.5), kBeatSeconds * 0.3, double(root + 12),
                            velocity * 0.55},
                       0.5);
        }
    }
}

// Pumping eighths on the chord note nearest middle C, the off-beats a little stronger.
void pedalPulse(Buses &b, std::span<const ChordSymbol> chords, double first, int key,
                double velocity) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        const int pitch = pedalPitch(chords[i], key, 60);
        for (int step = 0; step < 8; ++step) {
            const double accent = step % 2 ? 1.0 : 0.75;
            renderPulse(b.pulse, Note{at(first + i, step * 0.5), kBeatSeconds * 0.42, double(pitch),
                                      velocity * accent});
        }
    }
}

// Sixteenth-note arpeggio up and down the chord an octave above the pad.
void arpeggio(Buses &b, std::span<const ChordSymbol> chords, double first, int key,
              double velocity) {
    for (std::size_t i = 0; i < chords.size(); ++i) {
        std::vector<int> tones = voiceChord(chords[i], key, 67);
        tones.push_back(tones.front() + 12);
        const int span = static_cast<int>(tones.size());
        for (int step = 0; step < 16; ++step) {
            const int cycle = step % (2 * span - 2);
            const int index = cycle < span ? cycle : 2 * span - 2 - cycle;
            const double accent = (step % 4 == 2) ? 1.0 : 0.7;
            renderArp(b.arp,
                      Note{at(first + i, step * 0.25), kBeatSeconds * 0.2, double(tones[index]),
                           velocity * accent},
                      (step % 2 == 0) ? -0.45 : 0.45);
        }
    }
}

// Four-on-the-floor groove for `bars` bars: kick, snare and clap, hats and sleigh bells.
void groove(Buses &b, double first, int bars, bool snare, bool hats, bool openHats,
            bool sixteenthBells) {
    for (int bar = 0; bar < bars; ++bar) {
        const double x = first + bar;
        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            kick(b, x, beat, 0.6);
            if (snare && beat % 2 == 1) {
                renderSnare(b.snare, at(x, beat), 0.7, 0.05, b.rng);
                renderClap(b.snare, at(x, beat) + 0.004, 0.5, b.rng);
            }
        }
        for (int step = 0; step < 16; ++step) {
            const double beat = step * 0.25;
            if (hats) {
                const double accent = (step % 4 == 2) ? 1.0 : (step % 2 == 0 ? 0.55 : 0.35);
                if (openHats && step % 4 == 2) {
                    renderHat(b.hats, at(x, beat), 0.8, 0.16, 0.3, b.rng);
                } else {
                    renderHat(b.hats, at(x, beat), accent, 0.035, 0.3, b.rng);
                }
            }
            if (sixteenthBells || step % 2 == 0) {
                const double accent = (step % 4 == 2) ? 1.0 : 0.6;
                renderSleighBells(b.hats, at(x, beat), 0.7 * accent, -0.35, b.rng);
            }
        }
    }
}

// Rising snare sixteenths over one bar, leading into the next section.
void snareRoll(Buses &b, double bar, double fromBeat) {
    for (double beat = fromBeat; beat < kBeatsPerBar; beat += 0.25) {
        const double rise = (beat - fromBeat) / (kBeatsPerBar - fromBeat);
        renderSnare(b.snare, at(bar, beat), 0.15 + 0.45 * rise, 0.0, b.rng);
    }
}

// Intro (pad and glockenspiel) and build-up (bass, bells, kick and a riser): bars 0-8.
void introAndBuildUp(Buses &b) {
    const auto chords = introChords();
    padChords(b, chords.subspan(0, 4), 0, kKeyF, 900.0, 0.85);
    padChords(b, chords.subspan(4, 4), 4, kKeyF, 1500.0, 0.8);
    playTune(chorusTune(), 0, kKeyF + 24, 0, 32, 0.9,
             [&](const Note &n) { renderGlockenspiel(b.glock, n, 0.2); });
    for (int bar = 4; bar < 8; ++bar) {
        const int root = rootIn(chords[bar], kKeyF, 40);
        const double hold = bar < 6 ? 4.0 : 2.0;
        for (double beat = 0; beat < kBeatsPerBar; beat += hold) {
            renderBass(b.bass, Note{at(bar, beat), hold * kBeatSeconds * 0.9, double(root), 0.8},
                       0.3);
        }
        for (int step = 0; step < 8; ++step) {
            renderSleighBells(b.hats, at(bar, step * 0.5), 0.25 + 0.06 * (bar - 4), -0.35, b.rng);
        }
    }
    arpeggio(b, chords.subspan(6, 2), 6, kKeyF, 0.45);
    kick(b, 6, 0, 0.8);
    kick(b, 6, 2, 0.8);
    for (int beat = 0; beat < 4; ++beat) kick(b, 7, beat, 0.85);
    snareRoll(b, 7, 0);
    renderRiser(b.fx, at(6), at(8), 0.5, b.rng);
}

// A chorus from bar `first`: `bars` bars of the tune (8 or 16) in `key`, full band.
void chorus(Buses &b, double first, int bars, int key, bool final) {
    const auto chords = chorusChords().subspan(0, bars);
    const double beats = bars * kBeatsPerBar;
    padChords(b, chords, first, key, 2400.0, 0.85);
    if (final) padChords(b, chords, first, key + 12, 3000.0, 0.4);
    playTune(chorusTune(), first, key, 0, beats, 0.95,
             [&](const Note &n) { renderLead(b.lead, n, 0.8, 0.8, b.rng); });
    if (final) {
        playTune(chorusTune(), first, key + 12, 0, beats, 0.45,
                 [&](const Note &n) { renderLead(b.lead, n, 1.0, 0.6, b.rng); });
    }
    playTune(chorusTune(), first, key + 24, 0, beats, 0.35,
             [&](const Note &n) { renderGlockenspiel(b.glock, n, -0.25); });
    drivingBass(b, chords, first, key, 1.0);
    pedalPulse(b, chords, first, key, final ? 1.0 : 0.9);
    arpeggio(b, chords, first, key, final ? 0.55 : 0.45);
    groove(b, first, bars, true, true, final, true);
    renderCrash(b.hats, at(first), 0.7, b.rng);
    if (bars == 16) renderCrash(b.hats, at(first + 8), 0.5, b.rng);
}

// Verse from bar 24: eight light bars (kick, clap, pluck), then eight with hats and bells.
void verse(Buses &b) {
    constexpr double first = 24;
    const auto chords = verseChords();
    padChords(b, chords.subspan(0, 8), first, kKeyF, 1400.0, 0.8);
    padChords(b, chords.subspan(8, 8), first + 8, kKeyF, 1900.0, 0.8);
    playTune(verseTune(), first, kKeyF + 12, 0, 64, 0.85,
             [&](const Note &n) { renderPluck(b.pluck, n, 0.1, b.rng); });
    for (int bar = 0; bar < 16; ++bar) {
        const int root = rootIn(chords[bar], kKeyF, 40);
        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            const double velocity = bar < 8 ? 0.7 : 0.9;
            renderBass(b.bass,
                       Note{at(first + bar, beat), kBeatSeconds * 0.4, double(root), velocity},
                       0.5);
            if (bar >= 8 && beat % 2 == 1) {
                renderBass(
                    b.bass,
                    Note{at(first + bar, beat + 0.5), kBeatSeconds * 0.25, double(root + 12), 0.5},
                    0.4);
            }
        }
        for (int beat = 0; beat < kBeatsPerBar; ++beat) {
            kick(b, first + bar, beat, bar < 8 ? 0.5 : 0.6);
            if (beat % 2 == 1)
                renderClap(b.snare, at(first + bar, beat), bar < 8 ? 0.45 : 0.55, b.rng);
        }
    }
    // Second half: eighth-note hats leaning on the off-beats, and sleigh bells back in.
    for (int bar = 8; bar < 16; ++bar) {
        for (int step = 0; step < 16; ++step) {
            const double beat = step * 0.25;
            if (step % 2 == 0)
                renderHat(b.hats, at(first + bar, beat), step % 4 ? 0.85 : 0.45, 0.05, 0.3, b.rng);
            renderSleighBells(b.hats, at(first + bar, beat), step % 4 == 2 ? 0.6 : 0.35, -0.35,
                              b.rng);
        }
    }
    pedalPulse(b, chords.subspan(8, 8), first + 8, kKeyF, 0.7);
    arpeggio(b, chords.subspan(12, 4), first + 12, kKeyF, 0.4);
    snareRoll(b, first + 15, 2);
    renderRiser(b.fx, at(first + 14), at(first + 16), 0.45, b.rng);
}

// Breakdown from 91 s: drums drop out, a soft sub holds the roots, pad and glockenspiel turn
// toward G major.
void breakdown(Buses &b) {
    constexpr double first = 48;
    const auto chords = breakdownChords();
    padChords(b, chords, first, kKeyF, 1100.0, 0.95);
    for (std::size_t i = 0; i < chords.size(); ++i) {
        std::vector<int> tones = voiceChord(chords[i], kKeyF, 72);
        tones.push_back(tones.front() + 12);
        for (int step = 0; step < 8; ++step) {
            const int pitch = tones[step % tones.size()];
            renderGlockenspiel(b.glock,
                               Note{at(first + i, step * 0.5), kBeatSeconds * 0.5, double(pitch),
                                    step % 2 ? 0.35 : 0.5},
                               step % 2 ? 0.4 : -0.4);
        }
        const int root = rootIn(chords[i], kKeyF, 28);
        renderBass(b.bass, Note{at(first + i), kBarSeconds * 0.95, double(root), 0.35}, 0.0);
    }
    renderRiser(b.fx, at(first + 2), at(first + 3.75), 0.55, b.rng);
    snareRoll(b, first + 3, 0);
}

// Outro: the chorus opening once more on the glockenspiel, then a last full chord to ring out.
void outro(Buses &b) {
    constexpr double first = 68;
    const auto chords = outroChords();
    padChords(b, chords.subspan(0, 3), first, kKeyG, 1800.0, 0.8);
    // The last chord adds the ninth and is held until the master fade has closed.
    std::vector<int> last = voiceChord(chords[3], kKeyG, 59);
    last.push_back(rootIn(chords[3], kKeyG, 59) + 2);
    const double hold = kTrackSeconds - at(first + 3);
    for (int pitch : last) {
        renderPad(b.pad, Note{at(first + 3), hold, double(pitch), 0.85}, 1600.0, b.rng);
        renderPad(b.pad, Note{at(first + 3), hold, double(pitch + 12), 0.4}, 2000.0, b.rng);
    }
    playTune(chorusTune(), first, kKeyG + 24, 0, 16, 0.6,
             [&](const Note &n) { renderGlockenspiel(b.glock, n, 0.1); });
    playTune(chorusTune(), first, kKeyG + 12, 0, 16, 0.6,
             [&](const Note &n) { renderPluck(b.pluck, n, -0.1, b.rng); });
    for (int bar = 0; bar < 3; ++bar) {
        const int root = rootIn(chords[bar], kKeyG, 40);
        renderBass(b.bass, Note{at(first + bar), kBeatSeconds * 1.8, double(root), 0.85}, 0.4);
        renderBass(b.bass, Note{at(first + bar, 2), kBeatSeconds * 1.8, double(root), 0.75}, 0.3);
        kick(b, first + bar, 0, 0.8);
        kick(b, first + bar, 2, 0.7);
        for (int step = 0; step < 8; ++step) {
            renderSleighBells(b.hats, at(first + bar, step * 0.5), 0.5 - 0.12 * bar, -0.35, b.rng);
        }
        renderClap(b.snare, at(first + bar, 1), 0.4, b.rng);
        renderClap(b.snare, at(first + bar, 3), 0.4, b.rng);
    }
    const double end = at(first + 3);
    kick(b, first + 3, 0, 0.95);
    renderCrash(b.hats, end, 0.8, b.rng);
    renderSleighBells(b.hats, end, 0.9, -0.35, b.rng);
    renderBass(b.bass, Note{end, 2.5, double(rootIn(chords[3], kKeyG, 40)), 0.9}, 0.3);
    renderGlockenspiel(b.glock, Note{end, 2.0, double(rootIn(chords[3], kKeyG, 79)), 0.7}, 0.0);
}

// Sums the dry buses and their reverb and echo returns.
StereoBuffer mixDown(Buses &b) {
    const long frames = kTrackFrames;
    applyGain(b.bass, duckingCurve(frames, b.kicks, 0.35, 0.16));
    const std::vector<float> soft = duckingCurve(frames, b.kicks, 0.3, 0.26);
    for (StereoBuffer *bus : {&b.pad, &b.pulse, &b.lead, &b.pluck, &b.arp}) applyGain(*bus, soft);

    StereoBuffer reverbSend = makeStereoBuffer(frames);
    mixInto(reverbSend, b.pad, 0.25);
    mixInto(reverbSend, b.pulse, 0.1);
    mixInto(reverbSend, b.lead, 0.2);
    mixInto(reverbSend, b.pluck, 0.3);
    mixInto(reverbSend, b.arp, 0.3);
    mixInto(reverbSend, b.glock, 0.45);
    mixInto(reverbSend, b.snare, 0.15);
    StereoBuffer echoSend = makeStereoBuffer(frames);
    mixInto(echoSend, b.lead, 0.18);
    mixInto(echoSend, b.pluck, 0.25);
    mixInto(echoSend, b.glock, 0.12);

    StereoBuffer mix = makeStereoBuffer(frames);
    mixInto(mix, b.kick, 1.0);
    mixInto(mix, b.snare, 0.8);
    mixInto(mix, b.hats, 0.6);
    mixInto(mix, b.bass, 1.4);
    mixInto(mix, b.pad, 0.8);
    mixInto(mix, b.pulse, 1.0);
    mixInto(mix, b.lead, 1.2);
    mixInto(mix, b.pluck, 1.3);
    mixInto(mix, b.arp, 0.8);
    mixInto(mix, b.glock, 0.6);
    mixInto(mix, b.fx, 0.4);
    mixInto(mix, renderReverb(reverbSend, 2.2, 6000.0, 0.02), 0.6);
    mixInto(mix, renderPingPong(echoSend, 0.75 * kBeatSeconds, 0.38, 3500.0), 0.5);
    return mix;
}

}  // namespace

// Renders the whole track, mixed and mastered: kTrackFrames stereo frames at kSampleRate.
StereoBuffer renderTrack() {
    Buses b;
    for (StereoBuffer *bus : {&b.kick, &b.snare, &b.hats, &b.bass, &b.pad, &b.pulse, &b.lead,
                              &b.pluck, &b.arp, &b.glock, &b.fx}) {
        *bus = makeStereoBuffer(kTrackFrames);
    }
    introAndBuildUp(b);
    chorus(b, 8, 16, kKeyF, false);
    verse(b);
    chorus(b, 40, 8, kKeyF, false);
    breakdown(b);
    chorus(b, 52, 16, kKeyG, true);
    outro(b);
    StereoBuffer mix = mixDown(b);
    processMaster(mix, MasterSettings{});
    return mix;
}
