#include "engine/RealtimeLog.h"
#include "engine/SynthEngine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace plumora;

TEST (RealtimeLog, NoteOffWritesTheDiagnosticLineToStandardError)
{
    SynthEngine engine;
    engine.noteOn (3, 61, 1.0f);
    engine.noteOn (3, 61, 1.0f);
    engine.noteOff (3, 61);

    testing::internal::CaptureStderr();
    engine.noteOff (3, 61);
    engine.noteOff (3, 61);
    ASSERT_TRUE (RealtimeLog::instance().waitUntilDrained (std::chrono::seconds (5)));
    const auto text = testing::internal::GetCapturedStderr();

    EXPECT_NE (text.find ("[pm-midi] engine.noteOff ch=3 note=61 matched_voice=1 matched_state=Attack active_on_note=2\n"), std::string::npos) << text;
    EXPECT_NE (text.find ("[pm-midi] engine.noteOff ch=3 note=61 matched_voice=-1 matched_state=none active_on_note=2\n"), std::string::npos) << text;
}

TEST (RealtimeLog, ManyThreadsPostingLoseNoLineWhileThereIsRoom)
{
    RealtimeLog log;
    log.startDrainThread();

    testing::internal::CaptureStderr();
    std::vector<std::thread> producers;
    for (int t = 0; t < 4; ++t)
        producers.emplace_back ([&log, t]
        {
            for (int i = 0; i < 200; ++i)
            {
                const auto line = "[test] producer=" + std::to_string (t) + " line=" + std::to_string (i);
                while (! log.post (line.c_str()))
                    std::this_thread::yield();
            }
        });
    for (auto& producer : producers)
        producer.join();
    ASSERT_TRUE (log.waitUntilDrained (std::chrono::seconds (5)));
    const auto text = testing::internal::GetCapturedStderr();

    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 200; ++i)
            ASSERT_NE (text.find ("producer=" + std::to_string (t) + " line=" + std::to_string (i) + "\n"), std::string::npos);
}

TEST (RealtimeLog, AFullRingDropsLinesInsteadOfBlockingAndLongLinesAreCut)
{
    RealtimeLog log; // no drain thread: nothing empties the ring
    const std::string longLine (1000, 'x');
    for (std::size_t i = 0; i < RealtimeLog::kCapacity; ++i)
        ASSERT_TRUE (log.post (longLine.c_str()));
    EXPECT_FALSE (log.post ("one too many"));

    testing::internal::CaptureStderr();
    log.startDrainThread();
    ASSERT_TRUE (log.waitUntilDrained (std::chrono::seconds (5)));
    const auto text = testing::internal::GetCapturedStderr();
    EXPECT_EQ (text.size(), RealtimeLog::kCapacity * RealtimeLog::kLineBytes); // 239 characters and a newline each
    EXPECT_EQ (text.find ("one too many"), std::string::npos);
}

TEST (RealtimeLog, TheDrainThreadStopsWithItsLastUserAndStartsAgain)
{
    RealtimeLog log;
    log.startDrainThread();
    log.startDrainThread(); // two engines share the log
    testing::internal::CaptureStderr();
    ASSERT_TRUE (log.post ("[test] first"));
    log.stopDrainThread(); // one engine goes: the thread keeps running
    ASSERT_TRUE (log.waitUntilDrained (std::chrono::seconds (5)));
    log.stopDrainThread(); // the last one: the thread ends

    ASSERT_TRUE (log.post ("[test] while stopped"));
    log.startDrainThread();
    ASSERT_TRUE (log.waitUntilDrained (std::chrono::seconds (5)));
    log.stopDrainThread();
    const auto text = testing::internal::GetCapturedStderr();
    EXPECT_NE (text.find ("[test] first\n"), std::string::npos);
    EXPECT_NE (text.find ("[test] while stopped\n"), std::string::npos) << "lines posted while stopped are written later";
}
