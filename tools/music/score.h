// Score: the carol's verse and chorus tunes and each bar's chord, in C major; no dependencies.
#pragma once

#include <span>
#include <vector>

// One note of a tune: where it starts and how long it lasts in beats, and its MIDI pitch in
// C major (60 = middle C); the arrangement transposes it to the key of each section.
struct TuneNote {
    double beat;
    double beats;
    int pitch;
};

enum class ChordKind { major, minor, dominant7 };

// A chord by root (semitones above C, in C major) and kind.
struct ChordSymbol {
    int root;
    ChordKind kind;
};

// The chorus ("Jingle bells, jingle bells ..."), 16 bars.
std::span<const TuneNote> chorusTune();

// The verse ("Dashing through the snow ..."), 16 bars.
std::span<const TuneNote> verseTune();

// Chords of the chorus, one per bar.
std::span<const ChordSymbol> chorusChords();

// Chords of the verse, one per bar.
std::span<const ChordSymbol> verseChords();

// Chords of the intro and build-up, one per bar.
std::span<const ChordSymbol> introChords();

// Chords of the breakdown, which turns from F major toward G major, one per bar.
std::span<const ChordSymbol> breakdownChords();

// Chords of the outro, one per bar.
std::span<const ChordSymbol> outroChords();

// Pitch classes of a chord, root first.
std::vector<int> chordPitchClasses(ChordSymbol chord);

// The chord transposed by `transpose` semitones, closely voiced with every note in
// [lowest, lowest + 12), ascending.
std::vector<int> voiceChord(ChordSymbol chord, int transpose, int lowest);

// The chord's root transposed, placed in [lowest, lowest + 12).
int rootIn(ChordSymbol chord, int transpose, int lowest);

// The note nearest to target that sits well in the transposed chord: a chord tone, the added
// ninth of a major chord or the seventh of a minor one; ties go to the lower note.
int pedalPitch(ChordSymbol chord, int transpose, int target);
