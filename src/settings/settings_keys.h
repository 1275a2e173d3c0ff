#pragma once

#include <string_view>

#include "core/stored_options.h"
#include "settings/ini_file.h"

namespace tintora {

// The options as the settings file holds them. Every key, its section, the
// option it holds, how its value is spelled and what a file without it gives
// are declared once, in the table of settings_keys.cpp, which both of these
// walk.

// The options a file holds: each key's value read as its option reads
// ("1"/"0" and whole numbers for the flags, the zoom with the given decimal
// separator); a key that is missing or cannot be used gives its fallback.
StoredOptions readStoredOptions(const IniDocument& ini, std::string_view decimalSeparator);

// Writes the options into ini, the file as it stands at the close, each
// value in place (IniDocument::setValue), but for the user's edits: a key
// whose value on disk differs from what loaded (the file as the start read
// it, empty when there was none) had, edited or deleted while the program
// ran, stays as ini has it unless the run changed its option too. So a new
// file gets every key, and a value that did not read is written with the one
// in use. A key the table adds only off its fallback is left out of a file
// without it while its option has that value.
void writeStoredOptions(IniDocument& ini, const IniDocument& loaded, const StoredOptions& options,
                        std::string_view decimalSeparator);

} // namespace tintora
