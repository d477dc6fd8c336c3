// The window's background drawn from what it is made of: one colour per row
// (a column one pixel wide, stretched across) and the band of rows that hold
// more than one colour (the title box), copied as they are. Drawn this way it
// is the image pixel for pixel, without keeping the whole decoded image
// (763×537, 1.6 MB) in memory.
#pragma once

#include <QImage>
#include <QPixmap>

class QPainter;

class Backdrop {
public:
    explicit Backdrop(const QImage& image);
    void draw(QPainter& painter) const;
    int bandHeight() const { return m_band.height(); } // 0 when every row has one colour

private:
    QSize m_size;
    QPixmap m_column;
    QPixmap m_band;
    int m_bandTop = 0;
};
