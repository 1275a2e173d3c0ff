#include "platform/x11/x11_pointer_speed.h"

#include <X11/Xatom.h>
#include <X11/extensions/XInput2.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/files.h"
#include "platform/pointer.h"
#include "platform/x11/x11_pointer_watchdog.h"

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

// A device property as the server gave it.
struct DeviceProperty {
    Atom type = None; // None: the device has no such property
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0; // bytes left beyond what was asked for
    XPtr<unsigned char> data;
};

// Up to length 32-bit items of property on device id; nothing when the
// request failed (the device has gone, say).
std::optional<DeviceProperty> readDeviceProperty(Display* display, int id, Atom property, long length)
{
    ErrorTrap trap(display);
    DeviceProperty p;
    unsigned char* raw = nullptr;
    const Status status = XIGetProperty(display, id, property, 0, length, False, AnyPropertyType, &p.type, &p.format,
                                        &p.count, &p.after, &raw);
    p.data.reset(raw);
    if (status != Success || trap.failed()) return std::nullopt;
    return p;
}

// A "Coordinate Transformation Matrix": nine 32-bit floats, row by row.
constexpr std::size_t MatrixWords = 9;

// The device's matrix applied after diag(f, f, 1): relative motion is scaled
// by f before the device's own transformation, which stays as it was.
PointerValue scaled(const PointerValue& m, double f)
{
    PointerValue out = m;
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

// --- the devices ----------------------------------------------------------------

PointerDevices::PointerDevices(std::shared_ptr<Connection> connection) : m_connection(std::move(connection))
{
    Display* display = m_connection->display();
    int opcode = 0, firstEvent = 0, firstError = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError)) {
        m_refusal = "the X server offers no X Input extension, through which programs set the pointer speed";
        return;
    }
    {
        ErrorTrap trap(display);
        int major = 2, minor = 2;
        if (XIQueryVersion(display, &major, &minor) != Success || trap.failed()) {
            m_refusal = "the X server's X Input extension is older than version 2, which setting the pointer speed "
                        "needs";
            return;
        }
    }
    m_available = true;
    m_opcode = opcode;
    m_matrixAtom = m_connection->atom("Coordinate Transformation Matrix");
    m_floatAtom = m_connection->atom("FLOAT");
    // The server marks the devices XTest events come through with it.
    m_xtestAtom = XInternAtom(display, "XTEST Device", True);
}

std::vector<PointerDevices::Device> PointerDevices::slavePointers(bool relativeOnly, const std::vector<int>* ids)
{
    std::vector<Device> devices;
    if (!m_available) return devices;
    Display* display = m_connection->display();
    ErrorTrap trap(display);
    int count = 0;
    DeviceInfoPtr info(XIQueryDevice(display, XIAllDevices, &count));
    if (!info || trap.failed()) return devices;
    for (int i = 0; i < count; ++i) {
        const XIDeviceInfo& d = info.get()[i];
        if (d.use != XISlavePointer || (relativeOnly && !hasRelativeMotion(d))) continue;
        if (ids && std::find(ids->begin(), ids->end(), d.deviceid) == ids->end()) continue;
        devices.push_back({d.deviceid, d.name});
    }
    return devices;
}

std::vector<PointerDevices::Device> PointerDevices::physicalRelativePointers(const std::vector<int>* ids)
{
    std::vector<Device> devices = slavePointers(true, ids);
    std::erase_if(devices, [this](const Device& d) { return isXTestDevice(d.id); });
    return devices;
}

bool PointerDevices::isXTestDevice(int id)
{
    if (m_xtestAtom == None) return false;
    const auto property = readDeviceProperty(m_connection->display(), id, m_xtestAtom, 1);
    return property && property->type != None;
}

std::optional<PointerValue> PointerDevices::readMatrix(int id)
{
    if (!m_available) return std::nullopt;
    const auto p = readDeviceProperty(m_connection->display(), id, m_matrixAtom, MatrixWords);
    if (!p || !p->data || p->type != m_floatAtom || p->format != 32 || p->count != MatrixWords || p->after)
        return std::nullopt;
    // XI2 hands out format-32 data as 32-bit items, not as longs.
    PointerValue m(MatrixWords);
    std::memcpy(m.data(), p->data.get(), MatrixWords * sizeof m[0]);
    return m;
}

bool PointerDevices::writeMatrix(int id, const PointerValue& value)
{
    if (!m_available || value.size() != MatrixWords) return false;
    Display* display = m_connection->display();
    PointerValue items = value;
    ErrorTrap trap(display);
    XIChangeProperty(display, id, m_matrixAtom, m_floatAtom, 32, PropModeReplace,
                     reinterpret_cast<unsigned char*>(items.data()), static_cast<int>(items.size()));
    return !trap.failedAfterSync();
}

void PointerDevices::giveBack(const std::vector<ChangedSetting>& saved, const std::vector<OtherCopy>& others)
{
    if (saved.empty() || !m_available) return;
    const std::vector<Device> present = slavePointers();
    for (const ChangedSetting& s : saved) {
        const bool there =
            std::any_of(present.begin(), present.end(), [&](const Device& d) { return s.isSetting(d.id, d.name); });
        if (!there) continue;
        const auto current = readMatrix(s.id);
        if (!current) continue;
        if (const auto value = valueToGiveBack(s, *current, others)) writeMatrix(s.id, *value);
    }
}

// --- the speed ------------------------------------------------------------------

DeviceSpeed::DeviceSpeed(std::shared_ptr<Connection> connection)
    : m_connection(std::move(connection)), m_devices(m_connection), m_file(DisplayString(m_connection->display())),
      m_speed(UserSpeed)
{
    if (!m_devices.available()) return;
    Display* display = m_connection->display();
    m_xiOpcode = m_devices.opcode();

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
    // What copies that died meanwhile left, then this one's own.
    restoreOrphans();
    setSpeed(UserSpeed);
    // Nothing is left for the watchdog to do: it ends with the channel.
    m_watchdog.reset();
}

void DeviceSpeed::setSpeed(int speed)
{
    if (speed < MinPointerSpeed || speed > MaxPointerSpeed) return;
    m_speed = speed;
    if (m_xiOpcode < 0) return;
    if (speed == UserSpeed) {
        if (!m_saved.empty()) m_devices.giveBack(m_saved, m_file.others());
        m_saved.clear();
        m_file.remove();
    } else {
        apply(m_devices.physicalRelativePointers());
    }
}

void DeviceSpeed::apply(const std::vector<PointerDevices::Device>& devices)
{
    const double factor = speedFactor(m_speed);
    std::vector<std::pair<int, PointerValue>> changes;
    bool changed = false;
    std::optional<std::vector<OtherCopy>> others;
    for (const PointerDevices::Device& device : devices) {
        const auto current = m_devices.readMatrix(device.id);
        if (!current) continue;
        // Saved under this id with another name: a device that is gone.
        const auto gone = [&](const ChangedSetting& s) { return s.id == device.id && s.name != device.name; };
        changed |= std::erase_if(m_saved, gone) > 0;
        auto saved =
            std::find_if(m_saved.begin(), m_saved.end(), [&](const ChangedSetting& s) { return s.id == device.id; });
        const bool ours = saved != m_saved.end() && saved->wrote(*current);
        if (!ours) {
            // Not a value of ours: one another copy of the program set (its
            // state file has the original), or else the user's own.
            if (!others) others = m_file.others();
            const PointerValue original = originalUnder(device.id, device.name, *current, *others);
            if (saved == m_saved.end()) {
                m_saved.push_back({device.id, device.name, original, {*current}});
                saved = std::prev(m_saved.end());
            } else {
                saved->original = original;
                saved->written = {*current};
            }
            // The value on the device counts as written only when it is not
            // the user's: giving back must leave the user's own value alone,
            // and it is the original then anyway.
            if (original == *current) saved->written.clear();
            changed = true;
        } else {
            saved->written = {*current};
        }
        const PointerValue target = scaled(saved->original, factor);
        if (target == *current) continue;
        saved->written.push_back(target);
        changes.emplace_back(device.id, target);
    }
    std::erase_if(m_saved, [](const ChangedSetting& s) { return s.written.empty(); });
    if (changes.empty()) {
        if (changed) m_file.save(m_saved);
        return;
    }
    // On disk before the devices change, so a crash from here on still
    // finds the originals (and both values the device may show).
    const bool recorded = m_file.save(m_saved);
    if (recorded && m_watchOverCrashes && !m_watchdog) startWatchdog();
    for (const auto& [id, value] : changes) {
        auto saved = std::find_if(m_saved.begin(), m_saved.end(), [id](const ChangedSetting& s) { return s.id == id; });
        if (m_devices.writeMatrix(id, value))
            saved->written = {value};
        else
            saved->written.pop_back();
    }
    std::erase_if(m_saved, [](const ChangedSetting& s) { return s.written.empty(); });
    m_file.save(m_saved);
}

void DeviceSpeed::startWatchdog()
{
    auto watchdog = std::make_unique<PointerWatchdog>();
    std::string error;
    if (watchdog->start(DisplayString(m_connection->display()), error))
        m_watchdog = std::move(watchdog);
    else
        std::fprintf(stderr, "tintora: %s; after a crash the next start gives the pointer speed back.\n",
                     error.c_str());
    // Not tried again: the next start's check still covers a crash.
    m_watchOverCrashes = false;
}

void DeviceSpeed::restoreOrphans()
{
    const std::vector<std::string> orphans = m_file.orphans();
    if (orphans.empty()) return;
    const std::vector<OtherCopy> others = m_file.others();
    for (const std::string& path : orphans) {
        // Only what is a record in a file of the user's is given back and
        // removed. Anything else under such a name (a link, a pipe, someone
        // else's file, a text this version cannot read) is not ours to touch.
        const auto record = PointerStateFile::load(path);
        if (!record) continue;
        m_devices.giveBack(record->settings, others);
        removeOwnFile(path);
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
    if (std::erase_if(m_saved, [&](const ChangedSetting& s) {
            return std::find(removed.begin(), removed.end(), s.id) != removed.end();
        }) > 0)
        m_file.save(m_saved);
    if (m_speed != UserSpeed && !added.empty()) {
        const auto devices = m_devices.physicalRelativePointers(&added);
        if (!devices.empty()) apply(devices);
    }
    return true;
}

} // namespace tintora::x11
