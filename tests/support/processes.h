#pragma once

// What /proc tells the tests about processes.

#include <string>
#include <sys/types.h>

namespace tintora::test {

// A file's whole contents; empty when it cannot be read.
std::string readAll(const std::string& path);

// The parent of a process, 0 when unknown.
pid_t parentOf(pid_t pid);

} // namespace tintora::test
