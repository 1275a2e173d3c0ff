#pragma once

#include <string>

namespace tintora {

// How quotedText writes a control character.
enum class Quoting {
    CString, // \xHH, DEL too, as a C string literal writes it
    Json,    // \u00HH
};

// text between double quotes, a quote and a backslash after a backslash,
// control characters as quoting says; other bytes, UTF-8 included, as they
// are.
std::string quotedText(const std::string& text, Quoting quoting = Quoting::CString);

} // namespace tintora
