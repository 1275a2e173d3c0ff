#include "pointer/pointer_aids.h"

namespace tintora {

std::optional<Point> nudgeTarget(Point p, int key, bool rowLocked, bool columnLocked, const Rect& desktop)
{
    Point target = p;
    switch (key) {
    case keys::Left: target.x -= 1; break;
    case keys::Right: target.x += 1; break;
    case keys::Up: target.y -= 1; break;
    case keys::Down: target.y += 1; break;
    default: return std::nullopt;
    }
    if ((rowLocked && target.y != p.y) || (columnLocked && target.x != p.x)) return std::nullopt;
    if (!desktop.contains(target)) return std::nullopt;
    return target;
}

std::vector<std::string> refusedPointerAids(Pointer& pointer)
{
    std::vector<std::string> notices;
    if (!pointer.canSetPointerSpeed())
        notices.push_back(pointer.pointerSpeedRefusal() + "; the slow pointer is unavailable.");
    if (!pointer.canConfinePointer())
        notices.push_back("this session does not let programs hold the pointer on a line; the Alt and Shift axis "
                          "locks are unavailable.");
    if (!pointer.canMovePointer())
        notices.push_back("this session does not let programs move the pointer; the arrow keys do not nudge it.");
    return notices;
}

PointerAids::PointerAids(ProgramState& state, Pointer& pointer, Monitors& monitors)
    : m_state(state), m_pointer(pointer), m_monitors(monitors)
{
}

void PointerAids::keyDown(const KeyChord& key)
{
    if (m_over) return;
    m_state.altHeld = key.alt;
    m_state.ctrlHeld = key.ctrl;
    // Where the system cannot hold the pointer, no lock is taken: the arrow
    // keys are not held to a line the pointer is not on.
    const bool canLock = m_pointer.canConfinePointer();
    if (key.alt && !m_rowLocked && canLock) {
        m_lockStart = m_pointer.position().value_or(m_lockStart);
        m_pointer.confine(rowThrough(m_lockStart, m_monitors.virtualDesktop()));
        m_rowLocked = true;
    }
    if (key.shift && !m_columnLocked && canLock) {
        m_lockStart = m_pointer.position().value_or(m_lockStart);
        m_pointer.confine(columnThrough(m_lockStart, m_monitors.virtualDesktop()));
        m_columnLocked = true;
    }
    if (key.ctrl) setSpeed(invertedSpeed(m_state));
    if (key.key >= keys::Left && key.key <= keys::Down) nudge(key.key);
}

void PointerAids::keyUp(const KeyChord& key)
{
    if (m_over) return;
    if (!key.alt) m_rowLocked = false;
    if (!key.shift) m_columnLocked = false;
    if (!key.alt && !key.shift) freePointer();
    if (!key.ctrl) setSpeed(configuredSpeed(m_state));
    m_state.altHeld = key.alt;
    m_state.ctrlHeld = key.ctrl;
}

void PointerAids::otherWindowKeyDown(const KeyChord& key)
{
    if (m_over || !key.ctrl) return;
    setSpeed(invertedSpeed(m_state));
}

void PointerAids::otherWindowKeyUp(const KeyChord&)
{
    if (m_over) return;
    setSpeed(configuredSpeed(m_state));
}

void PointerAids::applySlowPointer()
{
    if (m_over || !m_state.options.slowPointer) return;
    setSpeed(MinPointerSpeed);
}

void PointerAids::applyConfiguredSpeed()
{
    if (m_over) return;
    setSpeed(configuredSpeed(m_state));
}

void PointerAids::nudge(int key)
{
    // A warp lands exactly, whatever the pointer's speed; relative motion
    // would be scaled by it. Where the system allows no warp, the position
    // is not even read.
    if (!m_pointer.canMovePointer()) return;
    const std::optional<Point> from = m_pointer.position();
    if (!from) return;
    if (const auto to = nudgeTarget(*from, key, m_rowLocked, m_columnLocked, m_monitors.virtualDesktop()))
        m_pointer.moveTo(*to);
}

void PointerAids::releaseLocks()
{
    if (m_over) return;
    if (m_rowLocked || m_columnLocked) m_pointer.release();
    m_rowLocked = m_columnLocked = false;
}

void PointerAids::restoreConfiguredSpeed()
{
    if (m_over) return;
    if (m_pointer.speed() != configuredSpeed(m_state)) setSpeed(configuredSpeed(m_state));
}

void PointerAids::lift()
{
    if (m_over) return;
    releaseLocks();
    m_state.altHeld = m_state.ctrlHeld = false;
    restoreConfiguredSpeed();
}

void PointerAids::giveBack()
{
    if (m_over) return;
    setSpeed(m_state.userPointerSpeed);
    freePointer();
    m_rowLocked = m_columnLocked = false;
    m_over = true;
}

void PointerAids::stopWithoutGivingBack()
{
    m_rowLocked = m_columnLocked = false;
    m_over = true;
}

void PointerAids::setSpeed(int speed)
{
    if (m_pointer.canSetPointerSpeed()) m_pointer.setSpeed(speed);
}

void PointerAids::freePointer()
{
    if (m_pointer.canConfinePointer()) m_pointer.release();
}

} // namespace tintora
