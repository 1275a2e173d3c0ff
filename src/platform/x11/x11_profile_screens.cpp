#include "platform/x11/x11_profile_screens.h"

#include <algorithm>

namespace tintora::x11 {

namespace {

bool madeOf(const ProfileScreen& screen, OutputId output)
{
    return output != 0 && std::find(screen.outputs.begin(), screen.outputs.end(), output) != screen.outputs.end();
}

} // namespace

std::vector<ProfileScreen> screensOfCrtcs(const std::vector<ShownOutput>& crtcs, OutputId primary)
{
    std::vector<ProfileScreen> screens;
    screens.reserve(crtcs.size());
    for (const ShownOutput& c : crtcs) {
        ProfileScreen screen{c.name, c.rect, {}};
        if (c.output) screen.outputs.push_back(c.output);
        screens.push_back(std::move(screen));
    }
    // Only the first CRTC of the primary output moves.
    const auto first = std::find_if(crtcs.begin(), crtcs.end(),
                                    [primary](const ShownOutput& c) { return primary != 0 && c.output == primary; });
    if (first != crtcs.end()) {
        const auto at = screens.begin() + (first - crtcs.begin());
        std::rotate(screens.begin(), at, at + 1);
    }
    return screens;
}

int profileScreenAt(const std::vector<ProfileScreen>& screens, Point p, OutputId shownBy)
{
    if (screens.empty()) return -1;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (screens[i].rect.contains(p)) return static_cast<int>(i);
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (madeOf(screens[i], shownBy)) return static_cast<int>(i);
    return 0;
}

OutputId profileOutputOf(const ProfileScreen& screen, OutputId shownBy)
{
    if (madeOf(screen, shownBy)) return shownBy;
    return screen.outputs.empty() ? 0 : screen.outputs.front();
}

std::vector<ScreenPart> screenParts(const std::vector<ProfileScreen>& screens, const std::vector<ShownOutput>& crtcs)
{
    std::vector<ScreenPart> parts;
    for (std::size_t s = 0; s < screens.size(); ++s) {
        const int screen = static_cast<int>(s);
        const std::size_t before = parts.size();
        for (std::size_t c = 0; c < crtcs.size(); ++c)
            if (madeOf(screens[s], crtcs[c].output)) parts.push_back({screen, static_cast<int>(c)});
        if (parts.size() == before)
            for (std::size_t c = 0; c < crtcs.size(); ++c)
                if (!intersected(screens[s].rect, crtcs[c].rect).isEmpty()) parts.push_back({screen, static_cast<int>(c)});
        if (parts.size() == before) parts.push_back({screen, -1});
    }
    return parts;
}

} // namespace tintora::x11
