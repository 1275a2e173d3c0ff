#include "probe/sampler.h"

#include <utility>

#include "probe/profile_text.h"
#include "probe/ramp_summary.h"

namespace tintora {

namespace {

// Puts text in place of target; true when it differs.
bool replaceText(std::string& target, std::string text)
{
    if (text == target) return false;
    target = std::move(text);
    return true;
}

} // namespace

Sampler::Sampler(std::string decimalSeparator) : m_separator(std::move(decimalSeparator))
{
    m_sample.rampStatus = rampStatusText(std::nullopt);
    m_sample.profileStatus = profileStatusText(nullptr, m_separator);
}

const Sample& Sampler::samplePointer(Screen& screen, Pointer& pointer, std::ostream& err)
{
    return sampleAt(screen, pointer.position().value_or(Point{0, 0}), err);
}

const Sample& Sampler::sampleAt(Screen& screen, Point p, std::ostream& err)
{
    const bool first = !m_sampled;
    m_sampled = true;
    SampleChanges changed;

    changed.position = first || p != m_sample.at;
    m_sample.at = p;

    const ColourValue pixel = screen.pixels->pixel(p);
    const std::optional<Rgb> bitmap =
        pixel == InvalidColour ? std::nullopt : std::optional<Rgb>(rgbFromColourValue(pixel));
    changed.bitmap = first || bitmap != m_sample.bitmap;
    m_sample.bitmap = bitmap;

    changed.ramp = followRamp(screen, p) || first;
    changed.profile = m_profile.follow(*screen.profiles, p, m_sample.bitmap, m_sample.ramp, changed.readouts(),
                                       m_sample.profile, err) ||
                      first;

    // The texts only when what they say may have changed; the first sample's
    // count as changed, so a view shows them whatever it showed before.
    if (changed.ramp) changed.rampStatus = replaceText(m_sample.rampStatus, rampStatusText(m_sample.ramp)) || first;
    if (changed.profile)
        changed.profileStatus =
            replaceText(m_sample.profileStatus,
                        profileStatusText(m_sample.profile ? &*m_sample.profile : nullptr, m_separator,
                                          m_profile.refusal())) ||
            first;
    m_sample.changed = changed;
    return m_sample;
}

bool Sampler::followRamp(Screen& screen, Point p)
{
    std::optional<RampReading>& ramp = m_sample.ramp;
    if (!screen.ramps->rampAt(p, m_read)) {
        if (!ramp) return false;
        ramp.reset();
        return true;
    }
    if (ramp && *ramp == m_read) return false;
    // Taken over by exchange: m_read keeps the older storage for the next read.
    if (!ramp) ramp.emplace();
    std::swap(*ramp, m_read);
    return true;
}

} // namespace tintora
