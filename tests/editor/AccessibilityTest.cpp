// The editor as a screen reader and a keyboard meet it: every control names
// itself and tells its value, and values change through the accessibility
// interface as they do under the mouse.

#include "EditorTestSupport.h"
#include "host/XServer.h"

#include "editor/controls/PlumKnob.h"
#include "editor/matrix/ModMatrixSection.h"
#include "editor/shell/SimpleEditorContent.h"
#include "editor/simple/CharacterBlockComponent.h"
#include "editor/simple/SoundMap.h"
#include "editor/simple/TimbreLibrary.h"

#include <gtest/gtest.h>

#include <functional>

using namespace plumora;

namespace
{
bool isInteractive (juce::AccessibilityRole role)
{
    using Role = juce::AccessibilityRole;
    for (const auto interactive : { Role::button, Role::toggleButton, Role::radioButton, Role::comboBox, Role::slider, Role::editableText,
                                    Role::list, Role::table, Role::tree, Role::menuItem })
        if (role == interactive)
            return true;
    return false;
}

// The controls a user reaches on what the editor shows: components with an
// interactive role, and components of our own that take clicks themselves
// (drawn controls: the matrix, the curve editors, the sound map ...).
void collectControls (juce::Component& component, std::vector<juce::Component*>& controls)
{
    for (auto* child : component.getChildren())
    {
        if (! child->isVisible())
            continue;
        auto* handler = child->getAccessibilityHandler();
        if (handler == nullptr || handler->getRole() == juce::AccessibilityRole::ignored)
            continue;
        bool clicksItself = false, clicksChildren = false;
        child->getInterceptsMouseClicks (clicksItself, clicksChildren);
        const bool leaf = std::none_of (child->getChildren().begin(), child->getChildren().end(),
                                        [] (juce::Component* c) { return c->isVisible(); });
        if (isInteractive (handler->getRole()) || (leaf && clicksItself && handler->getRole() != juce::AccessibilityRole::staticText))
            controls.push_back (child);
        collectControls (*child, controls);
    }
}

std::vector<juce::Component*> controlsOf (juce::Component& root)
{
    std::vector<juce::Component*> controls;
    collectControls (root, controls);
    return controls;
}

// Accessibility handlers exist for components in a window only: a private
// X display for this process. Empty when windows can be made, otherwise why
// not (an earlier test in the same process may have started JUCE's
// windowing without a display; CTest runs each test in a process of its own).
std::string prepareWindows()
{
    if (const auto problem = test::xserver::startPrivateDisplay (1600, 1000); ! problem.empty())
        return problem;
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return "JUCE's windowing started without a display earlier in this process; run this test alone";
    return {};
}

juce::String describe (juce::Component& component)
{
    return juce::String (typeid (component).name()) + " '" + component.getName() + "' at " + component.getScreenBounds().toString();
}
} // namespace

// Both pages: nothing a user can click is nameless to a screen reader, and
// whatever holds a value tells it.
TEST (Accessibility, EveryControlOfBothPagesHasATitleAndValuesTellThemselves)
{
    if (const auto problem = prepareWindows(); ! problem.empty())
        GTEST_SKIP() << problem;
    for (const int mode : { 0, 1 })
    {
        test::EditorFixture f (mode);
        f.editor->addToDesktop (0);
        f.editor->setVisible (true);
        const auto controls = controlsOf (*f.editor);
        EXPECT_GT (controls.size(), mode == 0 ? 70u : 15u) << "page " << mode;
        for (auto* control : controls)
        {
            auto* handler = control->getAccessibilityHandler();
            EXPECT_TRUE (handler->getTitle().trim().isNotEmpty()) << "page " << mode << ": no title for " << describe (*control);
            // A menu with nothing chosen has no value to tell.
            if (auto* value = handler->getValueInterface(); value != nullptr && handler->getRole() != juce::AccessibilityRole::comboBox)
            {
                EXPECT_TRUE (value->getCurrentValueAsString().trim().isNotEmpty())
                    << "page " << mode << ": no value text for " << describe (*control) << " '" << handler->getTitle() << "'";
            }
        }
    }
}

namespace
{
template <typename Wanted>
std::vector<Wanted*> allOf (juce::Component& root)
{
    std::vector<Wanted*> found;
    std::function<void (juce::Component&)> walk = [&] (juce::Component& component)
    {
        for (auto* child : component.getChildren())
        {
            if (auto* wanted = dynamic_cast<Wanted*> (child))
                found.push_back (wanted);
            walk (*child);
        }
    };
    walk (root);
    return found;
}

struct AccessibleEditor : testing::Test
{
    void SetUp() override
    {
        if (const auto problem = prepareWindows(); ! problem.empty())
            GTEST_SKIP() << problem;
    }

    static void show (test::EditorFixture& f)
    {
        f.editor->addToDesktop (0);
        f.editor->setVisible (true);
    }
};
} // namespace

// A screen reader turns every bound knob of the PRO page to a quarter of its
// travel through the value interface: each moves its own parameter there.
TEST_F (AccessibleEditor, EveryKnobTurnsItsParameterThroughTheValueInterface)
{
    test::EditorFixture f (0);
    show (f);
    int turned = 0;
    for (auto* knob : allOf<PlumKnob> (*f.editor))
    {
        if (! knob->isVisible() || ! knob->isAttached())
            continue;
        auto* value = knob->getAccessibilityHandler()->getValueInterface();
        ASSERT_NE (value, nullptr) << knob->getTitle();
        const auto range = value->getRange();
        const double target = knob->proportionOfLengthToValue (0.25);
        value->setValue (target);
        auto* parameter = f.processor.parameters().getParameter (parameterSpec (knob->paramId).id);
        EXPECT_NEAR (parameter->convertFrom0to1 (parameter->getValue()), knob->getValue(), 1e-3 * (range.getMaximumValue() - range.getMinimumValue()))
            << knob->getTitle();
        EXPECT_EQ (value->getCurrentValueAsString(), knob->getTextFromValue (knob->getValue())) << "says what the knob shows";
        ++turned;
    }
    EXPECT_GT (turned, 30);
}

// The matrix read and played cell by cell, as with a screen reader or the
// keyboard alone; pressing the mode switch changes the page.
TEST_F (AccessibleEditor, TheMatrixAndTheButtonsWorkWithoutAMouse)
{
    test::EditorFixture f (0);
    show (f);
    auto& grid = allOf<ModMatrixSection> (*f.editor).front()->grid();
    auto* handler = grid.getAccessibilityHandler();
    const auto routingsBefore = f.processor.engine().modMatrix().routings().size();

    grid.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    grid.keyPressed (juce::KeyPress (juce::KeyPress::rightKey));
    EXPECT_EQ (grid.keyboardCell().row, 1);
    EXPECT_EQ (grid.keyboardCell().column, 1);
    const auto cellName = handler->getValueInterface()->getCurrentValueAsString();
    EXPECT_TRUE (cellName.startsWith ("LFO2 to ")) << cellName;
    EXPECT_TRUE (cellName.endsWith (", no routing")) << cellName;

    ASSERT_TRUE (handler->getActions().invoke (juce::AccessibilityActionType::press));
    EXPECT_EQ (f.processor.engine().modMatrix().routings().size(), routingsBefore + 1);
    EXPECT_TRUE (handler->getValueInterface()->getCurrentValueAsString().endsWith (", depth 0.50"));
    handler->getValueInterface()->setValueAsString ("-0.25");
    EXPECT_TRUE (handler->getValueInterface()->getCurrentValueAsString().endsWith (", depth -0.25"))
        << handler->getValueInterface()->getCurrentValueAsString();
    grid.keyPressed (juce::KeyPress ('+', juce::ModifierKeys(), '+'));
    EXPECT_NEAR (f.processor.engine().modMatrix().routings().back().depth, -0.2f, 1e-6f);
    grid.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_EQ (f.processor.engine().modMatrix().routings().size(), routingsBefore);
    for (int i = 0; i < 40; ++i) // held against the edges
        grid.keyPressed (juce::KeyPress (juce::KeyPress::upKey));
    EXPECT_EQ (grid.keyboardCell().row, 0);

    auto& modeSwitch = f.editor->modeSwitch();
    EXPECT_EQ (modeSwitch.getAccessibilityHandler()->getTitle(), "S!MPLE");
    ASSERT_TRUE (modeSwitch.getAccessibilityHandler()->getActions().invoke (juce::AccessibilityActionType::press));
    test::deliverPendingMessages(); // a button's press is an asynchronous click
    EXPECT_EQ (f.processor.uiMode(), 1);
    EXPECT_NE (dynamic_cast<SimpleEditorContent*> (f.editor->page()), nullptr);
}

// The S!MPLE page's drawn controls take a step's, a timbre's or a point's
// words; the arrow keys do the same.
TEST_F (AccessibleEditor, TheSimplePagesChoicesTakeWordsAndArrowKeys)
{
    test::EditorFixture f (1);
    show (f);
    auto* page = dynamic_cast<SimpleEditorContent*> (f.editor->page());
    ASSERT_NE (page, nullptr);

    auto& library = page->timbreLibrary();
    library.getAccessibilityHandler()->getValueInterface()->setValueAsString ("Bass: Sub Bass");
    ASSERT_NE (library.selectedTimbre(), nullptr);
    EXPECT_EQ (library.getAccessibilityHandler()->getValueInterface()->getCurrentValueAsString(), "Bass: Sub Bass");
    library.keyPressed (juce::KeyPress (juce::KeyPress::rightKey));
    EXPECT_NE (library.selectedTimbre()->name, "Sub Bass");

    auto& tone = *page->characterBlocks().front();
    const auto& steps = tone.map().steps;
    ASSERT_GE (steps.size(), 3u);
    tone.getAccessibilityHandler()->getValueInterface()->setValueAsString (steps[2].label.toUpperCase());
    EXPECT_EQ (tone.getCurrentStep(), 2);
    for (const auto& setting : steps[2].params)
    {
        auto* parameter = f.processor.parameters().getParameter (parameterSpec (setting.id).id);
        EXPECT_NEAR (parameter->convertFrom0to1 (parameter->getValue()), setting.value, 1e-3f) << "the step was not applied";
    }
    tone.keyPressed (juce::KeyPress (juce::KeyPress::leftKey));
    EXPECT_EQ (tone.getCurrentStep(), 1);
    EXPECT_EQ (tone.getAccessibilityHandler()->getValueInterface()->getCurrentValueAsString(), steps[1].label);

    auto& map = *allOf<SoundMap> (*page).front();
    map.getAccessibilityHandler()->getValueInterface()->setValueAsString ("0.2, 0.9");
    EXPECT_FLOAT_EQ (map.brightness(), 0.2f);
    EXPECT_FLOAT_EQ (map.harshness(), 0.9f);
    map.keyPressed (juce::KeyPress (juce::KeyPress::rightKey));
    EXPECT_NEAR (map.brightness(), 0.25f, 1e-6f);
}

// Tab walks from the on-screen keyboard into the controls; a click anywhere
// but on the keyboard or a text field never takes the focus from the
// keyboard, so the computer's keys keep playing notes.
TEST_F (AccessibleEditor, TabReachesTheControlsButClicksLeaveTheFocusWithTheKeyboard)
{
    for (const int mode : { 0, 1 })
    {
        test::EditorFixture f (mode);
        show (f);
        auto& keyboard = f.editor->onScreenKeyboard();
        for (auto* component : allOf<juce::Component> (*f.editor))
        {
            if (component != &keyboard && ! keyboard.isParentOf (component) && dynamic_cast<juce::TextEditor*> (component) == nullptr)
            {
                EXPECT_FALSE (component->getMouseClickGrabsKeyboardFocus()) << describe (*component);
            }
        }
        const auto operable = [] (juce::Component* c)
        {
            return dynamic_cast<juce::Button*> (c) != nullptr || dynamic_cast<juce::Slider*> (c) != nullptr
                || dynamic_cast<juce::ComboBox*> (c) != nullptr || dynamic_cast<ModMatrixGrid*> (c) != nullptr
                || dynamic_cast<CharacterBlockComponent*> (c) != nullptr || dynamic_cast<TimbreLibrary*> (c) != nullptr
                || dynamic_cast<SoundMap*> (c) != nullptr;
        };
        for (auto* control : controlsOf (*f.editor))
        {
            if (operable (control))
            {
                EXPECT_TRUE (control->getWantsKeyboardFocus()) << describe (*control);
            }
        }

        keyboard.grabKeyboardFocus();
        ASSERT_TRUE (keyboard.hasKeyboardFocus (false));
        auto traverser = keyboard.createKeyboardFocusTraverser();
        auto* next = traverser->getNextComponent (&keyboard);
        ASSERT_NE (next, nullptr) << "Tab leads nowhere from the keyboard on page " << mode;
        EXPECT_TRUE (operable (next)) << describe (*next);
    }
}
