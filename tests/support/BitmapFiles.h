// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Needs Qt: only the programs that link the windows (GUI tests and the window benchmark) include it.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <string>

namespace velmora::testing {

// The bytes of a bitmap file holding `image`, as a picture folder would hold it.
inline std::string BitmapFile(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

// A bitmap file of one colour, so a test can tell by a pixel which file was drawn.
inline std::string BitmapFile(QSize size, const QColor& colour,
                              QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(colour);
    return BitmapFile(image);
}

}  // namespace velmora::testing
