#include "fake/fake_platform.h"

#include <algorithm>

namespace tintora::fake {

ColourValue FakePixels::pixel(Point p)
{
    ++pixelReads;
    if (pixelFails) return InvalidColour;
    const auto it = overrides.find({p.x, p.y});
    return it != overrides.end() ? it->second : pixelValue;
}

bool FakeGammaRamps::rampAt(Point p, RampReading& reading)
{
    ++rampReads;
    rampPoints.push_back(p);
    if (!ramp) return false;
    reading.ramp = *ramp;
    reading.output = rampOutput;
    reading.size = rampSize;
    return true;
}

std::vector<RampReading> FakeGammaRamps::allRamps()
{
    std::vector<RampReading> all;
    if (ramp) all.push_back({*ramp, rampOutput, rampSize});
    all.insert(all.end(), otherOutputs.begin(), otherOutputs.end());
    return all;
}

bool FakeDisplayProfiles::profileAt(Point, PublishedProfile& reading)
{
    if (reading.serial == profile.serial && reading.output == profile.output) return true;
    ++profileCopies;
    reading = profile;
    return true;
}

std::vector<PublishedProfile> FakeDisplayProfiles::allProfiles()
{
    std::vector<PublishedProfile> all{profile};
    all.insert(all.end(), otherProfiles.begin(), otherProfiles.end());
    return all;
}

bool FakePixels::grab(Rect rect, ScreenImage& image)
{
    image.width = rect.width;
    image.height = rect.height;
    image.pixels.assign(static_cast<std::size_t>(std::max(rect.width, 0)) * std::max(rect.height, 0), 0u);
    for (int y = 0; y < rect.height; ++y)
        for (int x = 0; x < rect.width; ++x) {
            image.pixels[static_cast<std::size_t>(y) * rect.width + x] =
                imagePixelFromColourValue(pixel({rect.x + x, rect.y + y}));
        }
    return true;
}

FakePlatform::FakePlatform()
    : platform{{std::make_unique<FakePixels>(), std::make_unique<FakeGammaRamps>(),
                std::make_unique<FakeDisplayProfiles>(), std::make_unique<FakeMonitors>()},
               std::make_unique<FakePointer>(), std::make_unique<FakeWindows>(), std::make_unique<FakeClipboard>(),
               std::make_unique<FakeShell>(), std::make_unique<FakeKeyboard>(), nullptr},
      pixels(static_cast<FakePixels&>(*platform.screen.pixels)),
      ramps(static_cast<FakeGammaRamps&>(*platform.screen.ramps)),
      profiles(static_cast<FakeDisplayProfiles&>(*platform.screen.profiles)),
      monitors(static_cast<FakeMonitors&>(*platform.screen.monitors)),
      pointer(static_cast<FakePointer&>(*platform.pointer)),
      windows(static_cast<FakeWindows&>(*platform.windows)),
      clipboard(static_cast<FakeClipboard&>(*platform.clipboard)),
      shell(static_cast<FakeShell&>(*platform.shell)),
      keyboard(static_cast<FakeKeyboard&>(*platform.keyboard))
{
}

FakePickOverlay& FakePlatform::addPickOverlay()
{
    auto overlay = std::make_unique<FakePickOverlay>();
    FakePickOverlay& added = *overlay;
    platform.pickOverlay = std::move(overlay);
    return added;
}

} // namespace tintora::fake
