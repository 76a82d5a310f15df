#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <utility>

namespace plumora
{

// Runs function now when called on the message thread; otherwise (a host or
// the preset manager calling from another thread) later on the message
// thread, and not at all if component is gone by then.
template <class ComponentType, class Function>
void onMessageThread (ComponentType& component, Function&& function)
{
    if (juce::MessageManager::existsAndIsCurrentThread())
    {
        function();
        return;
    }
    juce::MessageManager::callAsync ([safe = juce::Component::SafePointer<ComponentType> (&component),
                                      call = std::forward<Function> (function)]() mutable
    {
        if (safe != nullptr)
            call();
    });
}

} // namespace plumora
