#pragma once

#include <QColor>

#include "core/rgb.h"

// The program's colours as Qt's, opaque.
inline QColor toQColor(tintora::Rgb c) { return QColor(c.R, c.G, c.B); }
inline QColor toQColor(tintora::ColourValue v) { return toQColor(tintora::rgbFromColourValue(v)); }
