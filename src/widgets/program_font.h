#pragma once

#include <QFont>

// The font of the program's small windows: Tahoma at 11 pixels, or the
// system's sans-serif at the same size where Tahoma is missing.
QFont programFont();
