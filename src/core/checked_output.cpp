#include "core/checked_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace tintora {

bool writeChecked(std::ostream& out, std::string_view text, std::string_view what, std::ostream& err)
{
    errno = 0;
    out << text << std::flush;
    if (out) return true;
    // Read before anything else can change it.
    const int reason = errno;
    err << "tintora: " << what << " could not be written";
    if (reason != 0) err << ": " << std::strerror(reason);
    err << '\n';
    return false;
}

ClosedStreamBuffer::int_type ClosedStreamBuffer::overflow(int_type)
{
    errno = EBADF;
    return traits_type::eof();
}

std::streamsize ClosedStreamBuffer::xsputn(const char_type*, std::streamsize)
{
    errno = EBADF;
    return 0;
}

int ClosedStreamBuffer::sync()
{
    errno = EBADF;
    return -1;
}

} // namespace tintora
