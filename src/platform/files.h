#pragma once

// Files through the system's own file API. Paths are UTF-8 and reach the
// system unchanged (on Windows through its wide-character functions, so any
// folder name works; either slash separates there).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tintora {

// No settings file comes near this size; a larger file is not one.
constexpr std::size_t kMaxSettingsFileBytes = std::size_t{4} << 20;

// The settings file may be a symbolic link, or a chain of them: dotfile
// managers link settings files into the user's own files on purpose. Links
// are followed only when each one on the way (the folders named in their
// texts included) was made by the user running the program or by root,
// whom nobody else can be, and the file they lead to is the user's.
// Anything else is neither read nor written: a link somebody else put
// there could make the program, run by root say, write over any file it
// names. A link that leads to nothing is not followed either (the file
// would be made wherever it points). On Windows, links and junctions are
// followed as the system follows them (win32_files.cpp says why).

// Whether the links at path, if any, may be followed under that rule; true
// for a path that is no link. False with the reason in error otherwise.
bool linksAreTheUsers(const std::string& path, std::string& error);

// The file's bytes. A file that does not exist reads as the empty text, the
// same as an empty file. Nothing, with the reason in error, when the file
// exists but cannot be read, is not a regular file (a directory, a device
// such as /dev/zero, a pipe, through a link or not), holds more than
// kMaxSettingsFileBytes or is reached through links that may not be
// followed (linksAreTheUsers); such a file is never read to its end.
std::optional<std::string> readFile(const std::string& path, std::string& error);

// Replaces the file's bytes with contents, or creates the file. The contents
// go to a new file in the same directory, which is flushed to the disk and
// then renamed over the old one, so a crash leaves either the old or the new
// file. The old file's owner, group and permission bits are kept; a new file
// gets those of any new file (0666 less the umask). Through symbolic links
// (linksAreTheUsers), the file they lead to is replaced and the links stay.
//
// The file is rewritten in place instead (one write of the whole contents
// over its bytes, the rest cut off, flushed to the disk) where replacing it
// would lose something: where no new file can be made beside it (a folder
// without write permission), where the new file cannot be given the old
// one's owner and group, and where the file has other hard links, which
// would otherwise keep the old bytes under their names while this one got
// new ones. In place, every name goes on showing the same file.
//
// False with the reason in error when the file is read-only for the user
// (no write bit at all counts as read-only for everyone, root included), is
// not a regular file, is reached through links that may not be followed,
// does not exist and cannot be created, or any step fails; the old file is
// then as it was (but for a write in place that failed half-way, which error
// says), and no temporary file is left behind.
bool replaceFile(const std::string& path, std::string_view contents, std::string& error);

// The files the program makes for itself alone (the pointer's state files,
// in a folder of the user's), where anything else found under their names is
// somebody else's and left as it is: unlike the settings file, which may be
// a link into the user's own files, they are never reached through a link
// (on Windows, any reparse point) and never rewritten in place.

// The file's bytes when it is a regular file of the user's (on POSIX owned by
// the process's user) of at most maxBytes. Nothing, with the reason in error,
// for anything else: a missing file, a link, a pipe or a device (never waited
// on), someone else's file, a larger file (never read past maxBytes).
std::optional<std::string> readOwnFile(const std::string& path, std::size_t maxBytes, std::string& error);

// Replaces the file's bytes with contents, or creates the file (readable and
// writable by the user only), as replaceFile does but for these files: false
// with the reason in error when anything but a regular file of the user's is
// at path (a link stays, and the file it leads to is never written). The new
// bytes go to a file of a new name beside it, created where nothing was (no
// link is followed there either), and then take path's place.
bool replaceOwnFile(const std::string& path, std::string_view contents, std::string& error);

// Removes the file when it is a regular file of the user's; anything else at
// path stays.
void removeOwnFile(const std::string& path);

// Whether a file can be created or replaced in dir.
bool isWritableDirectory(const std::string& dir);

// Whether anything (a file, a directory) is at path.
bool pathExists(const std::string& path);

// Creates the directories above filePath that are missing (for the user
// only, as configuration directories are); false when one cannot be made.
bool makeParentDirectories(const std::string& filePath);

// Where this user's programs keep their settings: $XDG_CONFIG_HOME, or
// ~/.config without it (a relative $XDG_CONFIG_HOME is ignored, as the
// base-directory rules ask); %APPDATA% on Windows. Empty when there is none.
std::string userConfigDirectory();

} // namespace tintora
