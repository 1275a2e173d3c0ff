// MutterGamma over a stand-in for Mutter's DisplayConfig
// (fake/fake_mutter_display_config.cpp, whose header comment gives its
// layouts and ramps) on a private session bus of each test's own.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/wayland/mutter_gamma.h"
#include "support/processes.h"

using namespace tintora;
using namespace tintora::test;
using tintora::wayland::MutterGamma;

namespace {

// Entry i of the stand-in's ramp of n entries, channel c, before any shift.
std::uint16_t fakeEntry(int c, int i, int n)
{
    const int v = i * 65535 / (n - 1);
    const int entries[3] = {v, v / 2 + 1000, 65535 - v};
    return static_cast<std::uint16_t>(entries[c]);
}

// The 256-entry table a ramp of n entries reads as: level L takes the entry
// nearest L * (n - 1) / 255.
GammaTable expectedRamp(int n, std::uint16_t shift = 0)
{
    GammaTable t{};
    for (int c = 0; c < 3; ++c)
        for (int level = 0; level < 256; ++level) {
            const int index = static_cast<int>(std::lround(level * (n - 1) / 255.0));
            t[static_cast<std::size_t>(c * 256 + level)] = static_cast<std::uint16_t>(fakeEntry(c, index, n) + shift);
        }
    return t;
}

// A private session bus with the stand-in serving on it.
class MutterGammaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_address = "unix:path=" + m_dir.file("bus");
        m_daemon = std::make_unique<ChildProcess>(
            "dbus-daemon", std::vector<std::string>{"--session", "--address=" + m_address, "--nofork", "--nopidfile"},
            environmentWith({}), m_dir.file("dbus.log"));
        ASSERT_NE(m_daemon->pid(), 0) << m_daemon->error();
        ASSERT_TRUE(waitUntil(10s, [&] { return std::filesystem::exists(m_dir.file("bus")); }))
            << readAll(m_dir.file("dbus.log"));
        ASSERT_TRUE(waitUntil(10s, [&] {
            m_bus = std::make_unique<QDBusConnection>(
                QDBusConnection::connectToBus(QString::fromStdString(m_address), connectionName()));
            if (m_bus->isConnected()) return true;
            QDBusConnection::disconnectFromBus(connectionName());
            return false;
        }));
    }

    void TearDown() override
    {
        m_bus.reset();
        QDBusConnection::disconnectFromBus(connectionName());
    }

    // Starts the stand-in and waits until it owns Mutter's name.
    void startFakeMutter()
    {
        m_fake = std::make_unique<ChildProcess>(FAKE_MUTTER, std::vector<std::string>{m_address}, environmentWith({}),
                                                m_dir.file("fake.log"));
        ASSERT_NE(m_fake->pid(), 0) << m_fake->error();
        ASSERT_TRUE(waitUntil(10s, [&] {
            return m_bus->interface()->isServiceRegistered(QStringLiteral("org.gnome.Mutter.DisplayConfig")).value();
        })) << readAll(m_dir.file("fake.log"));
    }

    // Calls a method of the stand-in's control interface.
    QDBusMessage control(const QString& method, const QList<QVariant>& arguments = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.gnome.Mutter.DisplayConfig"),
                                                           QStringLiteral("/control"),
                                                           QStringLiteral("org.tintora.test.FakeDisplayConfig"), method);
        call.setArguments(arguments);
        return m_bus->call(call);
    }

    uint calls(const char* method)
    {
        const QDBusMessage reply = control(QStringLiteral("Calls"), {QString::fromLatin1(method)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).toUInt();
    }

    static QString connectionName() { return QStringLiteral("mutter-gamma-test"); }

    TempDir m_dir{"tintora-mutter-gamma"};
    std::string m_address;
    std::unique_ptr<ChildProcess> m_daemon;
    std::unique_ptr<ChildProcess> m_fake;
    std::unique_ptr<QDBusConnection> m_bus;
};

// Whether reading is the output's with the ramp expected for its size.
void expectReading(const RampReading& reading, const std::string& output, int size, std::uint16_t shift = 0)
{
    EXPECT_EQ(reading.output, output);
    EXPECT_EQ(reading.size, size);
    EXPECT_EQ(reading.ramp, expectedRamp(size, shift)) << output;
}

} // namespace

TEST_F(MutterGammaTest, ReadsTheRampOfTheCrtcShowingThePoint)
{
    startFakeMutter();
    MutterGamma mutter(*m_bus);
    struct Case {
        Point p;
        std::string output; // empty: no ramp
        int size;
    };
    const Case cases[] = {
        {{0, 0}, "DP-1", 256},
        {{1919, 1079}, "DP-1", 256},
        {{1920, 0}, "HDMI-1", 1024},
        {{4479, 1439}, "HDMI-1", 1024},
        // A point no CRTC shows is on a monitor without one: no ramp.
        {{100, 5000}, "", 0},
        // Mutter refuses the ramp of this CRTC ("Invalid crtc id").
        {{4480, 0}, "", 0},
        {{5759, 719}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        RampReading reading;
        reading.output = "untouched";
        if (c.output.empty()) {
            EXPECT_FALSE(mutter.rampAt(c.p, reading));
            EXPECT_EQ(reading.output, "untouched");
            EXPECT_EQ(reading.size, 0);
        } else {
            ASSERT_TRUE(mutter.rampAt(c.p, reading));
            expectReading(reading, c.output, c.size);
        }
    }
    // Exact entries of the resampled 1024-entry ramp, worked by hand: level
    // 1 reads entry 4 (4.01), level 128 entry 514 (513.5), level 254 entry
    // 1019 (1018.99).
    RampReading hdmi;
    ASSERT_TRUE(mutter.rampAt({2000, 10}, hdmi));
    EXPECT_EQ(hdmi.ramp[1], 4 * 65535 / 1023);
    EXPECT_EQ(hdmi.ramp[128], 514 * 65535 / 1023);
    EXPECT_EQ(hdmi.ramp[256 + 128], 514 * 65535 / 1023 / 2 + 1000);
    EXPECT_EQ(hdmi.ramp[512 + 254], 65535 - 1019 * 65535 / 1023);

    // Every lit CRTC whose ramp reads, in Mutter's order: not the refused
    // one, not the unlit one.
    const std::vector<RampReading> all = mutter.allRamps();
    ASSERT_EQ(all.size(), 2u);
    expectReading(all[0], "DP-1", 256);
    expectReading(all[1], "HDMI-1", 1024);
    EXPECT_TRUE(mutter.canReadGammaRamp());
}

TEST_F(MutterGammaTest, KeepsTheLayoutAndReadsARampAgainOnlyOnceItsLifetimeIsOver)
{
    startFakeMutter();
    MutterGamma kept(*m_bus, std::chrono::hours(1));
    RampReading reading;
    for (int tick = 0; tick < 20; ++tick) {
        ASSERT_TRUE(kept.rampAt({10, 10}, reading));
        ASSERT_FALSE(kept.rampAt({4500, 10}, reading));
    }
    EXPECT_EQ(calls("GetResources"), 1u);
    // One read per CRTC, the refused one included: no round trip per tick.
    EXPECT_EQ(calls("GetCrtcGamma"), 2u);
    control(QStringLiteral("SetRampShift"), {uint(7)});
    ASSERT_TRUE(kept.rampAt({10, 10}, reading));
    expectReading(reading, "DP-1", 256);

    // With no lifetime, every call reads: the change shows at once.
    MutterGamma fresh(*m_bus, std::chrono::milliseconds(0));
    ASSERT_TRUE(fresh.rampAt({10, 10}, reading));
    expectReading(reading, "DP-1", 256, 7);
    ASSERT_TRUE(fresh.rampAt({2000, 10}, reading));
    expectReading(reading, "HDMI-1", 1024, 7);
    EXPECT_EQ(calls("GetResources"), 2u);
}

TEST_F(MutterGammaTest, ReadsTheLayoutAgainWhenMutterSaysTheMonitorsChanged)
{
    startFakeMutter();
    // Ramps kept for long: only the signal can bring the new layout.
    MutterGamma mutter(*m_bus, std::chrono::hours(1));
    RampReading reading;
    ASSERT_TRUE(mutter.rampAt({10, 10}, reading));
    expectReading(reading, "DP-1", 256);

    control(QStringLiteral("ChangeLayout"), {true});
    // The signal arrives through the event loop.
    EXPECT_TRUE(waitUntil(10s, [&] {
        QCoreApplication::processEvents();
        return mutter.rampAt({10, 10}, reading) && reading.output == "HDMI-1";
    }));
    expectReading(reading, "HDMI-1", 1024);
    EXPECT_EQ(calls("GetResources"), 2u);
    EXPECT_EQ(mutter.allRamps().size(), 1u);
}

TEST_F(MutterGammaTest, AStaleSerialBringsTheNewLayoutWithoutTheSignal)
{
    startFakeMutter();
    MutterGamma mutter(*m_bus, std::chrono::milliseconds(0));
    RampReading reading;
    ASSERT_TRUE(mutter.rampAt({10, 10}, reading));
    // The layout changes and the signal is late (here: never sent). Mutter
    // refuses the old serial; the call after reads the new layout.
    control(QStringLiteral("ChangeLayout"), {false});
    mutter.rampAt({10, 10}, reading);
    ASSERT_TRUE(mutter.rampAt({10, 10}, reading));
    expectReading(reading, "HDMI-1", 1024);
}

TEST_F(MutterGammaTest, WithoutMutterThereIsNoRamp)
{
    // Another compositor: nobody owns the name.
    MutterGamma mutter(*m_bus);
    RampReading reading;
    EXPECT_FALSE(mutter.rampAt({10, 10}, reading));
    EXPECT_TRUE(mutter.allRamps().empty());
    EXPECT_FALSE(mutter.canReadGammaRamp());
    EXPECT_EQ(reading.size, 0);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
