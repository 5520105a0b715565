#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "Score.h"
#include "Synth.h"

TEST(AssetScore, PitchNamesFollowMidiNumbering) {
  EXPECT_EQ(fParsePitch("C4"), 60);
  EXPECT_EQ(fParsePitch("A4"), 69);
  EXPECT_EQ(fParsePitch("F#3"), 54);
  EXPECT_EQ(fParsePitch("Bb2"), 46);
  EXPECT_EQ(fParsePitch("B#3"), fParsePitch("C4"));
  EXPECT_EQ(fParsePitch("k"), kDrumKick);
  EXPECT_EQ(fParsePitch("o"), kDrumOpenHat);
  for (const char* bad : {"H4", "C", "C10", "c4", "C#", "Cx4", ""}) {
    EXPECT_THROW(fParsePitch(bad), std::invalid_argument) << bad;
  }
  EXPECT_DOUBLE_EQ(fMidiToHz(69), 440.0);
  EXPECT_NEAR(fMidiToHz(60), 261.6256, 1e-4);
}

TEST(AssetScore, TokensPlaceNotesChordsRestsAndHolds) {
  const STrack track = fParseTrack("E5/2 G5 | C4+E4+G4! r/3 D5~ -/2 |", 0.5);
  ASSERT_EQ(track.notes.size(), 6u);
  EXPECT_DOUBLE_EQ(track.notes[0].start, 0.0);
  EXPECT_DOUBLE_EQ(track.notes[0].length, 1.0);
  EXPECT_EQ(track.notes[0].pitch, 76);
  EXPECT_DOUBLE_EQ(track.notes[1].start, 1.0);
  EXPECT_DOUBLE_EQ(track.notes[1].length, 0.5);
  for (int i = 2; i <= 4; ++i) {  // the chord: three notes at once, accented
    EXPECT_DOUBLE_EQ(track.notes[i].start, 1.5);
    EXPECT_DOUBLE_EQ(track.notes[i].velocity, 1.0);
  }
  EXPECT_EQ(track.notes[4].pitch, 67);
  // The rest moves time on; "-" lengthens the note before it.
  EXPECT_DOUBLE_EQ(track.notes[5].start, 3.5);
  EXPECT_DOUBLE_EQ(track.notes[5].length, 1.5);
  EXPECT_DOUBLE_EQ(track.notes[5].velocity, 0.5);
  EXPECT_DOUBLE_EQ(track.beats, 5.0);
}

TEST(AssetScore, MalformedTokensAreReportedNotGuessed) {
  EXPECT_THROW(fParseTrack("C4/0", 0.5), std::invalid_argument);
  EXPECT_THROW(fParseTrack("C4/x", 0.5), std::invalid_argument);
  EXPECT_THROW(fParseTrack("- C4", 0.5), std::invalid_argument);
  EXPECT_THROW(fParseTrack("r -", 0.5), std::invalid_argument);
  EXPECT_THROW(fParseTrack("C4+", 0.5), std::invalid_argument);
  EXPECT_DOUBLE_EQ(fParseTrack("  |  ", 0.5).beats, 0.0);
}

TEST(AssetLoopBuffer, WritesPastTheEndWrapToTheStart) {
  CLoopBuffer loop(4);
  loop.fAdd(3, 1.0f, 2.0f);
  loop.fAdd(5, 0.5f, 0.25f);
  EXPECT_EQ(loop.fLeft(), (std::vector<float>{0.0f, 0.5f, 0.0f, 1.0f}));
  EXPECT_EQ(loop.fInterleaved(), (std::vector<float>{0.0f, 0.0f, 0.5f, 0.25f, 0.0f, 0.0f, 1.0f, 2.0f}));
}

TEST(AssetLoopBuffer, EchoOfTheLastSamplesSoundsAtTheStart) {
  CLoopBuffer loop(10);
  loop.fAdd(8, 1.0f, 0.0f);
  loop.fApplyEcho(3, 0.5f, 2, true);
  // Tap 1 (3 later, sides swapped) lands on frame 1 right; tap 2 on frame 4 left.
  EXPECT_FLOAT_EQ(loop.fRight()[1], 0.5f);
  EXPECT_FLOAT_EQ(loop.fLeft()[1], 0.0f);
  EXPECT_FLOAT_EQ(loop.fLeft()[4], 0.25f);
  EXPECT_FLOAT_EQ(loop.fLeft()[8], 1.0f);
}

TEST(AssetLoopBuffer, NoteRingingOverTheLoopPointJoinsSmoothly) {
  // A sine that starts near the end of the loop and rings on: read round the
  // loop, the step from the last sample to the first is an ordinary step.
  const size_t frames = 4410;
  CLoopBuffer loop(frames);
  for (size_t i = 0; i < 2000; ++i) {
    const float s = static_cast<float>(std::sin(2.0 * 3.141592653589793 * 440.0 * i / kSampleRate));
    loop.fAdd(frames - 1000 + i, s, s);
  }
  const auto& left = loop.fLeft();
  float largestStep = 0.0f;
  for (size_t i = 1; i < frames; ++i) largestStep = std::max(largestStep, std::fabs(left[i] - left[i - 1]));
  EXPECT_LE(std::fabs(left[0] - left[frames - 1]), largestStep);
  EXPECT_GT(std::fabs(left[0] - left[frames - 1]), 0.0f);
}

TEST(AssetSynth, NoiseIsSeededAndBounded) {
  CNoise a(7), b(7), c(8);
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    const float x = a.fNext();
    EXPECT_EQ(x, b.fNext());
    EXPECT_GE(x, -1.0f);
    EXPECT_LT(x, 1.0f);
    if (x != c.fNext()) differs = true;
  }
  EXPECT_TRUE(differs);
}

TEST(AssetSynth, EnvelopeRisesHoldsAndReleasesToSilence) {
  const SAdsr envelope{0.01, 0.1, 0.5, 0.2};
  EXPECT_DOUBLE_EQ(envelope.fAt(0.0, 1.0), 0.0);
  EXPECT_DOUBLE_EQ(envelope.fAt(0.01, 1.0), 1.0);
  EXPECT_DOUBLE_EQ(envelope.fAt(0.5, 1.0), 0.5);
  EXPECT_LT(envelope.fAt(1.1, 1.0), 0.5);
  EXPECT_NEAR(envelope.fAt(1.2, 1.0), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(envelope.fAt(1.3, 1.0), 0.0);
  // Released during the attack: falls from where it was, no jump up.
  EXPECT_LE(envelope.fAt(0.0051, 0.005), envelope.fAt(0.005, 0.005));
}

TEST(AssetSynth, OscillatorsStartAtZeroAndStayInRange) {
  // A note must not begin with a jump or drift off centre (heard as a thump).
  for (EWave wave : {EWave::Sine, EWave::Triangle}) {
    COscillator osc(wave);
    EXPECT_NEAR(osc.fNext(110.0), 0.0, 1e-9);
    double sum = 0.0;
    const int samples = kSampleRate / 110 * 20;  // whole cycles, near enough
    for (int i = 1; i < samples; ++i) {
      const float x = osc.fNext(110.0);
      EXPECT_LE(std::fabs(x), 1.0f);
      sum += x;
    }
    EXPECT_NEAR(sum / samples, 0.0, 0.01);
  }
}
