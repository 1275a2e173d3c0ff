#include "probe/profile_reading.h"

#include <ostream>

namespace tintora {

ProfileReading::ProfileReading() = default;
ProfileReading::~ProfileReading() = default;

void ProfileReading::follow(DisplayProfiles& profiles, Point p, const RampReading& ramp, Rgb bitmap, std::ostream& err)
{
    m_applies = false;
    if (!profiles.profileAt(p, m_published)) return;
    if (!m_read || m_published.serial != m_readSerial || m_published.output != m_readOutput) readPublished(err);
    if (!m_profile) return;
    workOutFacts(ramp, bitmap);
    m_applies = true;
}

void ProfileReading::readPublished(std::ostream& err)
{
    m_read = true;
    m_readSerial = m_published.serial;
    m_readOutput = m_published.output;
    m_profile.reset();
    m_factsKnown = false;
    if (m_published.bytes.empty()) return;
    std::string whyNot;
    m_profile = DisplayProfile::read(m_published.bytes, whyNot);
    if (!m_profile) {
        err << "tintora: the display profile of "
            << (m_published.output.empty() ? std::string("the display") : m_published.output);
        if (!m_published.origin.empty()) err << " (" << m_published.origin << ")";
        err << " is left out. " << whyNot << "\n";
        return;
    }
    m_facts.description = m_profile->description();
    m_facts.hasCalibration = m_profile->hasCalibration();
}

void ProfileReading::workOutFacts(const RampReading& ramp, Rgb bitmap)
{
    const bool hasRamp = ramp.size > 0;
    if (m_factsKnown && bitmap == m_factsColour && hasRamp == m_factsHadRamp && (!hasRamp || ramp.ramp == m_factsRamp))
        return;
    m_factsKnown = true;
    m_factsColour = bitmap;
    m_factsHadRamp = hasRamp;
    if (hasRamp) m_factsRamp = ramp.ramp;

    m_facts.intended = m_profile->intendedLab(bitmap);
    if (hasRamp) {
        m_facts.check = m_profile->check(ramp.ramp);
        m_facts.seen = m_profile->seenLab(bitmap, ramp.ramp);
    } else {
        m_facts.check.reset();
        m_facts.seen.reset();
    }
    m_facts.deltaE = m_facts.seen ? deltaE2000(m_facts.intended, *m_facts.seen) : 0.0;
}

} // namespace tintora
