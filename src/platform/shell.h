#pragma once

#include <string>

namespace tintora {

class Shell {
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    virtual ~Shell() = default;

    // Hands an address to the system's default handler (the web browser for
    // web addresses). Failures are not reported.
    virtual void openUrl(const std::string& address) = 0;
};

} // namespace tintora
