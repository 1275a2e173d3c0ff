#include "support/input_devices.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_pointer.h"

namespace tintora::test {

namespace {

Display* dpy(Xvfb& server) { return server.display(); }

struct DeviceInfoDeleter {
    void operator()(XIDeviceInfo* info) const
    {
        if (info) XIFreeDeviceInfo(info);
    }
};

std::string hex(const unsigned char* bytes, std::size_t n)
{
    std::string out;
    char b[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        out += b;
    }
    return out;
}

std::string atomName(Display* d, Atom atom)
{
    if (atom == None) return "None";
    x11::XPtr<char> name(XGetAtomName(d, atom));
    return name ? name.get() : "?";
}

} // namespace

MatrixBits matrixOf(const std::array<float, 9>& values)
{
    MatrixBits m{};
    for (std::size_t i = 0; i < m.size(); ++i) m[i] = std::bit_cast<std::uint32_t>(values[i]);
    return m;
}

MatrixBits scaleMatrix(float f) { return matrixOf({f, 0, 0, 0, f, 0, 0, 0, 1}); }

std::string describe(const MatrixBits& m)
{
    std::string out = "[";
    char text[32];
    for (std::size_t i = 0; i < m.size(); ++i) {
        std::snprintf(text, sizeof text, "%s%.9g", i ? ", " : "", static_cast<double>(std::bit_cast<float>(m[i])));
        out += text;
    }
    return out + "]";
}

InputDevices::InputDevices(Xvfb& server) : m_server(server)
{
    int major = 2, minor = 2;
    if (dpy(m_server)) XIQueryVersion(dpy(m_server), &major, &minor);
}

std::vector<InputDevice> InputDevices::slavePointers()
{
    std::vector<InputDevice> out;
    int count = 0;
    std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter> info(XIQueryDevice(dpy(m_server), XIAllDevices, &count));
    for (int i = 0; info && i < count; ++i)
        if (info.get()[i].use == XISlavePointer) out.push_back({info.get()[i].deviceid, info.get()[i].name});
    return out;
}

std::optional<int> InputDevices::idOf(const std::string& name)
{
    int count = 0;
    std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter> info(XIQueryDevice(dpy(m_server), XIAllDevices, &count));
    for (int i = 0; info && i < count; ++i)
        if (name == info.get()[i].name) return info.get()[i].deviceid;
    return std::nullopt;
}

std::optional<MatrixBits> InputDevices::matrix(int id)
{
    Display* d = dpy(m_server);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const Atom property = XInternAtom(d, "Coordinate Transformation Matrix", False);
    if (XIGetProperty(d, id, property, 0, 9, False, AnyPropertyType, &type, &format, &count, &after, &raw) != Success)
        return std::nullopt;
    x11::XPtr<unsigned char> data(raw);
    if (!data || format != 32 || count != 9) return std::nullopt;
    MatrixBits m{};
    std::memcpy(m.data(), data.get(), sizeof m);
    return m;
}

bool InputDevices::setMatrix(int id, const MatrixBits& m)
{
    Display* d = dpy(m_server);
    MatrixBits items = m;
    XIChangeProperty(d, id, XInternAtom(d, "Coordinate Transformation Matrix", False), XInternAtom(d, "FLOAT", False),
                     32, PropModeReplace, reinterpret_cast<unsigned char*>(items.data()), 9);
    return matrix(id) == m;
}

std::map<std::string, std::string> InputDevices::properties()
{
    Display* d = dpy(m_server);
    std::map<std::string, std::string> out;
    int count = 0;
    std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter> info(XIQueryDevice(d, XIAllDevices, &count));
    for (int i = 0; info && i < count; ++i) {
        const XIDeviceInfo& device = info.get()[i];
        int atoms = 0;
        x11::XPtr<Atom> list(XIListProperties(d, device.deviceid, &atoms));
        for (int k = 0; list && k < atoms; ++k) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* raw = nullptr;
            const Atom property = list.get()[k];
            const std::string key = std::string(device.name) + "/" + atomName(d, property);
            if (XIGetProperty(d, device.deviceid, property, 0, 1 << 20, False, AnyPropertyType, &type, &format, &items,
                              &after, &raw) != Success) {
                out[key] = "unreadable";
                continue;
            }
            x11::XPtr<unsigned char> data(raw);
            out[key] = atomName(d, type) + "/" + std::to_string(format) + "/" +
                       (data ? hex(data.get(), items * static_cast<unsigned long>(format) / 8) : "");
        }
    }
    return out;
}

bool InputDevices::addMaster(const std::string& name)
{
    Display* d = dpy(m_server);
    std::string copy = name;
    XIAddMasterInfo add{};
    add.type = XIAddMaster;
    add.name = copy.data();
    add.send_core = True;
    add.enable = True;
    XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
    XSync(d, False);
    return idOf(name + " XTEST pointer").has_value();
}

bool InputDevices::removeMaster(const std::string& name)
{
    Display* d = dpy(m_server);
    const auto master = idOf(name + " pointer");
    if (!master) return false;
    XIRemoveMasterInfo remove{};
    remove.type = XIRemoveMaster;
    remove.deviceid = *master;
    remove.return_mode = XIFloating;
    XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    XSync(d, False);
    return !idOf(name + " pointer").has_value();
}

bool InputDevices::warpTo(Point p)
{
    Display* d = dpy(m_server);
    // The server picks this client's pointer at its first core pointer request.
    pointer();
    int master = 0;
    XIGetClientPointer(d, None, &master); // true only for a pointer chosen explicitly
    if (master <= 0) return false;
    XIWarpPointer(d, master, None, DefaultRootWindow(d), 0, 0, 0, 0, p.x, p.y);
    XSync(d, False);
    return waitUntil(2000ms, [&] { return pointer() == p; });
}

bool InputDevices::moveRelative(int dx, int dy)
{
    Display* d = dpy(m_server);
    const bool sent = XTestFakeRelativeMotionEvent(d, dx, dy, CurrentTime);
    XSync(d, False);
    return sent;
}

bool InputDevices::moveAbsolute(Point p)
{
    Display* d = dpy(m_server);
    const bool sent = XTestFakeMotionEvent(d, DefaultScreen(d), p.x, p.y, CurrentTime);
    XSync(d, False);
    return sent;
}

bool InputDevices::floatSlave(int id)
{
    Display* d = dpy(m_server);
    XIDetachSlaveInfo detach{};
    detach.type = XIDetachSlave;
    detach.deviceid = id;
    XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&detach), 1);
    XSync(d, False);
    int count = 0;
    std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter> info(XIQueryDevice(d, id, &count));
    return info && count == 1 && info->use == XIFloatingSlave;
}

bool InputDevices::attachSlave(int id, const std::string& master)
{
    Display* d = dpy(m_server);
    const auto masterId = idOf(master);
    if (!masterId) return false;
    XIAttachSlaveInfo attach{};
    attach.type = XIAttachSlave;
    attach.deviceid = id;
    attach.new_master = *masterId;
    XIChangeHierarchy(d, reinterpret_cast<XIAnyHierarchyChangeInfo*>(&attach), 1);
    XSync(d, False);
    int count = 0;
    std::unique_ptr<XIDeviceInfo, DeviceInfoDeleter> info(XIQueryDevice(d, id, &count));
    return info && count == 1 && info->use == XISlavePointer && info->attachment == *masterId;
}

Point InputDevices::moveBy(int dx, int dy, Point expected, std::chrono::milliseconds timeout)
{
    moveRelative(dx, dy);
    Point last{-1, -1};
    waitUntil(timeout, [&] {
        last = pointer().value_or(Point{-1, -1});
        return last == expected;
    });
    return last;
}

std::optional<Point> InputDevices::waitForLock(bool row, bool locked, std::chrono::milliseconds timeout)
{
    std::optional<Point> found;
    int sign = 1;
    waitUntil(timeout, [&] {
        const Point before = pointer().value_or(Point{-1, -1});
        const int dx = row ? 1 : sign, dy = row ? sign : 1;
        sign = -sign;
        moveRelative(dx, dy);
        Point after = before;
        waitUntil(2000ms, [&] {
            after = pointer().value_or(Point{-1, -1});
            return row ? after.x != before.x : after.y != before.y;
        });
        const bool held = row ? after.y == before.y : after.x == before.x;
        if (held == locked) found = after;
        return found.has_value();
    });
    return found;
}

std::optional<Point> InputDevices::pointer()
{
    Display* d = dpy(m_server);
    Window root = None, child = None;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(d, DefaultRootWindow(d), &root, &child, &x, &y, &wx, &wy, &mask)) return std::nullopt;
    return Point{x, y};
}

std::optional<MatrixBits> waitForMatrix(InputDevices& devices, int id, const MatrixBits& expected,
                                        std::chrono::milliseconds timeout, const std::function<void()>& pump)
{
    std::optional<MatrixBits> last;
    waitUntil(timeout, [&] {
        if (pump) pump();
        last = devices.matrix(id);
        return last == expected;
    });
    return last;
}

// --- keyboard -------------------------------------------------------------------

Keyboard::Keyboard(Xvfb& server) : m_server(server) {}

Keyboard::~Keyboard()
{
    while (!m_held.empty()) release(m_held.back());
}

bool Keyboard::send(const std::string& keysym, bool down)
{
    Display* d = m_server.display();
    if (!d) return false;
    const KeySym sym = XStringToKeysym(keysym.c_str());
    const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
    if (code == 0) return false;
    const bool sent = XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
    XSync(d, False);
    return sent;
}

bool Keyboard::press(const std::string& keysym)
{
    if (!send(keysym, true)) return false;
    m_held.push_back(keysym);
    return true;
}

bool Keyboard::release(const std::string& keysym)
{
    const auto held = std::find(m_held.rbegin(), m_held.rend(), keysym);
    if (held != m_held.rend()) m_held.erase(std::next(held).base());
    return send(keysym, false);
}

bool Keyboard::tap(const std::vector<std::string>& chord)
{
    bool ok = true;
    for (const std::string& key : chord) ok = press(key) && ok;
    for (auto key = chord.rbegin(); key != chord.rend(); ++key) ok = release(*key) && ok;
    return ok;
}

// --- the backend ----------------------------------------------------------------

std::optional<PointerBackend> openPointerBackend(std::string& error)
{
    auto connection = x11::Connection::open(error);
    if (!connection) return std::nullopt;
    PointerBackend backend;
    backend.pointer = std::make_unique<x11::X11Pointer>(connection);
    backend.pumpEvents = [connection] { connection->pumpEvents(); };
    return backend;
}

} // namespace tintora::test
