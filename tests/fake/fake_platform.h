#pragma once

#include <map>
#include <string>
#include <optional>
#include <vector>

#include "platform/platform.h"

namespace tintora::fake {

// Pixels the test sets: one value everywhere, with overrides per point.
class FakePixels final : public Pixels {
public:
    ColourValue pixelValue = 0;               // what every readable pixel is
    std::map<std::pair<int, int>, ColourValue> overrides; // per-point values
    bool pixelFails = false;                  // every read gives InvalidColour
    bool readable = true;                     // what canReadPixels says
    int pixelReads = 0;

    bool canReadPixels() override { return readable; }
    ColourValue pixel(Point p) override;
    bool grab(Rect rect, ScreenImage& image) override;
};

// One output's ramp the test sets, and others that only allRamps lists.
class FakeGammaRamps final : public GammaRamps {
public:
    std::optional<GammaTable> ramp;           // nothing: the ramp cannot be read
    std::string rampOutput = "FAKE-1";        // the output rampAt names
    int rampSize = 256;                       // its own ramp size
    std::vector<RampReading> otherOutputs;    // allRamps lists these after ramp's output
    int rampReads = 0;
    std::vector<Point> rampPoints;            // where each ramp read was asked

    bool canReadGammaRamp() override { return ramp.has_value(); }
    bool rampAt(Point p, RampReading& reading) override;
    std::vector<RampReading> allRamps() override;
};

class FakeDisplayProfiles final : public DisplayProfiles {
public:
    PublishedProfile profile;                 // what profileAt gives (bytes empty: none)
    std::vector<PublishedProfile> otherProfiles; // allProfiles lists these after profile
    int profileCopies = 0;                    // profileAt calls that copied bytes
    bool readable = true;                     // what canReadProfiles says

    bool canReadProfiles() override { return readable; }
    bool profileAt(Point p, PublishedProfile& reading) override;
    std::vector<PublishedProfile> allProfiles() override;
};

// One monitor, the desktop, with the work area the test sets.
class FakeMonitors final : public Monitors {
public:
    Rect workArea{0, 0, 1920, 1040};
    Rect desktop{0, 0, 1920, 1080};
    bool workAreasKnown = true;

    Rect virtualDesktop() override { return desktop; }
    std::vector<Rect> monitors() override { return {desktop}; }
    bool knowsWorkAreas() override { return workAreasKnown; }
    Rect primaryWorkArea() override { return workArea; }
    Rect workAreaAt(Point) override { return workArea; }
};

class FakePointer final : public Pointer {
public:
    std::optional<Point> where = Point{0, 0};
    int currentSpeed = UserSpeed;
    std::vector<int> speedsSet;              // every setSpeed call, in order
    std::optional<Rect> confinement;         // nothing: the pointer is free
    std::vector<std::optional<Rect>> confinements; // every confine/release

    std::vector<Point> moves;                // every moveTo, in order
    // What the system lets the program do (Wayland: none of them).
    bool movable = true;
    bool speedSettable = true;
    std::string speedRefusal = "this session does not let programs set the pointer speed";
    bool confinable = true;

    std::optional<Point> position() override { return where; }
    bool canMovePointer() override { return movable; }
    void moveTo(Point p) override
    {
        moves.push_back(p);
        where = p;
    }
    int speed() override { return currentSpeed; }
    bool canSetPointerSpeed() override { return speedSettable; }
    std::string pointerSpeedRefusal() override { return speedSettable ? std::string() : speedRefusal; }
    void setSpeed(int s) override
    {
        speedsSet.push_back(s);
        if (s >= MinPointerSpeed && s <= MaxPointerSpeed) currentSpeed = s;
    }
    bool canConfinePointer() override { return confinable; }
    void confine(Rect r) override
    {
        confinement = r;
        confinements.push_back(r);
    }
    void release() override
    {
        confinement.reset();
        confinements.push_back(std::nullopt);
    }
};

class FakeClipboard final : public Clipboard {
public:
    std::string text;
    std::string failure; // non-empty: every setText fails with it
    int writes = 0;
    std::string setText(const std::string& t) override
    {
        if (!failure.empty()) return failure;
        ++writes;
        text = t;
        return {};
    }
    int keepCalls = 0; // keepAfterExit calls
    void keepAfterExit() override { ++keepCalls; }
};

class FakeWindows final : public Windows {
public:
    std::vector<std::pair<NativeWindow, bool>> topmostCalls;
    bool keepsOnTop = true;                     // false: no topmost band (Wayland)
    bool canKeepOnTop() override { return keepsOnTop; }
    void setTopmost(NativeWindow window, bool topmost) override { topmostCalls.emplace_back(window, topmost); }
    std::vector<NativeWindow> leftOutOfTaskBar; // every window, at every showing
    void leaveOutOfTaskBar(NativeWindow window) override { leftOutOfTaskBar.push_back(window); }
    bool placesWindows = true;                  // false: drags go to the compositor
    bool canPlaceWindows() override { return placesWindows; }
};

class FakeShell final : public Shell {
public:
    std::vector<std::string> opened; // every address handed on, in order
    void openUrl(const std::string& address) override { opened.push_back(address); }
};

// A keyboard whose keys the test describes by scan code: the modifier each
// is, and the Latin letter each stands for in the first Latin layout.
class FakeKeyboard final : public Keyboard {
public:
    std::map<std::uint32_t, ModifierKey> modifiers;
    std::map<std::uint32_t, char> letters; // 0: a key without a letter
    ModifierKey modifierOf(PhysicalKey key) override
    {
        const auto it = modifiers.find(key.scanCode);
        return it != modifiers.end() ? it->second : ModifierKey::Other;
    }
    std::optional<char> latinLetterOf(PhysicalKey key) override
    {
        const auto it = letters.find(key.scanCode);
        if (it == letters.end()) return std::nullopt;
        return it->second;
    }
};

// The pick mode's overlay (wlroots): what the program asked of it. A test
// plays the compositor through the listener it was given.
class FakePickOverlay final : public PickOverlay {
public:
    PickOverlayListener* listener = nullptr;
    bool isShown = false;
    std::string refusal; // show() fails with this when set

    void setListener(PickOverlayListener* l) override { listener = l; }
    bool show(std::string& why) override
    {
        if (!refusal.empty()) {
            why = refusal;
            return false;
        }
        isShown = true;
        return true;
    }
    void hide() override { isShown = false; }
    bool shown() override { return isShown; }
};

// A platform made of the fakes above, with typed access to each.
struct FakePlatform {
    FakePlatform();
    // Gives the platform a pick overlay, as the wlroots backend's has one;
    // before the windows are made.
    FakePickOverlay& addPickOverlay();
    Platform platform;
    FakePixels& pixels;
    FakeGammaRamps& ramps;
    FakeDisplayProfiles& profiles;
    FakeMonitors& monitors;
    FakePointer& pointer;
    FakeWindows& windows;
    FakeClipboard& clipboard;
    FakeShell& shell;
    FakeKeyboard& keyboard;
};

// Ramp whose three tables all read entry(i) at index i.
template <typename F>
GammaTable rampOf(F entry)
{
    GammaTable t{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(c * 256 + i)] = static_cast<std::uint16_t>(entry(i));
    return t;
}

} // namespace tintora::fake
