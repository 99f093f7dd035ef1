// Tests of the score: the carol's tunes note by note, bar lengths, chord voicings, pedal notes.
#include "score.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// MIDI pitch of a note name such as "E4", "G3" or "Bb4".
int pitchOf(const std::string &name) {
    static const std::map<char, int> steps = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                              {'G', 7}, {'A', 9}, {'B', 11}};
    int pitch = steps.at(name[0]);
    std::size_t at = 1;
    if (name[at] == 'b') --pitch, ++at;
    if (name[at] == '#') ++pitch, ++at;
    return pitch + 12 * (std::stoi(name.substr(at)) + 1);
}

// The pitches of a space-separated list of note names.
std::vector<int> pitchesOf(const std::string &names) {
    std::vector<int> out;
    std::istringstream in(names);
    for (std::string name; in >> name;) out.push_back(pitchOf(name));
    return out;
}

// The pitches of a tune, in order.
std::vector<int> tunePitches(std::span<const TuneNote> tune) {
    std::vector<int> out;
    for (const TuneNote &n : tune) out.push_back(n.pitch);
    return out;
}

struct TuneCase {
    const char *name;
    std::span<const TuneNote> (*tune)();
    const char *notes;  // the carol's notes in C major, as sung
};

class TuneNotes : public testing::TestWithParam<TuneCase> {};

TEST_P(TuneNotes, AreTheCarolsNotesInOrder) {
    const TuneCase c = GetParam();
    const std::vector<int> expected = pitchesOf(c.notes);
    const std::vector<int> got = tunePitches(c.tune());
    ASSERT_EQ(got.size(), expected.size())
        << c.name << ": expected " << expected.size() << " notes, got " << got.size();
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i], expected[i])
            << c.name << ", note " << i << ": expected " << expected[i] << ", got " << got[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Score, TuneNotes,
    testing::Values(
        TuneCase{"chorus", chorusTune,
                 "E4 E4 E4  E4 E4 E4  E4 G4 C4 D4 E4  F4 F4 F4 F4  F4 E4 E4 E4 E4  E4 D4 D4 E4 "
                 "D4 G4  E4 E4 E4  E4 E4 E4  E4 G4 C4 D4 E4  F4 F4 F4 F4  F4 E4 E4 E4 E4  "
                 "G4 G4 F4 D4 C4"},
        TuneCase{"verse", verseTune,
                 "G3 E4 D4 C4 G3 G3 G3  G3 E4 D4 C4 A3  A3 F4 E4 D4 B3  G4 G4 F4 D4 E4  "
                 "G3 E4 D4 C4 G3  G3 E4 D4 C4 A3 A3  A3 F4 E4 D4 G4 G4 G4 G4  A4 G4 F4 D4 C4"}));

class TuneBars : public testing::TestWithParam<TuneCase> {};

TEST_P(TuneBars, NotesFollowEachOtherAndFillSixteenBars) {
    const TuneCase c = GetParam();
    const auto tune = c.tune();
    for (std::size_t i = 1; i < tune.size(); ++i) {
        const double end = tune[i - 1].beat + tune[i - 1].beats;
        EXPECT_LE(end, tune[i].beat + 1e-9)
            << c.name << ", note " << i << ": previous note ends at " << end
            << ", this one starts at " << tune[i].beat;
        // No note may cross a bar line: each lies within one 4/4 bar.
        const int bar = static_cast<int>(tune[i].beat / 4);
        EXPECT_LE(tune[i].beat + tune[i].beats, (bar + 1) * 4.0 + 1e-9)
            << c.name << ", note " << i << " crosses the bar line after bar " << bar;
    }
    const double last = tune.back().beat + tune.back().beats;
    EXPECT_GT(last, 60.0) << c.name << ": expected the last note in bar 16, it ends at " << last;
    EXPECT_LE(last, 64.0) << c.name << ": expected the tune within 16 bars, it ends at " << last;
}

INSTANTIATE_TEST_SUITE_P(Score, TuneBars,
                         testing::Values(TuneCase{"chorus", chorusTune, ""},
                                         TuneCase{"verse", verseTune, ""}));

TEST(Score, EveryChordTableHasOneChordPerBar) {
    EXPECT_EQ(chorusChords().size(), 16u) << "chorus bars";
    EXPECT_EQ(verseChords().size(), 16u) << "verse bars";
    EXPECT_EQ(introChords().size(), 8u) << "intro and build-up bars";
    EXPECT_EQ(breakdownChords().size(), 4u) << "breakdown bars";
    EXPECT_EQ(outroChords().size(), 4u) << "outro bars";
}

struct VoicingCase {
    ChordSymbol chord;
    int transpose;
    const char *notes;
};

class Voicing : public testing::TestWithParam<VoicingCase> {};

TEST_P(Voicing, SitsInTheOctaveFromB3) {
    const VoicingCase c = GetParam();
    const std::vector<int> expected = pitchesOf(c.notes);
    const std::vector<int> got = voiceChord(c.chord, c.transpose, pitchOf("B3"));
    ASSERT_EQ(got.size(), expected.size()) << c.notes;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i], expected[i])
            << c.notes << ", note " << i << ": expected " << expected[i] << ", got " << got[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Score, Voicing,
                         testing::Values(VoicingCase{{0, ChordKind::major}, 5, "C4 F4 A4"},
                                         VoicingCase{{5, ChordKind::major}, 5, "D4 F4 Bb4"},
                                         VoicingCase{{7, ChordKind::dominant7}, 5, "C4 E4 G4 Bb4"},
                                         VoicingCase{{2, ChordKind::minor}, 5, "D4 G4 Bb4"},
                                         VoicingCase{{0, ChordKind::major}, 7, "B3 D4 G4"},
                                         VoicingCase{
                                             {9, ChordKind::dominant7}, 5, "C4 D4 F#4 A4"}));

struct PedalCase {
    ChordSymbol chord;
    int transpose;
    const char *note;
};

class Pedal : public testing::TestWithParam<PedalCase> {};

TEST_P(Pedal, IsTheNearestFittingNoteToMiddleC) {
    const PedalCase c = GetParam();
    const int got = pedalPitch(c.chord, c.transpose, pitchOf("C4"));
    EXPECT_EQ(got, pitchOf(c.note))
        << "expected " << c.note << " (" << pitchOf(c.note) << "), got " << got;
}

INSTANTIATE_TEST_SUITE_P(Score, Pedal,
                         testing::Values(PedalCase{{0, ChordKind::major}, 5, "C4"},   // F
                                         PedalCase{{5, ChordKind::major}, 5, "C4"},   // Bb add9
                                         PedalCase{{2, ChordKind::minor}, 5, "Bb3"},  // Gm7, a tie
                                         PedalCase{{2, ChordKind::minor}, 0, "C4"},   // Dm7
                                         PedalCase{{7, ChordKind::dominant7}, 0, "B3"},  // G7
                                         PedalCase{{0, ChordKind::major}, 7, "B3"},      // G
                                         PedalCase{{7, ChordKind::major}, 7, "D4"}));    // D

}  // namespace
