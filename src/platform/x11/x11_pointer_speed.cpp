#include "platform/x11/x11_pointer_speed.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/pointer.h"

namespace tintora::x11 {

namespace {

struct DeviceInfoDeleter {
    void operator()(XIDeviceInfo* info) const
    {
        if (info) XIFreeDeviceInfo(info);
    }
};
using DeviceInfoPtr = std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter>;

// The data of a generic event, claimed for as long as this lives.
class EventData {
public:
    EventData(Display* display, XGenericEventCookie& cookie)
        : m_display(display), m_cookie(cookie), m_claimed(XGetEventData(display, &cookie))
    {
    }
    ~EventData()
    {
        if (m_claimed) XFreeEventData(m_display, &m_cookie);
    }
    EventData(const EventData&) = delete;
    EventData& operator=(const EventData&) = delete;
    const void* data() const { return m_claimed ? m_cookie.data : nullptr; }

private:
    Display* m_display;
    XGenericEventCookie& m_cookie;
    bool m_claimed;
};

// The device's matrix applied after diag(f, f, 1): relative motion is scaled
// by f before the device's own transformation, which stays as it was.
MatrixBits scaled(const MatrixBits& m, double f)
{
    MatrixBits out = m;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column) {
            const std::size_t i = static_cast<std::size_t>(row * 3 + column);
            out[i] = std::bit_cast<std::uint32_t>(static_cast<float>(std::bit_cast<float>(m[i]) * f));
        }
    return out;
}

bool hasRelativeMotion(const XIDeviceInfo& info)
{
    bool relative = false;
    for (int i = 0; i < info.num_classes; ++i) {
        if (info.classes[i]->type != XIValuatorClass) continue;
        const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(info.classes[i]);
        // Axes 0 and 1 are x and y; an absolute one is a tablet or a touch screen.
        if (valuator->number > 1) continue;
        if (valuator->mode != XIModeRelative) return false;
        relative = true;
    }
    return relative;
}

} // namespace

double speedFactor(int speed)
{
    if (speed < MinPointerSpeed || speed > MaxPointerSpeed) return 0;
    if (speed <= 3) return 1.0 / (1 << (6 - speed)); // 1/32, 1/16, 1/8
    if (speed <= 10) return (speed - 2) / 8.0;       // 2/8 ... 8/8
    return 1.0 + (speed - 10) * 0.25;                // 1.25 ... 3.5
}

DeviceSpeed::DeviceSpeed(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)), m_file(DisplayString(m_connection->display())), m_speed(UserSpeed)
{
    Display* display = m_connection->display();
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)) return;
    {
        ErrorTrap trap(display);
        int major = 2, minor = 2;
        if (XIQueryVersion(display, &major, &minor) != Success || trap.failed()) return;
    }
    m_xiOpcode = opcode;
    m_matrixAtom = m_connection->atom("Coordinate Transformation Matrix");
    m_floatAtom = m_connection->atom("FLOAT");

    restoreOrphans();

    // New devices get the speed in force: the server tells about them.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_HierarchyChanged);
    XIEventMask mask{XIAllDevices, static_cast<int>(sizeof bits), bits};
    ErrorTrap trap(display);
    XISelectEvents(display, m_connection->root(), &mask, 1);
    if (!trap.failedAfterSync())
        m_listener = m_connection->addEventListener([this](XEvent& event) { return handleEvent(event); });
}

DeviceSpeed::~DeviceSpeed()
{
    if (m_xiOpcode < 0) return;
    Display* display = m_connection->display();
    if (m_listener) {
        m_connection->removeEventListener(m_listener);
        unsigned char nothing = 0;
        XIEventMask none{XIAllDevices, 0, &nothing};
        ErrorTrap trap(display);
        XISelectEvents(display, m_connection->root(), &none, 1);
        trap.failedAfterSync();
    }
    setSpeed(UserSpeed);
}

void DeviceSpeed::setSpeed(int speed)
{
    if (speed < MinPointerSpeed || speed > MaxPointerSpeed) return;
    m_speed = speed;
    if (m_xiOpcode < 0) return;
    if (speed == UserSpeed) {
        restore(m_saved);
        m_saved.clear();
        m_file.remove();
    } else {
        apply(relativePointers());
    }
}

std::vector<DeviceSpeed::Device> DeviceSpeed::slavePointers()
{
    std::vector<Device> devices;
    Display* display = m_connection->display();
    ErrorTrap trap(display);
    int count = 0;
    DeviceInfoPtr info(XIQueryDevice(display, XIAllDevices, &count));
    if (!info || trap.failed()) return devices;
    for (int i = 0; i < count; ++i)
        if (info.get()[i].use == XISlavePointer) devices.push_back({info.get()[i].deviceid, info.get()[i].name});
    return devices;
}

std::vector<DeviceSpeed::Device> DeviceSpeed::relativePointers(const std::vector<int>* ids)
{
    std::vector<Device> devices;
    Display* display = m_connection->display();
    ErrorTrap trap(display);
    int count = 0;
    DeviceInfoPtr info(XIQueryDevice(display, XIAllDevices, &count));
    if (!info || trap.failed()) return devices;
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& d = info.get()[i];
        if (d.use != XISlavePointer || !hasRelativeMotion(d)) continue;
        if (ids && std::find(ids->begin(), ids->end(), d.deviceid) == ids->end()) continue;
        devices.push_back({d.deviceid, d.name});
    }
    return devices;
}

std::optional<MatrixBits> DeviceSpeed::readMatrix(int id)
{
    Display* display = m_connection->display();
    ErrorTrap trap(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const Status status =
        XIGetProperty(display, id, m_matrixAtom, 0, 9, False, AnyPropertyType, &type, &format, &count, &after, &raw);
    XPtr<unsigned char> data(raw);
    if (status != Success || trap.failed() || !data || type != m_floatAtom || format != 32 || count != 9 || after)
        return std::nullopt;
    // XI2 hands out format-32 data as 32-bit items, not as longs.
    MatrixBits m{};
    std::memcpy(m.data(), data.get(), sizeof m);
    return m;
}

bool DeviceSpeed::writeMatrix(int id, const MatrixBits& value)
{
    Display* display = m_connection->display();
    MatrixBits items = value;
    ErrorTrap trap(display);
    XIChangeProperty(display, id, m_matrixAtom, m_floatAtom, 32, PropModeReplace,
                     reinterpret_cast<unsigned char*>(items.data()), static_cast<int>(items.size()));
    return !trap.failedAfterSync();
}

void DeviceSpeed::apply(const std::vector<Device>& devices)
{
    const double factor = speedFactor(m_speed);
    std::vector<std::pair<int, MatrixBits>> changes;
    bool changed = false;
    for (const Device& device : devices) {
        const auto current = readMatrix(device.id);
        if (!current) continue;
        // Saved under this id with another name: a device that is gone.
        const auto gone = [&](const SavedDevice& s) { return s.id == device.id && s.name != device.name; };
        changed |= std::erase_if(m_saved, gone) > 0;
        auto saved =
            std::find_if(m_saved.begin(), m_saved.end(), [&](const SavedDevice& s) { return s.id == device.id; });
        if (saved == m_saved.end()) {
            m_saved.push_back({device.id, device.name, *current, {}});
            saved = std::prev(m_saved.end());
        } else if (!saved->wrote(*current)) {
            // The user has set the device since: that is now their own value.
            saved->original = *current;
            saved->written.clear();
            changed = true;
        } else {
            saved->written = {*current};
        }
        const MatrixBits target = scaled(saved->original, factor);
        if (target == *current) continue;
        saved->written.push_back(target);
        changes.emplace_back(device.id, target);
    }
    std::erase_if(m_saved, [](const SavedDevice& s) { return s.written.empty(); });
    if (changes.empty()) {
        if (changed) m_file.save(m_saved);
        return;
    }
    // On disk before the devices change, so a crash from here on still
    // finds the originals (and both values the device may show).
    m_file.save(m_saved);
    for (const auto& [id, value] : changes) {
        auto saved = std::find_if(m_saved.begin(), m_saved.end(), [id](const SavedDevice& s) { return s.id == id; });
        if (writeMatrix(id, value))
            saved->written = {value};
        else
            saved->written.pop_back();
    }
    std::erase_if(m_saved, [](const SavedDevice& s) { return s.written.empty(); });
    m_file.save(m_saved);
}

void DeviceSpeed::restore(const std::vector<SavedDevice>& saved)
{
    if (saved.empty()) return;
    const std::vector<Device> present = slavePointers();
    for (const SavedDevice& s : saved) {
        const bool same = std::any_of(present.begin(), present.end(),
                                      [&](const Device& d) { return d.id == s.id && d.name == s.name; });
        if (!same) continue;
        const auto current = readMatrix(s.id);
        if (current && s.wrote(*current)) writeMatrix(s.id, s.original);
    }
}

void DeviceSpeed::restoreOrphans()
{
    for (const std::string& path : m_file.orphans()) {
        if (const auto saved = PointerStateFile::load(path)) restore(*saved);
        ::unlink(path.c_str());
    }
}

bool DeviceSpeed::handleEvent(XEvent& event)
{
    if (event.type != GenericEvent || event.xcookie.extension != m_xiOpcode ||
        event.xcookie.evtype != XI_HierarchyChanged)
        return false;
    std::vector<int> added, removed;
    {
        EventData data(m_connection->display(), event.xcookie);
        const auto* hierarchy = static_cast<const XIHierarchyEvent*>(data.data());
        if (!hierarchy) return true;
        for (int i = 0; i < hierarchy->num_info; ++i) {
            const XIHierarchyInfo& info = hierarchy->info[i];
            if (info.flags & XISlaveRemoved) removed.push_back(info.deviceid);
            if (info.flags & (XISlaveAdded | XISlaveAttached | XIDeviceEnabled)) added.push_back(info.deviceid);
        }
    }
    if (std::erase_if(m_saved, [&](const SavedDevice& s) {
            return std::find(removed.begin(), removed.end(), s.id) != removed.end();
        }) > 0)
        m_file.save(m_saved);
    if (m_speed != UserSpeed && !added.empty()) {
        const auto devices = relativePointers(&added);
        if (!devices.empty()) apply(devices);
    }
    return true;
}

} // namespace tintora::x11
