// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <array>
#include <cstddef>

namespace velmora {

// The colour that marks a value a layer sets, by the layer's place in the stack: light enough that
// the red of a value that differs from the default copy still reads on it. Every view of the
// values and the legend use the same.
inline QColor LayerColour(size_t layer) {
    static constexpr std::array<QRgb, 6> Colours = {0xCFE8FF, 0xD8F5C8, 0xFFE7B8, 0xEBD9FF, 0xC8F0EE, 0xFFD6E7};
    return QColor(Colours[layer % Colours.size()]);
}

}  // namespace velmora
