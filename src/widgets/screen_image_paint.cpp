#include "widgets/screen_image_paint.h"

#include <QImage>

bool drawScreenImage(QPainter& painter, const tintora::ScreenImage& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return false;
    const QImage view(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                      image.width * 4, QImage::Format_RGB32);
    painter.drawImage(0, 0, view);
    return true;
}
