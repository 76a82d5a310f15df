#include "engine/Arpeggiator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

using namespace plumora;

namespace
{
constexpr double kRate = 48000.0;

struct Recorded
{
    long sample;
    ArpEvent event;
};

struct Recorder : ArpEventSink
{
    long now = 0;
    std::vector<Recorded> events;
    void arpEvent (const ArpEvent& event, int sampleOffset) noexcept override { events.push_back ({ now + sampleOffset, event }); }

    std::vector<int> noteOns() const
    {
        std::vector<int> notes;
        for (const auto& r : events)
            if (r.event.on)
                notes.push_back (r.event.note);
        return notes;
    }
};

struct ArpFixture : testing::Test
{
    Arpeggiator arp;
    ParameterSlots slots;
    Recorder recorder;

    ArpFixture()
    {
        arp.prepare (kRate);
        arp.reset();
        set (ParamID::arp_rate, 2.0f); // 1/16 at 120 BPM: 6000 samples
    }

    void set (ParamID id, float value) { slots.setTarget (id, value); }

    // Runs blocks of blockSize until total samples have passed; each event is
    // stamped with its sample.
    void run (long total, int blockSize = 500)
    {
        slots.beginBlock();
        for (long done = 0; done < total; done += blockSize)
        {
            arp.process (blockSize, slots, recorder);
            recorder.now += blockSize;
        }
    }

    std::vector<int> play (std::initializer_list<int> notes, int steps)
    {
        for (const int note : notes)
            arp.hold (note, 1.0f);
        run (6000L * steps - 1, 1);
        return recorder.noteOns();
    }
};

struct PatternCase
{
    const char* name;
    int pattern, octaves;
    std::vector<int> held, expected;
    long steps = 0; // defaults to one note per step
};

class ArpPatterns : public testing::TestWithParam<PatternCase> {};
} // namespace

TEST_P (ArpPatterns, PlayTheHeldNotesInOrder)
{
    const auto& c = GetParam();
    Arpeggiator arp;
    arp.prepare (kRate);
    ParameterSlots slots;
    slots.setTarget (ParamID::arp_pattern, static_cast<float> (c.pattern));
    slots.setTarget (ParamID::arp_octaves, static_cast<float> (c.octaves));
    slots.setTarget (ParamID::arp_rate, 2.0f);
    slots.beginBlock();
    for (const int note : c.held)
        arp.hold (note, 1.0f);

    Recorder recorder;
    const long steps = c.steps > 0 ? c.steps : static_cast<long> (c.expected.size());
    for (long s = 0; s < 6000L * steps - 1; ++s)
        arp.process (1, slots, recorder);
    EXPECT_EQ (recorder.noteOns(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P (Table, ArpPatterns, testing::Values (
    PatternCase { "Up", 0, 1, { 64, 60, 67 }, { 60, 64, 67, 60, 64 } },
    PatternCase { "Down", 1, 1, { 60, 64, 67 }, { 67, 64, 60, 67 } },
    PatternCase { "UpDown", 2, 1, { 60, 64, 67 }, { 60, 64, 67, 64, 60, 64, 67 } },
    PatternCase { "DownUp", 5, 1, { 60, 64, 67 }, { 67, 64, 60, 64, 67, 64 } },
    PatternCase { "As Played", 4, 1, { 67, 60, 64 }, { 67, 60, 64, 67 } },
    PatternCase { "Up two octaves", 0, 2, { 60, 64 }, { 60, 64, 72, 76, 60 } },
    PatternCase { "UpDown single note", 2, 1, { 60 }, { 60, 60, 60 } },
    PatternCase { "Chord", 7, 1, { 60, 64, 67 }, { 60, 64, 67, 60, 64, 67 }, 2 }));

TEST_F (ArpFixture, StepsAndGateFollowTheTempoInSamples)
{
    // 120 BPM, 1/8 at 48 kHz: a step every 12000 samples; gate 0.5 ends each
    // note 6000 samples after its step.
    set (ParamID::arp_rate, 1.0f);
    set (ParamID::arp_gate, 0.5f);
    arp.setHostTempo (120.0);
    arp.hold (60, 1.0f);
    run (36000, 1);

    std::vector<long> ons, offs;
    for (const auto& r : recorder.events)
        (r.event.on ? ons : offs).push_back (r.sample);
    EXPECT_EQ (ons, (std::vector<long> { 0, 12000, 24000 }));
    EXPECT_EQ (offs, (std::vector<long> { 6000, 18000, 30000 }));
}

TEST_F (ArpFixture, InternalTempoUntilAHostSuppliesOne)
{
    set (ParamID::arp_bpm, 60.0f); // 1/16 at 60 BPM: 12000 samples
    arp.hold (60, 1.0f);
    run (24000, 1);
    EXPECT_EQ (recorder.noteOns().size(), 2u);

    for (const double unusable : { 0.0, -10.0, std::nan ("") })
        arp.setHostTempo (unusable);
    run (24000, 1);
    EXPECT_EQ (recorder.noteOns().size(), 4u);

    arp.setHostTempo (240.0); // 3000 samples
    run (24000, 1);
    EXPECT_EQ (recorder.noteOns().size(), 12u);

    arp.setHostTempo (1.0e12); // absurd: capped, never a step per sample storm
    recorder.events.clear();
    run (4800, 1);
    EXPECT_LT (recorder.noteOns().size(), 100u);
}

TEST_F (ArpFixture, VelocityFadeCyclesOverThePattern)
{
    set (ParamID::arp_vel_decay, 0.5f);
    for (const int note : { 60, 62, 64, 65 })
        arp.hold (note, 1.0f);
    run (6000L * 5 - 1, 1);
    std::vector<float> factors;
    for (const auto& r : recorder.events)
        if (r.event.on)
            factors.push_back (r.event.velocity);
    ASSERT_EQ (factors.size(), 5u);
    const float expected[] = { 1.0f, 5.0f / 6.0f, 4.0f / 6.0f, 0.5f, 1.0f };
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR (factors[static_cast<std::size_t> (i)], expected[i], 1e-5f) << i;

    // UpDown with three entries: a cycle of four.
    Arpeggiator upDown;
    upDown.prepare (kRate);
    set (ParamID::arp_pattern, 2.0f);
    slots.beginBlock();
    for (const int note : { 60, 64, 67 })
        upDown.hold (note, 1.0f);
    Recorder second;
    for (long s = 0; s < 6000L * 5 - 1; ++s)
        upDown.process (1, slots, second);
    std::vector<float> upDownFactors;
    for (const auto& r : second.events)
        if (r.event.on)
            upDownFactors.push_back (r.event.velocity);
    const float cycle[] = { 1.0f, 5.0f / 6.0f, 4.0f / 6.0f, 0.5f, 1.0f };
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR (upDownFactors[static_cast<std::size_t> (i)], cycle[i], 1e-5f) << i;
}

TEST_F (ArpFixture, ChordStepsNeverFade)
{
    set (ParamID::arp_pattern, 7.0f);
    set (ParamID::arp_vel_decay, 1.0f);
    for (const int note : { 60, 64, 67 })
        arp.hold (note, 0.8f);
    run (6000L * 3 - 1, 1);
    for (const auto& r : recorder.events)
        if (r.event.on)
        {
            EXPECT_EQ (r.event.velocity, 0.8f);
        }
}

TEST_F (ArpFixture, RandomUniquePlaysEveryEntryOnceBeforeRepeating)
{
    set (ParamID::arp_pattern, 6.0f);
    set (ParamID::arp_octaves, 2.0f);
    for (const int note : { 60, 62, 64, 65, 67 })
        arp.hold (note, 1.0f);
    run (6000L * 30 - 1, 1);
    const auto notes = recorder.noteOns();
    ASSERT_EQ (notes.size(), 30u);
    for (int round = 0; round < 3; ++round)
    {
        const std::set<int> played (notes.begin() + round * 10, notes.begin() + round * 10 + 10);
        EXPECT_EQ (played.size(), 10u) << "round " << round;
    }
}

TEST_F (ArpFixture, FirstKeySoundsAtOnceAndLaterKeysKeepTheTiming)
{
    arp.hold (60, 1.0f);
    run (500);
    ASSERT_EQ (recorder.noteOns().size(), 1u);
    EXPECT_EQ (recorder.events[0].sample, 0);

    run (2000);
    arp.hold (64, 1.0f); // no restart: the next step comes on the grid
    run (3000);
    EXPECT_EQ (recorder.noteOns().size(), 1u);
    run (1000);
    EXPECT_EQ (recorder.noteOns().size(), 2u);
}

TEST_F (ArpFixture, ReleasingTheLastKeyEndsItsNotesInTheSameBlock)
{
    arp.hold (60, 1.0f);
    run (500);
    arp.unhold (60);
    run (500);
    ASSERT_EQ (recorder.events.size(), 2u);
    EXPECT_FALSE (recorder.events[1].event.on);
    EXPECT_EQ (recorder.events[1].sample, 500);
    EXPECT_EQ (arp.soundingCount(), 0);
}

TEST_F (ArpFixture, RepressingAHeldNoteChangesItsVelocityOnlyAtTheNextRebuild)
{
    arp.hold (60, 1.0f);
    arp.hold (64, 1.0f);
    run (6000L * 2 - 1, 1);
    arp.hold (60, 0.2f);
    run (6000L * 2, 1);
    for (const auto& r : recorder.events)
        if (r.event.on)
        {
            EXPECT_EQ (r.event.velocity, 1.0f);
        }

    arp.hold (67, 1.0f); // a rebuild picks the new velocity up
    run (6000L * 3, 1);
    bool quietSeen = false;
    for (const auto& r : recorder.events)
        quietSeen |= r.event.on && r.event.note == 60 && r.event.velocity == 0.2f;
    EXPECT_TRUE (quietSeen);
}

TEST_F (ArpFixture, PositionReportsStepAndLength)
{
    EXPECT_EQ (arp.position().step, -1);
    for (const int note : { 60, 64, 67 })
        arp.hold (note, 1.0f);
    run (6000L + 1, 1);
    EXPECT_EQ (arp.position().step, 1);
    EXPECT_EQ (arp.position().length, 3);
    arp.reset();
    EXPECT_EQ (arp.position().length, 0);
}
