#pragma once

#include "TimbreLibraryLayout.h"
#include "editor/shell/EditorContext.h"
#include "simple/Timbre.h"
#include "simple/TimbreSound.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

namespace plumora
{

// The S!MPLE page's browser of timbre categories and timbres, with a strip
// that shows the chosen timbre's table frame by frame and sets the
// oscillator 1 table position. Building it changes no sound: only a click
// on a tile or the strip, or selectByNames, writes parameters.
class TimbreLibrary : public juce::Component, public juce::TooltipClient
{
public:
    // Selects the first category, if any; applies no timbre.
    TimbreLibrary (EditorContext& context, std::vector<TimbreCategory> categories);

    // After a timbre was applied or shown; the page hands its maps to the
    // sound map.
    std::function<void (const Timbre&)> onTimbreSelected;

    // Out-of-range indices are ignored. Selecting a category clears the
    // timbre selection and leaves the sound as it is.
    void selectCategory (int index);
    void selectTimbre (int index);
    // Exact names, as saved with a preset: a missing category changes
    // nothing; a missing timbre leaves just its category selected.
    void selectByNames (const juce::String& categoryName, const juce::String& timbreName);
    // The same selection for a restored preset, writing nothing: the preset
    // holds what the timbre set and whatever the user changed after it.
    void showByNames (const juce::String& categoryName, const juce::String& timbreName);

    int selectedCategoryIndex() const noexcept { return category; }
    int selectedTimbreIndex() const noexcept { return timbre; }
    const Timbre* selectedTimbre() const noexcept;
    // The selected category's name; empty when none.
    juce::String selectedCategoryName() const;
    float wtPosition() const noexcept { return position; }
    // The note shown when data could not be used as it is; empty when none.
    const juce::String& notice() const noexcept { return note; }
    const TimbreLibraryLayout& currentLayout() const noexcept { return layout; }

    juce::String tooltipAt (juce::Point<float> point) const;
    juce::String getTooltip() override;

    // Screen readers and the keyboard: "Category: Timbre" (typing a
    // timbre's name, or "Category: Timbre", chooses it), Left and Right
    // choose the timbre before or after in the category.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;
    bool keyPressed (const juce::KeyPress&) override;
    void focusGained (FocusChangeType) override { repaint(); }
    void focusLost (FocusChangeType) override { repaint(); }
    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;

private:
    const std::vector<Timbre>* shownTimbres() const noexcept;
    void chooseTimbre (int index, bool applyToSound);
    void chooseByNames (const juce::String& categoryName, const juce::String& timbreName, bool applyToSound);
    float soundsWtPosition() const;
    void layOut();
    void rebuildThumbnails();
    void rebuildTraces();
    void setPositionFromStrip (float x);
    juce::Rectangle<float> noticeArea() const;

    void paintCategories (juce::Graphics&) const;
    void paintTiles (juce::Graphics&) const;
    void paintStrip (juce::Graphics&) const;
    void paintNotice (juce::Graphics&) const;

    // The strip's traces and position span its width less this at each end.
    static constexpr float kStripInset = 2.0f;

    EditorContext& context;
    std::vector<TimbreCategory> categories;
    int category = -1, timbre = -1;
    std::vector<ParamID> extraParams; // the last timbre's, reset by the next
    WavetableCache tables;
    float position = 0.0f;
    TimbreLibraryLayout layout;
    std::vector<juce::Path> thumbnails; // unit square; empty when no table
    SharedWavetable shownTable;          // the table the strip traces
    std::vector<juce::Path> traces;
    juce::String note;
    bool pressedOnStrip = false;
};

} // namespace plumora
