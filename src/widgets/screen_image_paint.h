#pragma once

#include <QBrush>
#include <QPainter>

#include "platform/screen.h"

// Draws image at the painter's origin, without a copy (0x00RRGGBB is the
// layout of RGB32). Returns false, drawing nothing, when the image is empty
// or its pixels do not fill its size.
bool drawScreenImage(QPainter& painter, const tintora::ScreenImage& image);
