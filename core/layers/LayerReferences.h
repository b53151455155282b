// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

class LayerStack;
class OtherKinds;

// An item of a reference key's value, set by a layer in an entry of the key's category, that
// names nothing the game will have once it read the whole stack: no section of the document or of
// a layer, no entry of a category among the key's sources (their lists in every file of the stack)
// and none of the values of its other sources. The game stops on such a name.
struct LayerDanglingItem {
    size_t Layer = 0;         // its position in the stack
    std::string FileName;     // the layer's name without its folder
    size_t Line = 0;          // the key's line, counting from 1
    std::string Category;     // the category whose page holds the key
    std::string SectionName;  // the entry's code
    std::string Key;          // as the line spells it
    std::string Item;
};

// Every such item of every layer, layer by layer in file order, each once. `others` (may be null)
// answers for the sources of other kinds of file; without it such a source's items never dangle.
std::vector<LayerDanglingItem> FindLayerDanglingItems(const LayerStack& stack, OtherKinds* others = nullptr);

}  // namespace velmora
