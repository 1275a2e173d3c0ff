// The pointer's record: its text both ways, what is no record, and what
// giving a setting back writes with other copies of the program about.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pointer_record.h"

using namespace tintora;

namespace {

const PointerValue Identity{0x3f800000, 0, 0, 0, 0x3f800000, 0, 0, 0, 0x3f800000};
const PointerValue Slow{0x3d000000, 0, 0, 0, 0x3d000000, 0, 0, 0, 0x3f800000};
const PointerValue Slower{0x3c800000, 0, 0, 0, 0x3c800000, 0, 0, 0, 0x3f800000};
const PointerValue Users{0x40000000, 0, 0, 0, 0x40000000, 0, 0, 0, 0x3f800000};

const std::string IdentityText = "3f800000,00000000,00000000,00000000,3f800000,00000000,00000000,00000000,3f800000";
const std::string SlowText = "3d000000,00000000,00000000,00000000,3d000000,00000000,00000000,00000000,3f800000";
const std::string SlowerText = "3c800000,00000000,00000000,00000000,3c800000,00000000,00000000,00000000,3f800000";

TEST(PointerRecord, textBothWays)
{
    struct Case {
        const char* name;
        PointerRecord record;
        std::string text;
    };
    const Case cases[] = {
        {"a device, and one while its change is being made",
         {4242, 0, {{6, "Xvfb mouse", Identity, {Slow}}, {11, "", Identity, {Slow, Slower}}}, false},
         "tintora pointer record 1\nowner 4242 0\nsetting 6 Xvfb%20mouse " + IdentityText + " " + SlowText +
             "\nsetting 11 - " + IdentityText + " " + SlowText + " " + SlowerText + "\n"},
        {"the system's speed, the pointer held",
         {4242, 133456789012345678ull, {{0, "speed", {10}, {{1}}}}, true},
         "tintora pointer record 1\nowner 4242 133456789012345678\nsetting 0 speed 0000000a 00000001\nconfined\n"},
        {"names with any bytes, the largest numbers",
         {4294967295u, 18446744073709551615ull, {{2147483647, "-%a b\n\xff._", {0xffffffff}, {{0}}}}, false},
         "tintora pointer record 1\nowner 4294967295 18446744073709551615\nsetting 2147483647 "
         "%2D%25a%20b%0A%FF._ ffffffff 00000000\n"},
        {"nothing but the pointer held", {7, 0, {}, true}, "tintora pointer record 1\nowner 7 0\nconfined\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pointerRecordText(c.record), c.text);
        EXPECT_EQ(parsePointerRecord(c.text), c.record);
    }
}

// The file the X11 backend left before the record was shared (after a
// crash, say) still says what to give back.
TEST(PointerRecord, fileOfTheEarlierX11BackendIsRead)
{
    const std::string text = "tintora-pointer-state 1\ndevice 6 58766662206d6f757365 " + IdentityText + " " +
                             SlowText + "\ndevice 9 - " + IdentityText + " " + SlowText + " " + SlowerText + "\n";
    const PointerRecord expected{0, 0, {{6, "Xvfb mouse", Identity, {Slow}}, {9, "", Identity, {Slow, Slower}}}, false};
    EXPECT_EQ(parsePointerRecord(text), expected);
}

TEST(PointerRecord, whatIsNoRecord)
{
    const std::string good = "tintora pointer record 1\nowner 1 2\nsetting 6 m " + IdentityText + " " + SlowText +
                             "\nconfined\n";
    ASSERT_TRUE(parsePointerRecord(good));
    // Cut short anywhere but at a line's end.
    for (std::size_t n = 0; n < good.size(); ++n) {
        if (n > 0 && good[n - 1] == '\n') continue;
        EXPECT_FALSE(parsePointerRecord(good.substr(0, n))) << n;
    }

    const std::string head = "tintora pointer record 1\nowner 1 2\n";
    const std::string bad[] = {
        "tintora pointer record 2\nowner 1 2\n",
        "tintora pointer record 1\r\nowner 1 2\r\n",
        "tintora pointer record 1\n",
        "tintora pointer record 1\nowner 1\n",
        "tintora pointer record 1\nowner 01 2\n",
        "tintora pointer record 1\nowner 4294967296 2\n",
        "tintora pointer record 1\nowner 1 18446744073709551616\n",
        "tintora pointer record 1\nowner -1 2\n",
        "tintora pointer record 1\nowner  1 2\n",
        head + "\n",
        head + "confined\nconfined\n",
        head + "confined\nsetting 0 speed 0000000a 00000001\n",
        head + "confined 1\n",
        head + "setting 0 speed 0000000a\n",
        head + "setting 0 speed 0000000a 00000001 00000002 00000003\n",
        head + "setting 2147483648 speed 0000000a 00000001\n",
        head + "setting 0 speed 0000000A 00000001\n",
        head + "setting 0 speed a 1\n",
        head + "setting 0 speed 0000000a 00000001,00000002\n",
        head + "setting 0 speed 0000000a, 00000001\n",
        head + "setting 0 speed 0000000a;00000000 00000001;00000000\n",
        head + "setting 0 speed 00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000,"
               "00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000 "
               "00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000,"
               "00000000,00000000,00000000,00000000,00000000,00000000,00000000,00000000\n",
        head + "setting 0 sp%65ed 0000000a 00000001\n",
        head + "setting 0 sp%2 0000000a 00000001\n",
        head + "setting 0 sp%2d 0000000a 00000001\n",
        head + "setting 0 sp:ed 0000000a 00000001\n",
        head + "setting 0 " + std::string(1025, 'x') + " 0000000a 00000001\n",
        head + "setting 0 speed 0000000a 00000001\nsetting 0 other 0000000a 00000001\n",
        head + "device 6 - 0000000a 00000001\n",
        "tintora-pointer-state 1\ndevice 4 zz 0,0\ngarbage\n",
        "tintora-pointer-state 1\nsetting 6 m 0000000a 00000001\n",
        "tintora-pointer-state 1\ndevice 6 6 0000000a 00000001\n",
        "tintora-pointer-state 1\ndevice 6 - 0000000a 00000001\nconfined\n",
        std::string("tintora pointer record 1\nowner 1 2\0\n", 36),
    };
    for (const std::string& text : bad) EXPECT_FALSE(parsePointerRecord(text)) << text;

    std::string tooMany = head;
    for (std::size_t id = 0; id <= kMostRecordedSettings; ++id)
        tooMany += "setting " + std::to_string(id) + " m 00000000 00000001\n";
    EXPECT_FALSE(parsePointerRecord(tooMany));
}

// A record is written only where it reads back whole: whatever a start would
// refuse to read is refused at the write, saying why.
TEST(PointerRecord, fileTextIsOnlyWhatReadsBack)
{
    const auto settings = [](std::size_t count, std::size_t nameBytes, const PointerValue& value) {
        std::vector<ChangedSetting> list;
        for (std::size_t i = 0; i < count; ++i)
            list.push_back({static_cast<int>(i), std::string(nameBytes, 'm'), value, {value}});
        return list;
    };
    const std::string tooMuchToRead = " a start reads";
    // Two hundred devices with long names: over the bytes a start reads.
    const PointerRecord large{1, 0, settings(200, 300, Identity), false};
    const std::string largeBytes = std::to_string(pointerRecordText(large).size());
    const struct {
        const char* name;
        PointerRecord record;
        std::string refusal; // empty: written
    } cases[] = {
        {"a device", {4242, 0, {{6, "Xvfb mouse", Identity, {Slow}}}, true}, ""},
        {"as many settings as a start reads", {1, 0, settings(kMostRecordedSettings, 1, {10}), false}, ""},
        {"a name as long as a start reads", {1, 0, {{6, std::string(kMostNameBytes, '%'), Identity, {Slow}}}, false},
         ""},
        {"one setting more than a start reads", {1, 0, settings(kMostRecordedSettings + 1, 1, {10}), false},
         "the record of 1025 settings would be past the 1024" + tooMuchToRead},
        {"more bytes than a start reads", large,
         "the record of " + largeBytes + " bytes would be past the 65536" + tooMuchToRead},
        {"a setting twice", {1, 0, {{6, "a", Identity, {Slow}}, {6, "b", Identity, {Slow}}}, false},
         "the record would not read back as written"},
        {"values of different lengths", {1, 0, {{6, "a", Identity, {{1}}}}, false},
         "the record would not read back as written"},
        {"a name past its limit", {1, 0, {{6, std::string(kMostNameBytes + 1, 'x'), Identity, {Slow}}}, false},
         "the record would not read back as written"},
        {"a value past its limit", {1, 0, {{6, "a", PointerValue(kMostValueWords + 1, 1), {PointerValue(kMostValueWords + 1, 2)}}}, false},
         "the record would not read back as written"},
        {"an empty value", {1, 0, {{6, "a", {}, {{}}}}, false}, "the record would not read back as written"},
        {"nothing written", {1, 0, {{6, "a", Identity, {}}}, false}, "the record would not read back as written"},
        {"a negative id", {1, 0, {{-6, "a", Identity, {Slow}}}, false}, "the record would not read back as written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string why;
        const auto text = pointerRecordFileText(c.record, why);
        if (c.refusal.empty()) {
            ASSERT_TRUE(text) << why;
            EXPECT_EQ(*text, pointerRecordText(c.record));
            EXPECT_LE(text->size(), kMostPointerRecordBytes);
            EXPECT_EQ(parsePointerRecord(*text), c.record);
        } else {
            EXPECT_FALSE(text);
            EXPECT_EQ(why, c.refusal);
        }
    }
}

// A setting is given back only where it still shows a value this record
// wrote; another copy that still runs and changed it from the same original
// keeps its own value, so the last copy to end leaves the original.
TEST(PointerRecord, whatGivingBackWrites)
{
    const ChangedSetting mouse{6, "Xvfb mouse", Identity, {Slow}};
    const ChangedSetting changing{6, "Xvfb mouse", Identity, {Slow, Slower}};
    const auto copy = [](ChangedSetting s, bool running) { return OtherCopy{{99, 0, {std::move(s)}, false}, running}; };
    struct Case {
        const char* name;
        ChangedSetting setting;
        PointerValue current;
        std::vector<OtherCopy> others;
        std::optional<PointerValue> expected;
    };
    const Case cases[] = {
        {"the value set", mouse, Slow, {}, Identity},
        {"the value being written", changing, Slower, {}, Identity},
        {"the value set, the change under way", changing, Slow, {}, Identity},
        {"the user's own since", mouse, Users, {}, std::nullopt},
        {"the original already", mouse, Identity, {}, std::nullopt},
        {"a running copy's change from the same original", mouse, Slow,
         {copy({6, "Xvfb mouse", Identity, {Slower}}, true)}, Slower},
        {"a running copy's change under way: the value it set", mouse, Slow,
         {copy({6, "Xvfb mouse", Identity, {Slower, Users}}, true)}, Slower},
        {"a running copy's value shows already", mouse, Slow, {copy({6, "Xvfb mouse", Identity, {Slow}}, true)},
         std::nullopt},
        {"an ended copy counts for nothing", mouse, Slow, {copy({6, "Xvfb mouse", Identity, {Slower}}, false)},
         Identity},
        {"a running copy's change of another device", mouse, Slow,
         {copy({6, "other mouse", Identity, {Slower}}, true), copy({7, "Xvfb mouse", Identity, {Slower}}, true)},
         Identity},
        {"a running copy's change from another original", mouse, Slow,
         {copy({6, "Xvfb mouse", Users, {Slower}}, true)}, Identity},
        {"the first running copy that holds it", mouse, Slow,
         {copy({6, "Xvfb mouse", Identity, {Slower}}, false), copy({6, "Xvfb mouse", Identity, {Users}}, true),
          copy({6, "Xvfb mouse", Identity, {Slower}}, true)},
         Users},
        {"the system's speed", {0, "speed", {10}, {{1}}}, {1}, {}, PointerValue{10}},
        {"the system's speed, a running copy's", {0, "speed", {10}, {{1}}}, {1},
         {copy({0, "speed", {10}, {{3}}}, true)}, PointerValue{3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(valueToGiveBack(c.setting, c.current, c.others), c.expected);
    }
}

// What a change scales: the user's own value, not one another copy (running
// or ended) has set.
TEST(PointerRecord, originalUnderAnotherCopysValue)
{
    const auto copy = [](ChangedSetting s, bool running) { return OtherCopy{{99, 0, {std::move(s)}, false}, running}; };
    struct Case {
        const char* name;
        PointerValue current;
        std::vector<OtherCopy> others;
        PointerValue expected;
    };
    const Case cases[] = {
        {"no other copy", Users, {}, Users},
        {"a running copy's value", Slow, {copy({6, "Xvfb mouse", Identity, {Slow}}, true)}, Identity},
        {"the value a running copy is writing", Slower, {copy({6, "Xvfb mouse", Identity, {Slow, Slower}}, true)},
         Identity},
        {"an ended copy's value", Slow, {copy({6, "Xvfb mouse", Users, {Slow}}, false)}, Users},
        {"not a value the copy wrote", Users, {copy({6, "Xvfb mouse", Identity, {Slow}}, true)}, Users},
        {"another device's", Slow,
         {copy({6, "other mouse", Identity, {Slow}}, true), copy({7, "Xvfb mouse", Identity, {Slow}}, true)}, Slow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(originalUnder(6, "Xvfb mouse", c.current, c.others), c.expected);
    }
}

} // namespace
