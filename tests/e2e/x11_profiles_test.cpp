// The display profiles the X11 backend finds on a private Xvfb, published
// there as ArgyllCMS's dispwin publishes them and, for what dispwin cannot
// make, through Xlib. The profiles are made with Little CMS, but for one that
// Argyll makes from its own reference profile and calibration.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/platform.h"
#include "support/printers.h"
#include "support/published_profiles.h"
#include "support/test_profiles.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string ReferenceProfiles = "/usr/share/color/argyll/ref/";
constexpr auto ChangeTimeout = 10000ms;

const ProfileProperty OutputProfile{"_ICC_PROFILE", "screen"};
const ProfileProperty RootProfile{"_ICC_PROFILE", ""};
const ProfileProperty RootDeviceProfile{"_ICC_DEVICE_PROFILE", ""};

// The screen the probe mode opens on server; nothing when it does not open.
std::optional<Screen> openScreenOn(const Xvfb& server)
{
    const DisplaySession session = server.useAsDisplay();
    auto opened = openScreen();
    if (auto* why = std::get_if<std::string>(&opened)) {
        ADD_FAILURE() << *why;
        return std::nullopt;
    }
    return std::get<Screen>(std::move(opened));
}

// The display profiles of that screen.
std::unique_ptr<DisplayProfiles> openProfilesOn(const Xvfb& server)
{
    std::optional<Screen> screen = openScreenOn(server);
    return screen ? std::move(screen->profiles) : nullptr;
}

// Bytes that are no profile, but as many as wanted and each in its place.
Bytes patternOfSize(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) % 256);
    return bytes;
}

Bytes withTableVcgt()
{
    TestProfile profile;
    profile.vcgtCurve = [](int channel, double x) { return x * (0.8 + 0.1 * channel); };
    return displayProfileBytes(profile);
}

Bytes withFormulaVcgt()
{
    TestProfile profile;
    profile.vcgtFormula = {{2.2, 0, 1}, {2.0, 0, 1}, {1.8, 0, 0.9}};
    return displayProfileBytes(profile);
}

class X11PublishedProfiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_NE(m_plain, m_tableVcgt);
        ASSERT_NE(m_plain, m_formulaVcgt);
        ASSERT_NE(m_tableVcgt, m_formulaVcgt);
    }

    // Publishes bytes as property, then opens a backend and reads the profile
    // at p into reading; the backend once it has read those bytes, or nothing.
    std::unique_ptr<DisplayProfiles> openAfterPublishing(const ProfileProperty& property, const Bytes& bytes, Point p,
                                                PublishedProfile& reading)
    {
        if (!publishProfileProperty(m_server, property, bytes)) {
            ADD_FAILURE() << "cannot publish " << property.name;
            return nullptr;
        }
        auto screen = openProfilesOn(m_server);
        if (!screen || !screen->profileAt(p, reading) || reading.bytes != bytes) {
            ADD_FAILURE() << "the published profile is not read";
            return nullptr;
        }
        return screen;
    }

    // Reads the profile at p until it satisfies done or the deadline passes;
    // whether it did.
    bool readUntil(DisplayProfiles& screen, Point p, PublishedProfile& reading,
                   const std::function<bool(const PublishedProfile&)>& done)
    {
        return waitUntil(ChangeTimeout, [&] { return screen.profileAt(p, reading) && done(reading); });
    }

    Xvfb m_server;
    // Three display profiles: without a calibration, with a table, with a
    // formula.
    const Bytes m_plain = displayProfileBytes();
    const Bytes m_tableVcgt = withTableVcgt();
    const Bytes m_formulaVcgt = withFormulaVcgt();
};

// dispwin -I sets the output's and the root's _ICC_PROFILE, -U removes both:
// a running backend follows each step, with a new serial each time.
TEST_F(X11PublishedProfiles, followsWhatDispwinInstallsAndRemoves)
{
    TempDir home("tintora-dispwin");
    const auto environment =
        m_server.clientEnvironment({{"HOME", home.path()}, {"XDG_CONFIG_HOME", home.file("config")}});
    const auto run = [&](const std::vector<std::string>& args) {
        ChildProcess tool(args.front(), {args.begin() + 1, args.end()}, environment);
        return exitCode(tool.waitForExit(ChangeTimeout)) == 0;
    };
    // A real display profile with a calibration (vcgt), as a display
    // calibration leaves it.
    const std::string calibrated = home.file("calibrated.icc");
    ASSERT_TRUE(run({"iccvcgt", "-i", ReferenceProfiles + "sRGB.icm", ReferenceProfiles + "strange.cal", calibrated}));
    const Bytes calibratedBytes = fileBytes(calibrated);
    ASSERT_FALSE(calibratedBytes.empty());

    auto screen = openProfilesOn(m_server);
    ASSERT_TRUE(screen);
    const Point p{500, 500};
    PublishedProfile reading;
    ASSERT_TRUE(screen->profileAt(p, reading));
    EXPECT_TRUE(reading.bytes.empty());
    EXPECT_EQ(reading.output, "screen");

    ASSERT_TRUE(run({"dispwin", "-I", calibrated}));
    ASSERT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.bytes == calibratedBytes; }));
    EXPECT_EQ(reading.origin, "output property _ICC_PROFILE");
    EXPECT_EQ(reading.output, "screen");
    const std::uint64_t installed = reading.serial;

    const std::string made = home.file("made.icc");
    ASSERT_TRUE(writeProfileFile(made, m_tableVcgt));
    ASSERT_TRUE(run({"dispwin", "-I", made}));
    ASSERT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.bytes == m_tableVcgt; }));
    EXPECT_NE(reading.serial, installed);

    ASSERT_TRUE(run({"dispwin", "-U"}));
    ASSERT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.bytes.empty(); }));
    EXPECT_EQ(reading.origin, "");
    EXPECT_EQ(reading.output, "screen");
}

// Which property applies when several are published; each case is read by
// a backend opened after it was published.
TEST_F(X11PublishedProfiles, theOutputsPropertyThenTheRootsDeviceProfileThenTheRootsProfile)
{
    struct Published {
        ProfileProperty property;
        Bytes bytes;
        int format = 8;
    };
    struct Case {
        const char* name;
        std::vector<Published> published;
        Bytes expected;
        std::string origin;
    };
    const Case cases[] = {
        {"the root's profile alone", {{RootProfile, m_plain}}, m_plain, "root property _ICC_PROFILE"},
        {"the root's device profile before its profile",
         {{RootProfile, m_plain}, {RootDeviceProfile, m_formulaVcgt}},
         m_formulaVcgt,
         "root property _ICC_DEVICE_PROFILE"},
        {"the output's before the root's",
         {{RootProfile, m_plain}, {RootDeviceProfile, m_formulaVcgt}, {OutputProfile, m_tableVcgt}},
         m_tableVcgt,
         "output property _ICC_PROFILE"},
        {"the output's alone", {{OutputProfile, m_tableVcgt}}, m_tableVcgt, "output property _ICC_PROFILE"},
        {"a format 32 property is no profile",
         {{RootProfile, m_plain}, {OutputProfile, m_tableVcgt, 32}, {RootDeviceProfile, m_formulaVcgt, 32}},
         m_plain,
         "root property _ICC_PROFILE"},
        // Something is published there, and it is not a profile: it is
        // refused (said so) rather than passed over for the root's.
        {"an empty output property is refused before the root's", {{RootProfile, m_plain}, {OutputProfile, {}}}, {},
         "output property _ICC_PROFILE"},
        {"another screen's profile is not the first one's", {{{"_ICC_PROFILE_1", ""}, m_plain}}, {}, ""},
        {"nothing published", {}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProfileProperty watched[] = {OutputProfile, RootProfile, RootDeviceProfile, {"_ICC_PROFILE_1", ""}};
        for (const ProfileProperty& p : watched)
            ASSERT_TRUE(removeProfileProperty(m_server, p));
        for (const Published& p : c.published)
            ASSERT_TRUE(publishProfileProperty(m_server, p.property, p.bytes, p.format)) << p.property.name;

        auto screen = openProfilesOn(m_server);
        ASSERT_TRUE(screen);
        PublishedProfile reading;
        ASSERT_TRUE(screen->profileAt({100, 100}, reading));
        EXPECT_EQ(reading.bytes, c.expected);
        EXPECT_EQ(reading.origin, c.origin);
        EXPECT_EQ(reading.output, "screen");
        EXPECT_NE(reading.serial, 0u);

        // Xvfb has one output: the list holds the same.
        const std::vector<PublishedProfile> all = screen->allProfiles();
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].bytes, c.expected);
        EXPECT_EQ(all[0].origin, c.origin);
        EXPECT_EQ(all[0].output, "screen");
    }
}

// Between the server's notices nothing is copied; each notice of a property
// that applies brings its new bytes and a new serial, a removal the next
// property in line.
TEST_F(X11PublishedProfiles, readsAgainWhenAPropertyChanges)
{
    const Point p{1000, 300};
    PublishedProfile reading;
    auto screen = openAfterPublishing(RootProfile, m_plain, p, reading);
    ASSERT_TRUE(screen);

    // The same serial and output: the caller's bytes are left alone.
    PublishedProfile kept = reading;
    kept.bytes.clear();
    ASSERT_TRUE(screen->profileAt(p, kept));
    EXPECT_TRUE(kept.bytes.empty());
    EXPECT_EQ(kept.serial, reading.serial);

    struct Step {
        const char* name;
        std::function<bool()> change;
        Bytes expected;
        std::string origin;
    };
    const Step steps[] = {
        {"the root's profile replaced", [&] { return publishProfileProperty(m_server, RootProfile, m_tableVcgt); },
         m_tableVcgt, "root property _ICC_PROFILE"},
        {"a device profile published",
         [&] { return publishProfileProperty(m_server, RootDeviceProfile, m_formulaVcgt); }, m_formulaVcgt,
         "root property _ICC_DEVICE_PROFILE"},
        {"the output's published", [&] { return publishProfileProperty(m_server, OutputProfile, m_plain); }, m_plain,
         "output property _ICC_PROFILE"},
        {"the output's replaced", [&] { return publishProfileProperty(m_server, OutputProfile, m_tableVcgt); },
         m_tableVcgt, "output property _ICC_PROFILE"},
        {"the output's removed", [&] { return removeProfileProperty(m_server, OutputProfile); }, m_formulaVcgt,
         "root property _ICC_DEVICE_PROFILE"},
        {"the device profile removed", [&] { return removeProfileProperty(m_server, RootDeviceProfile); },
         m_tableVcgt, "root property _ICC_PROFILE"},
        {"the root's profile removed", [&] { return removeProfileProperty(m_server, RootProfile); }, {}, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::uint64_t before = reading.serial;
        ASSERT_TRUE(step.change());
        EXPECT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) {
            return r.bytes == step.expected && r.origin == step.origin;
        }));
        EXPECT_NE(reading.serial, before);
    }
}

// When the outputs change, a reading kept from before is filled again: the
// output switched off (xrandr ends with an error when it then cannot shrink
// Xvfb's screen, which it cannot resize, but the output is off) and on.
TEST_F(X11PublishedProfiles, outputsThatChangeGiveANewSerial)
{
    const Point p{300, 300};
    PublishedProfile reading;
    auto screen = openAfterPublishing(OutputProfile, m_tableVcgt, p, reading);
    ASSERT_TRUE(screen);
    const std::uint64_t before = reading.serial;

    m_server.runClient("xrandr", {"--output", "screen", "--off"});
    PublishedProfile none;
    EXPECT_TRUE(waitUntil(ChangeTimeout, [&] { return !screen->profileAt(p, none); })) << "no output shows anything";
    ASSERT_TRUE(m_server.runClient("xrandr", {"--output", "screen", "--auto"}));
    EXPECT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.serial != before; }));
    EXPECT_EQ(reading.bytes, m_tableVcgt);
    EXPECT_EQ(reading.output, "screen");
}

// A profile larger than the cap is not read: the property still applies
// (its bytes empty, what lies behind it is not shown) and the reading says
// it was refused and why, with its size; one of exactly the cap is read
// whole. So is an empty property refused, not taken for none.
TEST_F(X11PublishedProfiles, aProfileLargerThanTheCapIsNotRead)
{
    ASSERT_TRUE(publishProfileProperty(m_server, RootProfile, m_plain));
    ASSERT_TRUE(publishProfileProperty(m_server, OutputProfile, patternOfSize(kLargestProfileBytes + 1)));
    auto screen = openProfilesOn(m_server);
    ASSERT_TRUE(screen);
    const Point p{10, 10};
    PublishedProfile reading;

    testing::internal::CaptureStderr();
    ASSERT_TRUE(screen->profileAt(p, reading));
    EXPECT_TRUE(reading.bytes.empty());
    EXPECT_EQ(reading.origin, "output property _ICC_PROFILE");
    EXPECT_EQ(reading.refusal, "The display profile is larger than 4 MiB.");
    EXPECT_EQ(reading.refusedSize, kLargestProfileBytes + 1);
    const std::uint64_t first = reading.serial;
    ASSERT_TRUE(publishProfileProperty(m_server, OutputProfile, patternOfSize(kLargestProfileBytes + 4096)));
    EXPECT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.serial != first; }));
    EXPECT_TRUE(reading.bytes.empty());
    EXPECT_EQ(reading.refusedSize, kLargestProfileBytes + 4096);
    const std::uint64_t larger = reading.serial;
    ASSERT_TRUE(publishProfileProperty(m_server, OutputProfile, {}));
    EXPECT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.serial != larger; }));
    EXPECT_TRUE(reading.bytes.empty());
    EXPECT_EQ(reading.origin, "output property _ICC_PROFILE") << "the root's profile stays behind it";
    EXPECT_EQ(reading.refusal, "The display profile property is empty.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the screen leaves the telling to the reader";

    const Bytes largest = patternOfSize(kLargestProfileBytes);
    ASSERT_TRUE(publishProfileProperty(m_server, OutputProfile, largest));
    EXPECT_TRUE(readUntil(*screen, p, reading, [&](const auto& r) { return r.bytes == largest; }));
    EXPECT_EQ(reading.refusal, "");
}

// Xvfb's one output split into two RandR monitors: "left" made of the
// output, "right" of none. The n-th monitor in the server's list has the
// root's properties with the suffix "_n"; the output's own property describes
// only the monitor made of it. Each point reads the same whatever was read
// into the reading before, and the list names the same for each monitor.
TEST_F(X11PublishedProfiles, eachMonitorHasItsOwnProfile)
{
    ASSERT_TRUE(m_server.runClient("xrandr", {"--setmonitor", "left", "960/254x1080/286+0+0", "screen"}));
    ASSERT_TRUE(m_server.runClient("xrandr", {"--setmonitor", "right", "960/254x1080/286+960+0", "none"}));
    const Point left{100, 100}, right{1500, 100}, leftLow{100, 900};
    struct Published {
        ProfileProperty property;
        const Bytes* bytes;
    };
    struct Expected {
        const Bytes* bytes; // nullptr: none
        std::string origin;
    };
    struct Case {
        const char* name;
        std::vector<Published> published;
        Expected left, right;
    };
    const Bytes none;
    const Case cases[] = {
        {"the root's profile and the second screen's",
         {{RootProfile, &m_plain}, {{"_ICC_PROFILE_1", ""}, &m_tableVcgt}},
         {&m_plain, "root property _ICC_PROFILE"},
         {&m_tableVcgt, "root property _ICC_PROFILE_1"}},
        {"the second screen's alone", {{{"_ICC_PROFILE_1", ""}, &m_tableVcgt}}, {&none, ""},
         {&m_tableVcgt, "root property _ICC_PROFILE_1"}},
        {"the root's alone: the second screen has none", {{RootProfile, &m_plain}}, {&m_plain, "root property _ICC_PROFILE"},
         {&none, ""}},
        {"a third screen's device profile belongs to no monitor",
         {{RootProfile, &m_plain}, {{"_ICC_DEVICE_PROFILE_2", ""}, &m_formulaVcgt}},
         {&m_plain, "root property _ICC_PROFILE"},
         {&none, ""}},
        {"the output's property describes the monitor made of it, not the other",
         {{OutputProfile, &m_formulaVcgt}, {RootProfile, &m_plain}, {{"_ICC_PROFILE_1", ""}, &m_tableVcgt}},
         {&m_formulaVcgt, "output property _ICC_PROFILE"},
         {&m_tableVcgt, "root property _ICC_PROFILE_1"}},
        {"the second screen's device profile before its profile",
         {{{"_ICC_PROFILE_1", ""}, &m_tableVcgt}, {{"_ICC_DEVICE_PROFILE_1", ""}, &m_formulaVcgt}},
         {&none, ""},
         {&m_formulaVcgt, "root property _ICC_DEVICE_PROFILE_1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProfileProperty watched[] = {OutputProfile, RootProfile, RootDeviceProfile, {"_ICC_PROFILE_1", ""},
                                           {"_ICC_DEVICE_PROFILE_1", ""}, {"_ICC_DEVICE_PROFILE_2", ""}};
        for (const ProfileProperty& p : watched)
            ASSERT_TRUE(removeProfileProperty(m_server, p));
        for (const Published& p : c.published)
            ASSERT_TRUE(publishProfileProperty(m_server, p.property, *p.bytes)) << p.property.name;

        const std::optional<Screen> whole = openScreenOn(m_server);
        ASSERT_TRUE(whole);
        ASSERT_EQ(whole->monitors->monitors().size(), 2u);
        DisplayProfiles* screen = whole->profiles.get();
        ASSERT_TRUE(screen->canReadProfiles());
        // The points in several orders, each into the same reading and into
        // a fresh one: always the same answer.
        const std::vector<std::vector<Point>> orders = {
            {left, right}, {right, left}, {right, leftLow, right, left}, {left, left, right, right}};
        std::vector<PublishedProfile> seen;
        for (const auto& order : orders) {
            PublishedProfile reading;
            for (const Point p : order) {
                SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y);
                const Expected& expected = p == right ? c.right : c.left;
                PublishedProfile fresh;
                ASSERT_TRUE(screen->profileAt(p, reading));
                ASSERT_TRUE(screen->profileAt(p, fresh));
                for (const PublishedProfile* r : {&reading, &fresh}) {
                    EXPECT_EQ(r->bytes, *expected.bytes);
                    EXPECT_EQ(r->origin, expected.origin);
                    EXPECT_EQ(r->output, "screen");
                }
                EXPECT_EQ(reading.serial, fresh.serial);
                seen.push_back(reading);
            }
        }
        // A serial stands for one reading: the same serial, the same bytes
        // and origin, so a reader that keeps its profile by serial and
        // output never keeps the other monitor's.
        for (const PublishedProfile& a : seen)
            for (const PublishedProfile& b : seen)
                EXPECT_EQ(a.serial == b.serial, a.bytes == b.bytes && a.origin == b.origin);

        // The list: each monitor once, in the server's order, as its points
        // read.
        const std::vector<PublishedProfile> all = screen->allProfiles();
        ASSERT_EQ(all.size(), 2u);
        const std::pair<std::string, Rect> monitors[] = {{"left", {0, 0, 960, 1080}}, {"right", {960, 0, 960, 1080}}};
        for (std::size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(monitors[i].first);
            const Expected& expected = i == 0 ? c.left : c.right;
            EXPECT_EQ(all[i].monitor.index, static_cast<int>(i));
            EXPECT_EQ(all[i].monitor.name, monitors[i].first);
            EXPECT_EQ(all[i].monitor.rect, monitors[i].second);
            EXPECT_EQ(all[i].output, "screen");
            EXPECT_EQ(all[i].bytes, *expected.bytes);
            EXPECT_EQ(all[i].origin, expected.origin);
        }
    }
}

// A notice of a change reaches only the monitor whose property changed; the
// monitors change and the profiles follow them.
TEST_F(X11PublishedProfiles, profilesFollowTheMonitorsAsTheyChange)
{
    ASSERT_TRUE(publishProfileProperty(m_server, RootProfile, m_plain));
    ASSERT_TRUE(publishProfileProperty(m_server, {"_ICC_PROFILE_1", ""}, m_tableVcgt));
    auto screen = openProfilesOn(m_server);
    ASSERT_TRUE(screen);
    const Point right{1500, 100};
    PublishedProfile reading;
    // One monitor: the first screen's profile everywhere.
    ASSERT_TRUE(screen->profileAt(right, reading));
    EXPECT_EQ(reading.bytes, m_plain);

    // "right" defined alone: the server lists it first and the output's
    // automatic monitor after it, so at the right the first screen's profile
    // applies and at the left the second's.
    ASSERT_TRUE(m_server.runClient("xrandr", {"--setmonitor", "right", "960/254x1080/286+960+0", "none"}));
    EXPECT_TRUE(readUntil(*screen, right, reading, [&](const auto& r) { return r.bytes == m_plain && r.origin == "root property _ICC_PROFILE"; }));
    PublishedProfile atLeft;
    EXPECT_TRUE(readUntil(*screen, {100, 100}, atLeft, [&](const auto& r) { return r.bytes == m_tableVcgt; }));
    EXPECT_EQ(atLeft.origin, "root property _ICC_PROFILE_1");

    // The second screen's profile replaced: the left follows.
    ASSERT_TRUE(publishProfileProperty(m_server, {"_ICC_PROFILE_1", ""}, m_formulaVcgt));
    EXPECT_TRUE(readUntil(*screen, {100, 100}, atLeft, [&](const auto& r) { return r.bytes == m_formulaVcgt; }));
    ASSERT_TRUE(screen->profileAt(right, reading));
    EXPECT_EQ(reading.bytes, m_plain);

    // The monitor removed: one screen again.
    ASSERT_TRUE(m_server.runClient("xrandr", {"--delmonitor", "right"}));
    EXPECT_TRUE(readUntil(*screen, {100, 100}, atLeft, [&](const auto& r) { return r.bytes == m_plain; }));
    ASSERT_TRUE(screen->profileAt(right, reading));
    EXPECT_EQ(reading.bytes, m_plain);
    EXPECT_EQ(screen->allProfiles().size(), 1u);
}

} // namespace
