#pragma once

#include <string>

#include "platform/interface.h"

namespace tintora {

class Shell : public Interface {
public:
    // Hands an address to the system's default handler (the web browser for
    // web addresses). Failures are not reported.
    virtual void openUrl(const std::string& address) = 0;
};

} // namespace tintora
