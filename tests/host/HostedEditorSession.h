#pragma once

// A test with the built Plumora.vst3 loaded, prepared, and its editor opened
// in a window when asked: what the host tests that use the editor share.

#include "host/HostedEditorWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace plumora::test
{

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

struct HostedEditorSession : testing::Test
{
    juce::VST3PluginFormat format;

    std::unique_ptr<juce::AudioPluginInstance> load()
    {
        juce::String problem;
        auto instance = loadBuiltPlumora (format, kRate, kBlock, problem);
        EXPECT_NE (instance, nullptr) << problem;
        if (instance != nullptr)
            instance->prepareToPlay (kRate, kBlock);
        return instance;
    }

    // Opens the plug-in's editor in a window, runs what the user does, and
    // closes it again.
    static void withEditor (juce::AudioPluginInstance& plugin, const std::function<void (juce::Component& window)>& use)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        {
            HostWindow window (*editor);
            const auto shot = awaitEditor (window, 1.0f);
            ASSERT_TRUE (shot.missing.isEmpty()) << shot.missing;
            use (window);
        }
        plugin.editorBeingDeleted (editor.get());
        editor.reset();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
    }
};

} // namespace plumora::test
