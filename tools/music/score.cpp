// Score: tunes of "Jingle Bells" (James Lord Pierpont, 1857, public domain) in C major, 4/4.
#include "score.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int G3 = 55, A3 = 57, B3 = 59;
constexpr int C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67, A4 = 69;

// Chorus: bars 1-8 and 9-16 share their first four bars; beats count from the chorus start.
constexpr TuneNote kChorus[] = {
    {0, 1, E4},  {1, 1, E4},  {2, 2, E4},                                       // Jin-gle bells,
    {4, 1, E4},  {5, 1, E4},  {6, 2, E4},                                       // jin-gle bells,
    {8, 1, E4},  {9, 1, G4},  {10, 1.5, C4}, {11.5, 0.5, D4},                   // jin-gle all the
    {12, 4, E4},                                                                // way!
    {16, 1, F4}, {17, 1, F4}, {18, 1.5, F4}, {19.5, 0.5, F4},                   // Oh what fun it
    {20, 1, F4}, {21, 1, E4}, {22, 1, E4},   {23, 0.5, E4},   {23.5, 0.5, E4},  // is to ride in a
    {24, 1, E4}, {25, 1, D4}, {26, 1, D4},   {27, 1, E4},                       // one-horse o-pen
    {28, 2, D4}, {30, 2, G4},                                                   // sleigh, hey!
    {32, 1, E4}, {33, 1, E4}, {34, 2, E4},                                      // Jin-gle bells,
    {36, 1, E4}, {37, 1, E4}, {38, 2, E4},                                      // jin-gle bells,
    {40, 1, E4}, {41, 1, G4}, {42, 1.5, C4}, {43.5, 0.5, D4},                   // jin-gle all the
    {44, 4, E4},                                                                // way!
    {48, 1, F4}, {49, 1, F4}, {50, 1.5, F4}, {51.5, 0.5, F4},                   // Oh what fun it
    {52, 1, F4}, {53, 1, E4}, {54, 1, E4},   {55, 0.5, E4},   {55.5, 0.5, E4},  // is to ride in a
    {56, 1, G4}, {57, 1, G4}, {58, 1, F4},   {59, 1, D4},                       // one-horse o-pen
    {60, 4, C4},                                                                // sleigh!
};

// Verse: "Dashing through the snow"; the low notes sit below middle C.
constexpr TuneNote kVerse[] = {
    {0, 1, G3},  {1, 1, E4},   {2, 1, D4},     {3, 1, C4},   // Dash-ing through the
    {4, 3, G3},  {7, 0.5, G3}, {7.5, 0.5, G3},               // snow, in a
    {8, 1, G3},  {9, 1, E4},   {10, 1, D4},    {11, 1, C4},  // one-horse o-pen
    {12, 4, A3},                                             // sleigh,
    {16, 1, A3}, {17, 1, F4},  {18, 1, E4},    {19, 1, D4},  // o'er the fields we
    {20, 4, B3},                                             // go,
    {24, 1, G4}, {25, 1, G4},  {26, 1, F4},    {27, 1, D4},  // laugh-ing all the
    {28, 4, E4},                                             // way;
    {32, 1, G3}, {33, 1, E4},  {34, 1, D4},    {35, 1, C4},  // bells on bob-tail
    {36, 3, G3},                                             // ring,
    {40, 1, G3}, {41, 1, E4},  {42, 1, D4},    {43, 1, C4},  // mak-ing spi-rits
    {44, 3, A3}, {47, 1, A3},                                // bright, what
    {48, 1, A3}, {49, 1, F4},  {50, 1, E4},    {51, 1, D4},  // fun it is to
    {52, 1, G4}, {53, 1, G4},  {54, 1, G4},    {55, 1, G4},  // ride and sing a
    {56, 1, A4}, {57, 1, G4},  {58, 1, F4},    {59, 1, D4},  // sleigh-ing song to-
    {60, 3, C4},                                             // night!
};

constexpr ChordSymbol C{0, ChordKind::major};
constexpr ChordSymbol F{5, ChordKind::major};
constexpr ChordSymbol G{7, ChordKind::major};
constexpr ChordSymbol G7{7, ChordKind::dominant7};
constexpr ChordSymbol D7{2, ChordKind::dominant7};
constexpr ChordSymbol Dm{2, ChordKind::minor};
constexpr ChordSymbol Am{9, ChordKind::minor};
constexpr ChordSymbol A7{9, ChordKind::dominant7};
constexpr ChordSymbol Bb{10, ChordKind::major};

constexpr ChordSymbol kChorusChords[] = {C, C, C, C, F, C, D7, G7, C, C, C, C, F, C, G7, C};
constexpr ChordSymbol kVerseChords[] = {C, C, C, F, Dm, G, G7, C, C, C, C, F, Dm, G, G7, C};
constexpr ChordSymbol kIntroChords[] = {C, Am, F, G7, C, Am, F, G7};
// In the key of F these read B-flat, C, E-flat, D7: the last two lead into G major.
constexpr ChordSymbol kBreakdownChords[] = {F, G, Bb, A7};
constexpr ChordSymbol kOutroChords[] = {F, C, G7, C};

}  // namespace

// The chorus tune.
std::span<const TuneNote> chorusTune() {
    return kChorus;
}
// The verse tune.
std::span<const TuneNote> verseTune() {
    return kVerse;
}
// Chords of the chorus, one per bar.
std::span<const ChordSymbol> chorusChords() {
    return kChorusChords;
}
// Chords of the verse, one per bar.
std::span<const ChordSymbol> verseChords() {
    return kVerseChords;
}
// Chords of the intro and build-up, one per bar.
std::span<const ChordSymbol> introChords() {
    return kIntroChords;
}
// Chords of the breakdown, one per bar.
std::span<const ChordSymbol> breakdownChords() {
    return kBreakdownChords;
}
// Chords of the outro, one per bar.
std::span<const ChordSymbol> outroChords() {
    return kOutroChords;
}

// Pitch classes of a chord, root first.
std::vector<int> chordPitchClasses(ChordSymbol chord) {
    std::vector<int> classes = {chord.root, chord.root + 7};
    classes.push_back(chord.root + (chord.kind == ChordKind::minor ? 3 : 4));
    if (chord.kind == ChordKind::dominant7) classes.push_back(chord.root + 10);
    for (int &c : classes) c %= 12;
    return classes;
}

// The chord transposed, closely voiced with every note in [lowest, lowest + 12), ascending.
std::vector<int> voiceChord(ChordSymbol chord, int transpose, int lowest) {
    std::vector<int> notes;
    for (int pitchClass : chordPitchClasses(chord)) {
        const int shifted = (pitchClass + transpose) % 12;
        notes.push_back(lowest + ((shifted - lowest) % 12 + 12) % 12);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// The chord's root transposed, placed in [lowest, lowest + 12).
int rootIn(ChordSymbol chord, int transpose, int lowest) {
    const int shifted = (chord.root + transpose) % 12;
    return lowest + ((shifted - lowest) % 12 + 12) % 12;
}

// The note nearest to target that sits well in the transposed chord; ties go to the lower note.
int pedalPitch(ChordSymbol chord, int transpose, int target) {
    std::vector<int> classes = chordPitchClasses(chord);
    if (chord.kind == ChordKind::major) classes.push_back((chord.root + 2) % 12);
    if (chord.kind == ChordKind::minor) classes.push_back((chord.root + 10) % 12);
    int best = target - 12;
    for (int pitchClass : classes) {
        const int shifted = (pitchClass + transpose) % 12;
        const int below = target - ((target - shifted) % 12 + 12) % 12;
        for (int candidate : {below, below + 12}) {
            if (std::abs(candidate - target) < std::abs(best - target) ||
                (std::abs(candidate - target) == std::abs(best - target) && candidate < best)) {
                best = candidate;
            }
        }
    }
    return best;
}
