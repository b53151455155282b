// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/layers/LayerEdit.h"

#include <atomic>
#include <optional>

#include "core/catalogue/Workspace.h"
#include "core/document/TextRules.h"
#include "core/layers/LayerStack.h"
#include "core/store/IniError.h"

namespace velmora {

namespace {

// Edits of layers are told apart by number: a layer is unchanged while the last edit done on it is
// the one last done at its save.
uint64_t NextEditNumber() {
    static std::atomic<uint64_t> next{0};
    return ++next;
}

// Where a new item goes among `count` items of the layer, given each item's place in the document
// (negative: the document lacks it) and the new one's: after the last that comes before it, or
// before the first that comes after it, or at the end.
template <class PlaceOf>
size_t PlaceAmong(size_t count, long wanted, PlaceOf placeOf) {
    if (wanted < 0) return count;
    std::optional<size_t> before;
    std::optional<size_t> after;
    for (size_t i = 0; i < count; ++i) {
        const long place = placeOf(i);
        if (place < 0) continue;
        if (place < wanted) before = i + 1;
        if (place > wanted && !after) after = i;
    }
    return before.value_or(after.value_or(count));
}

}  // namespace

LayerEdit::LayerEdit(std::shared_ptr<LayerFile> layer, std::string text, EditFocus focus)
    : Edit(std::move(text), std::move(focus), false),
      m_layer(std::move(layer)),
      m_changes(std::make_unique<StoreEdit>(m_layer->EditableStore(), m_layer->EditableStore(), std::string(),
                                            EditFocus(), false)),
      m_number(NextEditNumber()) {}

LayerEdit::~LayerEdit() = default;

void LayerEdit::WriteValue(const IniStore& document, std::string_view code, std::string_view key,
                           std::string_view value) {
    // Only the first store of the inner edit is used: it is the layer's.
    constexpr StoreOf layer = StoreOf::Document;
    const IniStore& store = m_layer->Store();
    int section = store.IndexOfSection(code);
    const int documentSection = document.IndexOfSection(code);
    if (section < 0) {
        RefuseControlBytes(key, "key");
        RefuseControlBytes(value, "value");
        const size_t place = PlaceAmong(store.SectionCount(), documentSection, [&](size_t i) {
            return static_cast<long>(document.IndexOfSection(store.SectionAt(i).Name()));
        });
        m_changes->InsertSection(layer, place, code);
        section = static_cast<int>(place);
    }
    const IniSection& lines = store.SectionAt(static_cast<size_t>(section));
    const long line = lines.IndexOfKey(key);
    if (line >= 0) {
        m_changes->WriteValueOfLine(layer, static_cast<size_t>(section), static_cast<size_t>(line), value);
    } else {
        RefuseControlBytes(key, "key");
        RefuseControlBytes(value, "value");
        const IniSection* ordered =
            documentSection >= 0 ? &document.SectionAt(static_cast<size_t>(documentSection)) : nullptr;
        const long wanted = ordered ? ordered->IndexOfKey(key) : -1;
        const size_t place = PlaceAmong(lines.Count(), wanted, [&](size_t i) {
            std::string_view name;
            return lines.LineAt(i).KeyName(name) ? ordered->IndexOfKey(TrimView(name)) : -1L;
        });
        m_changes->InsertLine(layer, static_cast<size_t>(section), place,
                              std::string(key) + "=" + std::string(value));
    }
    // What the views are told: the layer's sections and keys, which the effective values follow.
    for (const auto& [code2, key2] : m_changes->Touched()) NoteValue(code2, key2);
    if (m_changes->ChangesEntries()) NoteEntriesChanged();
}

void LayerEdit::Keep() {
    m_changes->m_kept = true;
    m_layer->EditDone(m_number);
}

void LayerEdit::Apply() {
    m_changes->Apply();
    m_layer->EditDone(m_number);
}

void LayerEdit::Revert() {
    m_changes->Revert();
    m_layer->EditUndone();
}

bool SetLayerValue(LayerStack& stack, size_t layer, const std::string& code, const std::string& key,
                   const std::string& value, const std::string& category) {
    const std::string name = UsableKey(key);
    const LayerFile& file = stack.Layer(layer);
    const std::string old = file.Store().ReadString(code, name, "");
    RefuseValue(name, value, old);
    if (file.Store().ValueExists(code, name) && old == value) return false;
    Document& document = stack.Work().Doc();
    auto edit =
        std::make_unique<LayerEdit>(stack.SharedLayer(layer), "Change of " + name + " in " + file.ShortName(),
                                    EditFocus{category, code, name});
    edit->WriteValue(document.Store(), code, name, value);
    if (edit->Empty()) return false;
    edit->Keep();
    return document.CommitBeside(std::move(edit));
}

}  // namespace velmora
