// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/document/Document.h"

namespace velmora {

class LayerFile;
class LayerStack;

// An edit of one layer's file, kept in the document's history beside the document's own edits,
// so that Undo steps back through both in the order they were made. Its changes are those of a
// StoreEdit over the layer's store, byte for byte as exact; it touches neither the document nor
// the definition file, and tells the views the layer's sections and keys it changed, whose
// effective values may have changed with them.
class LayerEdit final : public Edit {
public:
    LayerEdit(std::shared_ptr<LayerFile> layer, std::string text, EditFocus focus);
    ~LayerEdit() override;

    // `key` of the layer's section `code` becomes `value`: its first line gets the value as every
    // value write does (LineWithValue), or a line is added, the section too when the layer lacks
    // it. An added line or section goes where the layer's own order puts it: after the last one
    // the document has before it, or else before the first one the document has after it, or else
    // at the end. Throws IniError for bytes no value may hold.
    void WriteValue(const IniStore& document, std::string_view code, std::string_view key,
                    std::string_view value);

    bool Empty() const { return m_changes->Empty(); }
    // The history took the edit: it is done from now on until undone, and stays when it goes.
    void Keep();

    void Apply() override;
    void Revert() override;
    bool Touches(StoreOf /*store*/) const override { return false; }

private:
    std::shared_ptr<LayerFile> m_layer;
    // After the layer, whose store it changes: it goes first.
    std::unique_ptr<StoreEdit> m_changes;
    uint64_t m_number;
};

// The value commit into layer `layer` of the stack: as Document::SetValue, one undo step in the
// document's history. False, and nothing written, when the layer already reads `value` for the
// key. Throws IniError for a key that UsableKey refuses and a value that RefuseValue refuses.
bool SetLayerValue(LayerStack& stack, size_t layer, const std::string& code, const std::string& key,
                   const std::string& value, const std::string& category = {});

}  // namespace velmora
