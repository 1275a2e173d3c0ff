#pragma once

// The input devices of a private Xvfb, read and set directly through XInput 2
// and XTest: the pointer devices' matrices, relative motion, the keyboard;
// and the X11 pointer backend opened the way the program opens it.
// Xlib stays out of this header (its macros clash with gtest).

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/pointer.h"
#include "support/xvfb.h"

namespace tintora::test {

// A "Coordinate Transformation Matrix" as the server stores it: nine floats
// row by row, as bit patterns so that comparisons are exact.
using MatrixBits = std::array<std::uint32_t, 9>;
MatrixBits matrixOf(const std::array<float, 9>& values);
// diag(f, f, 1)
MatrixBits scaleMatrix(float f);
std::string describe(const MatrixBits& m);

// Awkward values everywhere (and a negative zero) so that any rounding or
// reordering on the way back shows.
inline const MatrixBits OddMatrix = matrixOf({1.1f, 0.2f, 0.0001f, -0.3f, 0.7f, 3.5e-5f, -0.0f, 0.0f, 1.0f});
inline const MatrixBits OtherOddMatrix = matrixOf({0.9f, -0.1f, 0.0f, 0.15f, 1.3f, 0.0f, 0.0f, 0.0f, 1.0f});
// OddMatrix under the slow pointer: its first two columns at a 32nd.
inline const MatrixBits SlowOddMatrix =
    matrixOf({1.1f / 32, 0.2f / 32, 0.0001f, -0.3f / 32, 0.7f / 32, 3.5e-5f, -0.0f, 0.0f, 1.0f});

struct InputDevice {
    int id = 0;
    std::string name;
};

// Requests on the server's devices, made on the Xvfb object's own connection.
class InputDevices {
public:
    explicit InputDevices(Xvfb& server);

    std::vector<InputDevice> slavePointers();
    std::optional<int> idOf(const std::string& name);
    std::optional<MatrixBits> matrix(int id);
    bool setMatrix(int id, const MatrixBits& m);

    // Every property of every device: "device name/property name" to its
    // type, format and bytes.
    std::map<std::string, std::string> properties();

    // A new master pointer and keyboard pair, which brings a new slave
    // pointer "<name> XTEST pointer"; and its removal.
    bool addMaster(const std::string& name);
    bool removeMaster(const std::string& name);

    // Moves the pointer to p and waits until it is there. This warps through
    // the master pointer with XInput 2: a core warp would leave a device whose
    // matrix scales believing it is elsewhere (its next motion jumps).
    bool warpTo(Point p);

    // Relative motion through the XTEST pointer, as a mouse would make it
    // (barriers and the device's matrix apply; a warp would skip both).
    bool moveRelative(int dx, int dy);
    // One relative move, then a wait for the pointer to reach expected;
    // where it is then, or wherever it stopped ({-1, -1}: unknown).
    Point moveBy(int dx, int dy, Point expected, std::chrono::milliseconds timeout = 2000ms);
    // Whether the pointer is held on its row (or column): sends one-pixel
    // diagonal steps, each up and down (or left and right) in turn, until one
    // keeps to the line, when locked, or leaves it, when not; the position
    // then, or nothing when that did not come within timeout. Only the move
    // along the line is awaited, which it always makes, so each step is
    // known to be done.
    std::optional<Point> waitForLock(bool row, bool locked, std::chrono::milliseconds timeout = 20000ms);
    // Absolute motion through the XTEST pointer, as remote desktops, VNC
    // servers and xdotool send it (the device's matrix applies).
    bool moveAbsolute(Point p);
    std::optional<Point> pointer();

    // Takes a slave device off its master (a "float") and puts it back on
    // the master pointer named master, as unplugging and plugging it would.
    bool floatSlave(int id);
    bool attachSlave(int id, const std::string& master);

private:
    Xvfb& m_server;
};

// Polls the device's matrix until it is expected or timeout passes, running
// pump (when given) before each read; the last matrix read.
std::optional<MatrixBits> waitForMatrix(InputDevices& devices, int id, const MatrixBits& expected,
                                        std::chrono::milliseconds timeout, const std::function<void()>& pump = {});

// The server's keyboard driven through XTest, on the server object's own
// connection. Keys are X keysym names ("Control_L", "c", "equal", "Return").
// Keys still held at destruction are released.
class Keyboard {
public:
    explicit Keyboard(Xvfb& server);
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool press(const std::string& keysym);
    bool release(const std::string& keysym);
    // Presses the keys in order and releases them in reverse order.
    bool tap(const std::vector<std::string>& chord);

private:
    bool send(const std::string& keysym, bool down);

    Xvfb& m_server;
    std::vector<std::string> m_held;
};

// The X11 pointer backend on $DISPLAY on a connection of its own, and that
// connection's event pump (the program's probe tick runs it).
struct PointerBackend {
    std::unique_ptr<Pointer> pointer;
    std::function<void()> pumpEvents;
};
std::optional<PointerBackend> openPointerBackend(std::string& error);

} // namespace tintora::test
