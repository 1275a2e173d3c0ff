#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer_state.h"

namespace tintora::x11 {

// The factor a speed of the 1-20 scale applies to relative pointer motion,
// 1 for UserSpeed; 0 outside the scale.
double speedFactor(int speed);

class PointerWatchdog;

// The slave pointer devices of a display and their "Coordinate
// Transformation Matrix", through XInput 2.
class PointerDevices {
public:
    struct Device {
        int id = 0;
        std::string name;
    };

    explicit PointerDevices(std::shared_ptr<Connection> connection);
    // Whether the server has XInput 2; without it nothing can be done.
    bool available() const { return m_available; }
    // Why not, for the user; empty when available.
    const std::string& refusal() const { return m_refusal; }
    // The extension's major opcode, which its events carry (with XInput 2).
    int opcode() const { return m_opcode; }

    // Every slave pointer, enabled or not; with relativeOnly, those with
    // relative motion; with ids given, only those among them.
    std::vector<Device> slavePointers(bool relativeOnly = false, const std::vector<int>* ids = nullptr);
    // The physical pointers with relative motion (mice, touchpads): not the
    // XTest devices, through which remote desktops, VNC servers and
    // automation inject absolute motion that a scaled matrix would move, nor
    // tablets and touch screens. With ids given, only those among them.
    std::vector<Device> physicalRelativePointers(const std::vector<int>* ids = nullptr);
    // The matrix as the bit patterns of its nine floats, row by row.
    std::optional<PointerValue> readMatrix(int id);
    bool writeMatrix(int id, const PointerValue& value);

    // Gives each device of saved (from this copy of the program or an ended
    // one) that is still there what valueToGiveBack says: its own matrix,
    // or the value of another copy that still runs.
    void giveBack(const std::vector<ChangedSetting>& saved, const std::vector<OtherCopy>& others);

private:
    bool isXTestDevice(int id);

    std::shared_ptr<Connection> m_connection;
    bool m_available = false;
    std::string m_refusal;
    int m_opcode = -1;
    Atom m_matrixAtom = None;
    Atom m_floatAtom = None;
    Atom m_xtestAtom = None; // None: no device has the property
};

// The pointer speed of every physical relative pointing device, set through
// each one's "Coordinate Transformation Matrix": the device's own matrix
// times diag(f, f, 1). XTest devices, tablets and touch screens (absolute
// devices) and devices without that property keep their settings. The
// devices' own matrices are saved the first time one is changed and written
// back at UserSpeed and at destruction, each only where the device still
// shows the value the program set. Another copy of the program running on
// the same display, or one that ended without cleaning up, is found through
// its state file: its recorded originals are what the speed scales.
class DeviceSpeed {
public:
    explicit DeviceSpeed(std::shared_ptr<Connection> connection);
    ~DeviceSpeed();
    DeviceSpeed(const DeviceSpeed&) = delete;
    DeviceSpeed& operator=(const DeviceSpeed&) = delete;

    // Whether the server lets the speed be set (it has XInput 2), and why
    // not where it does not.
    bool available() const { return m_devices.available(); }
    const std::string& refusal() const { return m_devices.refusal(); }

    // The speed last set, UserSpeed before any.
    int speed() const { return m_speed; }
    // Values outside the scale are ignored.
    void setSpeed(int speed);

    // From the first change of a device on, a watchdog process gives the
    // devices back should this process die without doing it.
    void watchOverCrashes() { m_watchOverCrashes = true; }

private:
    // Brings devices to the current speed.
    void apply(const std::vector<PointerDevices::Device>& devices);
    void restoreOrphans();
    bool handleEvent(XEvent& event);
    void startWatchdog();

    std::shared_ptr<Connection> m_connection;
    PointerDevices m_devices;
    PointerStateFile m_file;
    int m_xiOpcode = -1; // -1: no XInput 2 on this server
    int m_listener = 0;
    int m_speed;
    std::vector<ChangedSetting> m_saved;
    bool m_watchOverCrashes = false;
    std::unique_ptr<PointerWatchdog> m_watchdog;
};

} // namespace tintora::x11
