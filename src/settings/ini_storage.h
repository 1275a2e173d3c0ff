#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tintora {

// The file's bytes. A file that does not exist reads as the empty text, the
// same as an empty file; nothing when the file exists but cannot be read, and
// then error says why.
std::optional<std::string> readFile(const std::string& path, std::string& error);

// Replaces the file's bytes with contents, or creates the file: the contents go
// to a new file in the same directory, which is flushed to the disk and then
// renamed over the old one, so a crash leaves either the old or the new file.
// The old file's permission bits are kept; a new file gets those of any new
// file (0666 less the umask). Through a symbolic link, the file it points to
// is replaced. False with the reason in error when the file is read-only for
// the user, the directory cannot take the new file, or any step fails; the old
// file is then as it was, and no temporary file is left behind.
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string& error);

} // namespace tintora
