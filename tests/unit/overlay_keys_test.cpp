#include <gtest/gtest.h>

#include "platform/wlroots/overlay_keys.h"

using namespace tintora;
using namespace tintora::wlroots;

namespace {

// evdev codes of a few keys, where a US keyboard has them.
constexpr std::uint32_t KeyEsc = 1, KeyQ = 16, KeyC = 46, KeyP = 25, KeyLeftShift = 42;

TEST(OverlayKeys, keyOfSymbol)
{
    const struct {
        std::uint32_t keysym;
        std::uint32_t code;
        int key;
    } cases[] = {
        {0xff1b, KeyEsc, keys::Escape},
        // A keymap made up by a virtual keyboard numbers keys its own way:
        // the symbol counts, not the place.
        {0xff1b, KeyQ, keys::Escape},
        {0xff51, 105, keys::Left},
        {0xff52, 103, keys::Up},
        {0xff53, 106, keys::Right},
        {0xff54, 108, keys::Down},
        {0x20, 57, keys::Space},
        {0xff09, 15, keys::Tab},
        {0xfe20, 15, keys::Tab}, // Tab with Shift
        {0xff0d, 28, keys::Return},
        {0xffbe, 59, keys::F1},
        {'=', 13, keys::Plus},
        {'+', 13, keys::Plus},
        {'-', 12, keys::Minus},
        {0xffab, 78, keys::KeypadAdd},
        {0xffad, 74, keys::KeypadSubtract},
        {'p', KeyP, 'P'},
        {'P', KeyP, 'P'},
        {'c', KeyC, 'C'},
        {'7', 8, '7'},
        // Another script's letter: the key's place names it.
        {0x6d3, KeyC, 'C'},      // Cyrillic_es, where a US keyboard has C
        {0x10004f1, KeyP, 'P'},  // a Unicode keysym
        {0x6d3, 57, keys::Unknown},
        // Modifiers come as masks; function keys that nothing uses, and no
        // symbol at all, are nothing, wherever they lie.
        {0xffe1, KeyLeftShift, keys::Unknown},
        {0xffe1, KeyQ, keys::Unknown},
        {0xffbf, KeyQ, keys::Unknown}, // F2
        {0, KeyQ, keys::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyOfSymbol(c.keysym, c.code), c.key) << std::hex << c.keysym << " at " << std::dec << c.code;
}

TEST(OverlayKeys, modifierChangesComeAsKeysWithTheStateAfterEach)
{
    using Change = ModifierChanges::Change;
    const struct {
        const char* name;
        HeldModifiers before, after;
        std::vector<Change> expected;
    } cases[] = {
        {"nothing changes", {true, false, false}, {true, false, false}, {}},
        {"Alt down", {}, {false, false, true}, {{{keys::Alt, false, false, true}, true}}},
        {"Alt up with Shift held", {true, false, true}, {true, false, false}, {{{keys::Alt, true, false, false}, false}}},
        {"Shift and Alt at once", {}, {true, false, true},
         {{{keys::Shift, true, false, false}, true}, {{keys::Alt, true, false, true}, true}}},
        {"all three let go", {true, true, true}, {},
         {{{keys::Shift, false, true, true}, false},
          {{keys::Control, false, false, true}, false},
          {{keys::Alt, false, false, false}, false}}},
        {"Ctrl for Shift", {true, false, false}, {false, true, false},
         {{{keys::Shift, false, false, false}, false}, {{keys::Control, false, true, false}, true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ModifierChanges got = modifierChanges(c.before, c.after);
        ASSERT_EQ(got.count, static_cast<int>(c.expected.size()));
        for (int i = 0; i < got.count; ++i) {
            const Change& g = got.changes[i];
            const Change& e = c.expected[static_cast<std::size_t>(i)];
            EXPECT_EQ(g.key.key, e.key.key) << i;
            EXPECT_EQ(g.key.shift, e.key.shift) << i;
            EXPECT_EQ(g.key.ctrl, e.key.ctrl) << i;
            EXPECT_EQ(g.key.alt, e.key.alt) << i;
            EXPECT_EQ(g.pressed, e.pressed) << i;
        }
    }
}

} // namespace
