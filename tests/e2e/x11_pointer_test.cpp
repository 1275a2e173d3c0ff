// The X11 pointer backend against a private Xvfb: the speed is read from the
// matrix of the server's own mouse (the XTest devices, which the tests move
// the pointer with, are left alone), the barriers are seen in relative XTest
// motion, the devices' settings are compared bit for bit with what they were
// before the backend touched them.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>

#include "platform/pointer_record.h"
#include "support/input_devices.h"
#include "support/processes.h"
#include "support/printers.h"
#include "support/xvfb.h"

using namespace tintora;
using namespace tintora::test;

namespace {

class X11PointerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.running()) << m_server.error();
        ASSERT_FALSE(m_stateDir.path().empty());
        const auto xtest = devices().idOf("Virtual core XTEST pointer");
        const auto mouse = devices().idOf("Xvfb mouse");
        ASSERT_TRUE(xtest && mouse) << "Xvfb is expected to have an XTEST pointer and a mouse";
        m_xtest = *xtest;
        m_mouse = *mouse;
        openBackend();
    }

    void TearDown() override
    {
        m_backend.reset();
        if (m_server.running()) devices().removeMaster("extra");
    }

    void openBackend()
    {
        std::string error;
        m_backend = openPointerBackend(error);
        ASSERT_TRUE(m_backend) << error;
    }
    void closeBackend() { m_backend.reset(); }

    Pointer& pointer() { return *m_backend->pointer; }
    InputDevices& devices() { return m_devices; }
    Xvfb& server() { return m_server; }

    Point moveBy(int dx, int dy, Point expected) { return m_devices.moveBy(dx, dy, expected); }

    // Polls the device's matrix until it is expected, pumping the backend's
    // events meanwhile; the last matrix read.
    std::optional<MatrixBits> waitForMatrix(int id, const MatrixBits& expected)
    {
        return test::waitForMatrix(m_devices, id, expected, 2000ms, [this] {
            if (m_backend) m_backend->pumpEvents();
        });
    }

    // Each test starts from a server of its own, its devices as Xvfb makes
    // them, and a directory of its own for the backend's state files.
    Xvfb m_server;
    InputDevices m_devices{m_server};
    TempDir m_stateDir{"tintora-pointer-state"};
    DisplaySession m_session = m_server.useAsDisplay();
    ScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_stateDir.path()};
    std::optional<PointerBackend> m_backend;
    int m_xtest = 0;
    int m_mouse = 0;
};

// The speed scales the mouse; the XTest devices, through which remote
// desktops, VNC servers and xdotool inject motion, keep their matrix, so an
// absolute move lands where it was sent and a relative one goes its full way.
TEST_F(X11PointerTest, speedScalesThePhysicalPointerAndLeavesInjectedMotionAlone)
{
    EXPECT_EQ(pointer().speed(), UserSpeed);
    struct Case {
        int speed;
        float factor;
    };
    const Case cases[] = {
        {1, 1.0f / 32}, {2, 1.0f / 16}, {3, 1.0f / 8}, {4, 2.0f / 8}, {7, 5.0f / 8}, {9, 7.0f / 8},
        {10, 1.0f},     {11, 1.25f},    {15, 2.25f},   {20, 3.5f},    {1, 1.0f / 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed));
        pointer().setSpeed(c.speed);
        EXPECT_EQ(pointer().speed(), c.speed);
        EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(c.factor));
        EXPECT_EQ(devices().matrix(m_xtest), scaleMatrix(1));

        ASSERT_TRUE(devices().moveAbsolute({600, 250}));
        Point last{-1, -1};
        waitUntil(2000ms, [&] {
            last = devices().pointer().value_or(Point{-1, -1});
            return last == Point{600, 250};
        });
        EXPECT_EQ(last, (Point{600, 250})) << "an absolute move was scaled";
        EXPECT_EQ(moveBy(64, 32, {664, 282}), (Point{664, 282})) << "a relative XTest move was scaled";
    }
}

TEST_F(X11PointerTest, speedsOutsideTheScaleAreIgnored)
{
    pointer().setSpeed(3);
    for (int speed : {0, -1, 21, 100}) pointer().setSpeed(speed);
    EXPECT_EQ(pointer().speed(), 3);
    EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(1.0f / 8));
}

TEST_F(X11PointerTest, speedActsOnTopOfTheDevicesOwnMatrix)
{
    // The user's matrix swaps the axes and halves the motion.
    const MatrixBits own = matrixOf({0, 0.5f, 0, 0.5f, 0, 0, 0, 0, 1});
    ASSERT_TRUE(devices().setMatrix(m_mouse, own));
    struct Case {
        int speed;
        MatrixBits expected;
    };
    const Case cases[] = {
        {20, matrixOf({0, 1.75f, 0, 1.75f, 0, 0, 0, 0, 1})},
        {2, matrixOf({0, 0.03125f, 0, 0.03125f, 0, 0, 0, 0, 1})},
        {10, own},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("speed " + std::to_string(c.speed));
        pointer().setSpeed(c.speed);
        EXPECT_EQ(devices().matrix(m_mouse), c.expected);
    }

    // The speed scales the motion before the device's own transformation:
    // the user's matrix times diag(f, f, 1), translation and projective
    // row as they were.
    ASSERT_TRUE(devices().setMatrix(m_mouse, matrixOf({1, 2, 3, 4, 5, 6, 0.5f, 0.25f, 1})));
    pointer().setSpeed(3);
    EXPECT_EQ(devices().matrix(m_mouse), matrixOf({0.125f, 0.25f, 3, 0.5f, 0.625f, 6, 0.0625f, 0.03125f, 1}));
}

TEST_F(X11PointerTest, userSpeedAndClosingGiveEveryDeviceItsOwnStateBack)
{
    ASSERT_TRUE(devices().setMatrix(m_xtest, OddMatrix));
    ASSERT_TRUE(devices().setMatrix(m_mouse, OtherOddMatrix));
    const auto before = devices().properties();

    for (int speed : {1, 20, 6}) pointer().setSpeed(speed);
    EXPECT_NE(devices().properties(), before);
    EXPECT_EQ(m_stateDir.entries().size(), 1u) << "the originals are on disk while the speed is changed";
    pointer().setSpeed(UserSpeed);
    EXPECT_EQ(devices().properties(), before);
    EXPECT_TRUE(m_stateDir.entries().empty());

    pointer().setSpeed(1);
    closeBackend();
    EXPECT_EQ(devices().properties(), before);
    EXPECT_TRUE(m_stateDir.entries().empty());
}

TEST_F(X11PointerTest, valueTheUserSetMeanwhileIsKept)
{
    pointer().setSpeed(1);
    ASSERT_TRUE(devices().setMatrix(m_mouse, OddMatrix));
    pointer().setSpeed(UserSpeed);
    EXPECT_EQ(devices().matrix(m_xtest), scaleMatrix(1));
    EXPECT_EQ(devices().matrix(m_mouse), OddMatrix);

    // From then on the user's value is the one the speed builds on.
    pointer().setSpeed(1);
    ASSERT_TRUE(devices().setMatrix(m_mouse, OtherOddMatrix));
    pointer().setSpeed(20);
    const auto scaledOther = devices().matrix(m_mouse);
    EXPECT_NE(scaledOther, OtherOddMatrix);
    closeBackend();
    EXPECT_EQ(devices().matrix(m_mouse), OtherOddMatrix) << describe(scaledOther.value_or(MatrixBits{}));
    EXPECT_EQ(devices().matrix(m_xtest), scaleMatrix(1));
}

// A run that slows the pointer and dies without cleaning up, in a child
// process; its exit is awaited, and the child reaped only when reap is set
// (otherwise it stays a zombie until reapZombie). False when it did not die
// by the signal.
class CrashedRun {
public:
    explicit CrashedRun(bool reap) : m_reap(reap)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            std::string error;
            auto backend = openPointerBackend(error);
            if (!backend) ::_exit(1);
            backend->pointer->setSpeed(1);
            ::raise(SIGKILL);
            ::_exit(2);
        }
    }
    ~CrashedRun() { reapZombie(); }
    CrashedRun(const CrashedRun&) = delete;
    CrashedRun& operator=(const CrashedRun&) = delete;

    bool died()
    {
        if (m_pid <= 0) return false;
        siginfo_t info{};
        const int flags = WEXITED | (m_reap ? 0 : WNOWAIT);
        if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, flags) != 0) return false;
        if (m_reap) m_pid = 0;
        return info.si_code == CLD_KILLED && info.si_status == SIGKILL;
    }
    void reapZombie()
    {
        if (m_pid > 0) ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }

private:
    bool m_reap;
    pid_t m_pid = -1;
};

// The next start gives back what a killed run left, whether the killed
// process is gone or still a zombie nobody has reaped, and keeps a value the
// user set since.
TEST_F(X11PointerTest, nextBackendUndoesWhatACrashedRunLeft)
{
    const MatrixBits users = matrixOf({2, 0, 0, 0, 2, 0, 0, 0, 1});
    struct Case {
        const char* name;
        bool reaped;
        bool userSetsTheMouse;
    };
    const Case cases[] = {
        {"reaped", true, false},
        {"zombie", false, false},
        {"reaped, the user set the mouse", true, true},
        {"zombie, the user set the mouse", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        closeBackend();
        ASSERT_TRUE(devices().setMatrix(m_xtest, OddMatrix));
        ASSERT_TRUE(devices().setMatrix(m_mouse, OtherOddMatrix));
        const auto before = devices().properties();

        CrashedRun run(c.reaped);
        ASSERT_TRUE(run.died());
        ASSERT_NE(devices().matrix(m_mouse), OtherOddMatrix) << "the crashed run did not change the speed";
        ASSERT_EQ(m_stateDir.entries().size(), 1u);
        if (c.userSetsTheMouse) {
            ASSERT_TRUE(devices().setMatrix(m_mouse, users));
        }

        openBackend();
        EXPECT_EQ(pointer().speed(), UserSpeed);
        const MatrixBits expected = c.userSetsTheMouse ? users : OtherOddMatrix;
        EXPECT_EQ(devices().matrix(m_mouse), expected) << describe(devices().matrix(m_mouse).value_or(MatrixBits{}));
        EXPECT_TRUE(m_stateDir.entries().empty());
        ASSERT_TRUE(devices().setMatrix(m_mouse, OtherOddMatrix));
        EXPECT_EQ(devices().properties(), before);
    }
}

// Another copy of the program on the same display, in a child process: it
// slows the pointer to speed 1, reports, and ends normally when told.
class OtherCopyRun {
public:
    OtherCopyRun()
    {
        int ready[2], end[2];
        if (::pipe(ready) != 0 || ::pipe(end) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(end[1]);
            std::string error;
            auto backend = openPointerBackend(error);
            if (!backend) ::_exit(1);
            backend->pointer->setSpeed(1);
            const char byte = 'r';
            if (::write(ready[1], &byte, 1) != 1) ::_exit(1);
            char told = 0;
            [[maybe_unused]] const auto n = ::read(end[0], &told, 1);
            backend.reset();
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(end[0]);
        m_ready = ready[0];
        m_end = end[1];
    }
    ~OtherCopyRun() { end(); }
    OtherCopyRun(const OtherCopyRun&) = delete;
    OtherCopyRun& operator=(const OtherCopyRun&) = delete;

    bool waitUntilSlowed()
    {
        char byte = 0;
        return m_pid > 0 && ::read(m_ready, &byte, 1) == 1;
    }
    // Tells it to end and waits until it has; whether it ended cleanly.
    bool end()
    {
        if (m_pid <= 0) return false;
        ::close(m_end);
        ::close(m_ready);
        int status = 0;
        const bool ended = ::waitpid(m_pid, &status, 0) == m_pid;
        m_pid = 0;
        return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t m_pid = -1;
    int m_ready = -1;
    int m_end = -1;
};

// Two copies of the program at once: the second scales the user's own
// matrix, never the one the first has slowed, and whichever ends last leaves
// the user's matrix; the one still running keeps its speed meanwhile.
TEST_F(X11PointerTest, overlappingCopiesScaleTheOriginalAndTheLastToEndGivesItBack)
{
    struct Case {
        const char* name;
        int speed;        // this copy's
        float factor;     // of that speed
        bool endsFirst;   // this copy before the other one
    };
    const Case cases[] = {
        {"the same speed, the other copy ends first", 1, 1.0f / 32, false},
        {"the same speed, this copy ends first", 1, 1.0f / 32, true},
        {"another speed, this copy ends first", 3, 1.0f / 8, true},
        {"another speed, the other copy ends first", 20, 3.5f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        closeBackend();
        const auto before = devices().properties();
        OtherCopyRun other;
        ASSERT_TRUE(other.waitUntilSlowed());
        ASSERT_EQ(devices().matrix(m_mouse), scaleMatrix(1.0f / 32));

        openBackend();
        pointer().setSpeed(c.speed);
        EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(c.factor)) << "the speed was applied on top of the other's";
        if (c.endsFirst) {
            closeBackend();
            EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(1.0f / 32)) << "the other copy lost its speed";
            ASSERT_TRUE(other.end());
        } else {
            ASSERT_TRUE(other.end());
            EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(c.factor)) << "this copy lost its speed";
            pointer().setSpeed(2);
            EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(1.0f / 16));
            closeBackend();
        }
        EXPECT_EQ(devices().properties(), before);
        EXPECT_TRUE(m_stateDir.entries().empty());
        openBackend();
    }
}

// Whatever lies in the state folder under the name of a copy that has
// ended but is not a state file of the user's is never waited on, never read
// past a state file's size, never given back and never removed: a pipe
// (where a read would wait), links (to /dev/zero, which never ends, or to a
// record elsewhere), a record grown past any state file's size, a huge file,
// someone else's record, a text this version cannot read (perhaps a later
// version's). The start goes on at once and leaves each as it is.
TEST_F(X11PointerTest, whatIsNotAStateFileOfTheUsersIsLeftAlone)
{
    closeBackend();
    const auto value = [](const MatrixBits& m) { return PointerValue(m.begin(), m.end()); };
    // Each record would give the mouse OtherOddMatrix, were it read whole.
    const PointerRecord record{999999999, 0, {{m_mouse, "Xvfb mouse", value(OtherOddMatrix), {value(scaleMatrix(1))}}}};
    PointerRecord large = record;
    for (int i = 0; i < 300; ++i)
        large.settings.push_back({1000 + i, std::string(200, 'n'), value(scaleMatrix(1)), {value(scaleMatrix(2))}});
    ASSERT_GT(pointerRecordText(large).size(), kMostPointerRecordBytes);
    TempDir elsewhere{"tintora-elsewhere"};
    const std::string recordElsewhere = elsewhere.file("record");
    const auto write = [](const std::string& path, const std::string& text) {
        return static_cast<bool>(std::ofstream(path) << text);
    };
    ASSERT_TRUE(write(recordElsewhere, pointerRecordText(record)));

    struct Case {
        const char* name;
        std::function<bool(const std::string& path)> make;
        bool needsRoot = false;
    };
    const Case cases[] = {
        {"a pipe", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; }},
        {"a link to /dev/zero", [](const std::string& p) { return ::symlink("/dev/zero", p.c_str()) == 0; }},
        {"a link to a record elsewhere",
         [&](const std::string& p) { return ::symlink(recordElsewhere.c_str(), p.c_str()) == 0; }},
        {"a record past a state file's size", [&](const std::string& p) { return write(p, pointerRecordText(large)); }},
        {"a huge file without a line end",
         [&](const std::string& p) { return write(p, "x") && ::truncate(p.c_str(), off_t{100} << 20) == 0; }},
        {"someone else's record",
         [&](const std::string& p) {
             return write(p, pointerRecordText(record)) && ::chown(p.c_str(), 65534, 65534) == 0;
         },
         true},
        {"a text this version cannot read",
         [&](const std::string& p) { return write(p, "tintora-pointer-state 1\ndevice 4 zz 0,0\ngarbage\n"); }},
    };
    int pid = 999999990; // beyond any process id: long ended
    for (const Case& c : cases) {
        if (c.needsRoot && ::geteuid() != 0) continue;
        const std::string name = "tintora-pointer-" + server().displayName() + "-" + std::to_string(pid++) + ".state";
        ASSERT_TRUE(c.make(m_stateDir.file(name))) << c.name;
    }
    const auto planted = m_stateDir.entries();
    const auto before = devices().properties();

    // In a child, so that a start that waits fails the test rather than
    // hanging it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        const bool opened = openPointerBackend(error).has_value();
        ::_exit(opened ? 0 : 1);
    }
    int status = 0;
    const bool ended = waitUntil(10000ms, [&] { return ::waitpid(child, &status, WNOHANG) == child; });
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_TRUE(ended) << "the start waited on a file in the state folder";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(m_stateDir.entries(), planted) << "a file that is not the user's state file was removed";
    EXPECT_EQ(devices().properties(), before) << "a file that is not the user's state file was given back";
    EXPECT_EQ(readAll(recordElsewhere), pointerRecordText(record));
    openBackend();
}

// A file the backend left before its record was shared, by a run that was
// killed, still gives the mouse its own matrix back.
TEST_F(X11PointerTest, fileOfAnEarlierVersionIsGivenBack)
{
    closeBackend();
    const auto words = [](const MatrixBits& m) {
        std::string text;
        char word[9];
        for (const std::uint32_t w : m) {
            std::snprintf(word, sizeof word, "%08x", static_cast<unsigned>(w));
            text += (text.empty() ? "" : ",") + std::string(word);
        }
        return text;
    };
    ASSERT_TRUE(devices().setMatrix(m_mouse, scaleMatrix(1.0f / 32)));
    const std::string name = m_stateDir.path() + "/tintora-pointer-" + server().displayName() + "-999999999.state";
    std::ofstream(name) << "tintora-pointer-state 1\ndevice " << m_mouse << " 58766662206d6f757365 "
                        << words(OtherOddMatrix) << ' ' << words(scaleMatrix(1.0f / 32)) << '\n';
    openBackend();
    EXPECT_EQ(devices().matrix(m_mouse), OtherOddMatrix);
    EXPECT_TRUE(m_stateDir.entries().empty());
}

// A pointer plugged in while the speed is changed gets it (the mouse taken
// off its master and put back, with a matrix of the user's of its own
// meanwhile); the XTest pointer that comes with a new master stays as it is.
TEST_F(X11PointerTest, devicePluggedInLaterGetsTheSpeedInForce)
{
    const auto before = devices().properties();
    pointer().setSpeed(1);
    ASSERT_EQ(devices().matrix(m_mouse), scaleMatrix(1.0f / 32));
    ASSERT_TRUE(devices().addMaster("extra"));
    const auto added = devices().idOf("extra XTEST pointer");
    ASSERT_TRUE(added);

    ASSERT_TRUE(devices().floatSlave(m_mouse));
    ASSERT_TRUE(devices().setMatrix(m_mouse, scaleMatrix(0.5f)));
    ASSERT_TRUE(devices().attachSlave(m_mouse, "extra pointer"));
    EXPECT_EQ(waitForMatrix(m_mouse, scaleMatrix(1.0f / 64)), scaleMatrix(1.0f / 64));
    EXPECT_EQ(devices().matrix(*added), scaleMatrix(1));

    pointer().setSpeed(20);
    EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(1.75f));
    EXPECT_EQ(devices().matrix(*added), scaleMatrix(1));
    closeBackend();
    EXPECT_EQ(devices().matrix(m_mouse), scaleMatrix(0.5f));
    ASSERT_TRUE(devices().attachSlave(m_mouse, "Virtual core pointer"));
    ASSERT_TRUE(devices().setMatrix(m_mouse, scaleMatrix(1)));
    ASSERT_TRUE(devices().removeMaster("extra"));
    EXPECT_EQ(devices().properties(), before);
}

TEST_F(X11PointerTest, confinementHoldsRelativeMotionInsideTheRectangle)
{
    ASSERT_TRUE(pointer().canConfinePointer());
    struct Step {
        int dx, dy;
        Point expected;
    };
    struct Case {
        const char* name;
        Point start;
        Rect rect;
        Point confinedAt;
        std::vector<Step> confined;
        Step released;
    };
    const Rect root = server().rootRect();
    const Case cases[] = {
        {"row", {500, 300}, {root.left(), 300, root.width, 1}, {500, 300},
         {{30, 40, {530, 300}}, {-60, -40, {470, 300}}, {-1000, 0, {0, 300}}, {100, 1, {100, 300}},
          {3000, 0, {1919, 300}}},
         {-19, 50, {1900, 350}}},
        {"column", {800, 500}, {800, root.top(), 1, root.height}, {800, 500},
         {{40, 30, {800, 530}}, {-40, -60, {800, 470}}, {0, -2000, {800, 0}}, {0, 3000, {800, 1079}}},
         {50, -79, {850, 1000}}},
        {"rectangle, pointer brought in", {500, 500}, {100, 100, 200, 150}, {299, 249},
         {{-1000, 0, {100, 249}}, {0, -1000, {100, 100}}, {1000, 1000, {299, 249}}, {-50, -20, {249, 229}}},
         {100, 100, {349, 329}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(devices().warpTo(c.start));
        pointer().confine(c.rect);
        EXPECT_EQ(pointer().position(), c.confinedAt);
        for (const Step& s : c.confined) EXPECT_EQ(moveBy(s.dx, s.dy, s.expected), s.expected);
        pointer().release();
        EXPECT_EQ(moveBy(c.released.dx, c.released.dy, c.released.expected), c.released.expected);
    }
}

// The pointer is brought in by a warp; with the slow pointer on, the next
// motion goes on from there (the XTest pointer's motion is not slowed).
TEST_F(X11PointerTest, pointerBroughtInAtSlowSpeedMovesOnFromThere)
{
    pointer().setSpeed(1);
    ASSERT_TRUE(devices().warpTo({900, 700}));
    pointer().confine({100, 100, 400, 300});
    EXPECT_EQ(pointer().position(), (Point{499, 399}));
    EXPECT_EQ(moveBy(-64, -32, {435, 367}), (Point{435, 367}));
}

TEST_F(X11PointerTest, newConfinementReplacesTheOldOne)
{
    ASSERT_TRUE(devices().warpTo({500, 300}));
    pointer().confine({0, 300, 1920, 1});
    EXPECT_EQ(moveBy(100, 20, {600, 300}), (Point{600, 300}));
    pointer().confine({600, 0, 1, 1080});
    EXPECT_EQ(moveBy(20, 50, {600, 350}), (Point{600, 350}));
    EXPECT_EQ(moveBy(-20, -100, {600, 250}), (Point{600, 250}));
}

TEST_F(X11PointerTest, closingTheBackendFreesThePointer)
{
    ASSERT_TRUE(devices().warpTo({500, 300}));
    pointer().confine({0, 300, 1920, 1});
    closeBackend();
    EXPECT_EQ(moveBy(10, 40, {510, 340}), (Point{510, 340}));
}

} // namespace
