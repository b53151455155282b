// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <string>

namespace velmora {

// The one crossing between the program's byte texts and Qt's strings: every byte is one Latin-1
// character, both ways. A character without a byte becomes "?".
inline QString ToQString(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToBytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// A text shown on a button, tab or menu item exactly as it stands: "&" would otherwise mark the
// next letter as the accelerator and disappear.
inline QString ToCaption(const std::string& text) {
    return ToQString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace velmora
