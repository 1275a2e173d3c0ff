#include "support/processes.h"

#include <fstream>
#include <sstream>

namespace tintora::test {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

pid_t parentOf(pid_t pid)
{
    const std::string stat = readAll("/proc/" + std::to_string(pid) + "/stat");
    // "pid (name) state ppid ...": the name may hold anything, even ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(stat.substr(close + 1));
    std::string state;
    long parent = 0;
    rest >> state >> parent;
    return static_cast<pid_t>(parent);
}

} // namespace tintora::test
