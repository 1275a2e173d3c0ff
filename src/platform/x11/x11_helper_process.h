#pragma once

#include <sys/types.h>

#include <string>

namespace tintora::x11 {

// What it takes to start this program's own executable again as one of its
// helpers (the clipboard keeper, the pointer watchdog).
struct HelperLaunch {
    const char* name = "";      // its argv[0], what process lists show
    int channel = -1;           // this process's descriptor of the helper's end of their channel
    int channelNumber = 3;      // the number that descriptor gets in the helper
    const char* roleVariable = ""; // set in its environment, to roleValue: what it is to be
    std::string roleValue;
    std::string displayName;    // the X server it talks to (its DISPLAY)
    bool silent = false;        // its error output goes to /dev/null as well
};

// Starts the helper in a session of its own, so that a Ctrl+C in the
// program's terminal or a signal to the program's process group does not
// reach it; with no signal blocked or ignored; its standard input and output
// on /dev/null. Its environment is this process's, with roleVariable and
// DISPLAY set as launch says. The caller still owns launch.channel. Returns 0
// with pid set, or the errno of what failed.
int spawnHelper(const HelperLaunch& launch, pid_t& pid);

// The helper's first steps, once it knows the program started it: it is
// called processName in process lists (started through /proc/self/exe it
// would be "exe"), keeps no descriptor of the program's but the standard ones
// and channelNumber, and leaves the program's working directory for the root.
void settleHelper(const char* processName, int channelNumber);

} // namespace tintora::x11
