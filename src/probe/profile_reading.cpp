#include "probe/profile_reading.h"

#include <ostream>

namespace tintora {

ProfileReading::ProfileReading() = default;
ProfileReading::~ProfileReading() = default;

bool ProfileReading::follow(DisplayProfiles& profiles, Point p, const std::optional<Rgb>& bitmap,
                            const std::optional<RampReading>& ramp, bool sampleChanged,
                            std::optional<ProfileFacts>& facts, std::ostream& err)
{
    // Without a colour there is nothing to say of it.
    bool applies = bitmap && profiles.profileAt(p, m_published);
    bool profileChanged = false;
    if (applies && (!m_read || m_published.serial != m_readSerial || m_published.output != m_readOutput)) {
        readPublished(err);
        profileChanged = true;
    }
    const bool refused = applies && !m_profile && !m_readRefusal.empty();
    const bool refusalChanged = refused != m_refused || (refused && profileChanged);
    m_refused = refused;
    applies = applies && m_profile;
    if (!applies) {
        if (!facts) return refusalChanged;
        facts.reset();
        return true;
    }
    const bool fresh = profileChanged || !facts;
    if (!facts) facts.emplace();
    if (fresh) {
        facts->description = m_profile->description();
        facts->hasCalibration = m_profile->hasCalibration();
    }
    if (!fresh && !sampleChanged) return false;
    return workOutFacts(*facts, *bitmap, ramp) || fresh;
}

void ProfileReading::readPublished(std::ostream& err)
{
    m_read = true;
    m_readSerial = m_published.serial;
    m_readOutput = m_published.output;
    m_profile.reset();
    m_readRefusal.clear();
    if (!m_published.refusal.empty()) {
        m_readRefusal = m_published.refusal;
    } else {
        if (m_published.bytes.empty()) return;
        m_profile = DisplayProfile::read(m_published.bytes, m_readRefusal);
        if (m_profile) {
            m_readRefusal.clear();
            return;
        }
    }
    std::string line = "tintora: the display profile of " +
                       (m_published.output.empty() ? std::string("the display") : m_published.output);
    if (!m_published.origin.empty()) line += " (" + m_published.origin + ")";
    warn(line + " is left out. " + m_readRefusal + "\n", err);
}

void ProfileReading::warn(std::string line, std::ostream& err)
{
    // Profiles that change back and forth would otherwise say the same
    // again at each change.
    if (m_warned.contains(line)) return;
    if (m_warned.size() >= kMostProfileWarnings) {
        if (!m_warningsCut) err << "tintora: further warnings about display profiles are left out.\n";
        m_warningsCut = true;
        return;
    }
    err << line;
    m_warned.insert(std::move(line));
}

bool ProfileReading::workOutFacts(ProfileFacts& facts, Rgb bitmap, const std::optional<RampReading>& ramp) const
{
    const Lab intended = m_profile->intendedLab(bitmap);
    CalibrationCheck check; // Unknown without a ramp
    std::optional<Lab> seen;
    if (ramp) {
        check = m_profile->check(ramp->ramp);
        seen = m_profile->seenLab(bitmap, ramp->ramp);
    }
    const double deltaE = seen ? deltaE2000(intended, *seen) : 0.0;
    if (intended == facts.intended && check == facts.check && seen == facts.seen && deltaE == facts.deltaE)
        return false;
    facts.intended = intended;
    facts.check = check;
    facts.seen = seen;
    facts.deltaE = deltaE;
    return true;
}

} // namespace tintora
