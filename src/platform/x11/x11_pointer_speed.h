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

// The pointer speed of every relative pointing device (mice, touchpads, the
// XTEST pointer), set through each slave pointer's "Coordinate Transformation
// Matrix": the device's own matrix times diag(f, f, 1). Tablets and touch
// screens (absolute devices) and devices without that property keep their
// settings. The devices' own matrices are saved the first time one is changed
// and written back at UserSpeed and at destruction, each only where the
// device still shows the value the program set.
class DeviceSpeed {
public:
    explicit DeviceSpeed(std::shared_ptr<Connection> connection);
    ~DeviceSpeed();
    DeviceSpeed(const DeviceSpeed&) = delete;
    DeviceSpeed& operator=(const DeviceSpeed&) = delete;

    // The speed last set, UserSpeed before any.
    int speed() const { return m_speed; }
    // Values outside the scale are ignored.
    void setSpeed(int speed);

private:
    struct Device {
        int id = 0;
        std::string name;
    };
    // Enabled or not, the slave pointers with relative motion; with ids given,
    // only those among them.
    std::vector<Device> relativePointers(const std::vector<int>* ids = nullptr);
    // Every slave pointer's name, by id.
    std::vector<Device> slavePointers();
    std::optional<MatrixBits> readMatrix(int id);
    bool writeMatrix(int id, const MatrixBits& value);

    // Brings devices to the current speed.
    void apply(const std::vector<Device>& devices);
    // Writes back the saved matrices that still show a written value.
    void restore(const std::vector<SavedDevice>& saved);
    void restoreOrphans();
    bool handleEvent(XEvent& event);

    std::shared_ptr<Connection> m_connection;
    PointerStateFile m_file;
    int m_xiOpcode = -1; // -1: no XInput 2 on this server
    int m_listener = 0;
    Atom m_matrixAtom = None;
    Atom m_floatAtom = None;
    int m_speed;
    std::vector<SavedDevice> m_saved;
};

} // namespace tintora::x11
