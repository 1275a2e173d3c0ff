#include "support/published_profiles.h"
#include "support/xlib_helpers.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

namespace tintora::test {

namespace {

// The RandR output called name, if the server has one.
std::optional<RROutput> outputNamed(Display* display, const std::string& name)
{
    std::unique_ptr<XRRScreenResources, decltype(&XRRFreeScreenResources)> resources(
        XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display)), XRRFreeScreenResources);
    for (int i = 0; resources && i < resources->noutput; ++i) {
        std::unique_ptr<XRROutputInfo, decltype(&XRRFreeOutputInfo)> info(
            XRRGetOutputInfo(display, resources.get(), resources->outputs[i]), XRRFreeOutputInfo);
        if (info && name == std::string(info->name, static_cast<std::size_t>(info->nameLen)))
            return resources->outputs[i];
    }
    return std::nullopt;
}

} // namespace

bool publishProfileProperty(Xvfb& server, const ProfileProperty& property, const std::vector<std::uint8_t>& bytes,
                            int format)
{
    Display* display = server.display();
    // Xlib takes format 32 data as longs, one value each.
    std::vector<long> values;
    const unsigned char* data = bytes.data();
    int count = static_cast<int>(bytes.size());
    if (format == 32) {
        values.resize(bytes.size() / 4);
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::uint32_t v = 0;
            std::memcpy(&v, bytes.data() + 4 * i, 4);
            values[i] = static_cast<long>(v);
        }
        data = reinterpret_cast<const unsigned char*>(values.data());
        count = static_cast<int>(values.size());
    }
    XErrorTrap trap(display);
    const Atom atom = XInternAtom(display, property.name.c_str(), False);
    if (property.output.empty()) {
        XChangeProperty(display, DefaultRootWindow(display), atom, XA_CARDINAL, format, PropModeReplace, data, count);
    } else {
        const auto output = outputNamed(display, property.output);
        if (!output) return false;
        XRRChangeOutputProperty(display, *output, atom, XA_CARDINAL, format, PropModeReplace, data, count);
    }
    return !trap.failedAfterSync();
}

bool removeProfileProperty(Xvfb& server, const ProfileProperty& property)
{
    Display* display = server.display();
    XErrorTrap trap(display);
    const Atom atom = XInternAtom(display, property.name.c_str(), False);
    if (property.output.empty()) {
        XDeleteProperty(display, DefaultRootWindow(display), atom);
    } else {
        const auto output = outputNamed(display, property.output);
        if (!output) return false;
        // RandR, unlike the core protocol, refuses to delete what is not there.
        int count = 0;
        std::unique_ptr<Atom, decltype(&XFree)> atoms(XRRListOutputProperties(display, *output, &count), XFree);
        if (std::find(atoms.get(), atoms.get() + count, atom) != atoms.get() + count)
            XRRDeleteOutputProperty(display, *output, atom);
    }
    return !trap.failedAfterSync();
}

std::vector<std::uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tintora::test
