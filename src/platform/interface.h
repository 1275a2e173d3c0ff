#pragma once

namespace tintora {

// Base of the platform's interfaces: an object behind one stands for a part
// of the system, so it is neither copied nor assigned, and it is deleted
// through the interface.
class Interface {
public:
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;
    virtual ~Interface() = default;

protected:
    Interface() = default;
};

} // namespace tintora
