#include "app/Backdrop.h"

#include <QPainter>

namespace {
bool oneColour(const QImage& image, int row) {
    const QRgb first = image.pixel(0, row);
    for (int x = 1; x < image.width(); ++x)
        if (image.pixel(x, row) != first) return false;
    return true;
}
} // namespace

Backdrop::Backdrop(const QImage& image) : m_size(image.size()) {
    if (image.isNull()) return;
    m_column = QPixmap::fromImage(image.copy(0, 0, 1, image.height()));
    int top = 0, bottom = image.height() - 1;
    while (top <= bottom && oneColour(image, top))
        ++top;
    while (bottom >= top && oneColour(image, bottom))
        --bottom;
    if (top > bottom) return;
    m_bandTop = top;
    m_band = QPixmap::fromImage(image.copy(0, top, image.width(), bottom - top + 1));
}

void Backdrop::draw(QPainter& painter) const {
    if (m_column.isNull()) return;
    // Stretched without smoothing, every pixel of a row takes the row's colour.
    painter.drawPixmap(QRect(QPoint(0, 0), m_size), m_column);
    if (!m_band.isNull()) painter.drawPixmap(0, m_bandTop, m_band);
}
