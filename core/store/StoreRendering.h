// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/IniStore.h"

namespace velmora {

inline constexpr std::string_view StoreByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view StoreLineEnd = "\r\n";

// The lines a save writes of one section, in order, each handed to `out` as the parts it joins:
// the comment block before the header, the header, then each line after its own comment block. A
// section an operation added has no header as read: it gets a blank line and "[name]".
template <class Emit>
void EmitSectionLines(const IniSection& section, Emit&& out) {
    const bool added = section.Header().empty();
    if (const auto* leading = section.LeadingComments())
        for (std::string_view line : *leading) out({line});
    else if (added)
        out({});
    if (added)
        out({"[", section.Name(), "]"});
    else
        out({section.Header()});
    for (size_t i = 0; i < section.Count(); ++i) {
        if (const auto* comments = section.CommentsOf(i))
            for (std::string_view line : *comments) out({line});
        out({section.LineAt(i).Raw()});
    }
}

// Every line a save writes of `store`: the text before the first section, the sections, and the
// comments after the last.
template <class Emit>
void EmitStoreLines(const IniStore& store, Emit&& out) {
    for (std::string_view line : store.Preamble()) out({line});
    for (size_t i = 0; i < store.SectionCount(); ++i) EmitSectionLines(store.SectionAt(i), out);
    for (std::string_view line : store.Trailing()) out({line});
}

// The bytes IniStore::RenderText gives, made a slice at a time: rendering a big document in one
// go would hold a window up for more than a frame, while a slice fits between its events. The
// store must stand unchanged from the first slice to the last. Once done, the bytes are the
// rendering's own, and may be taken on another thread.
class StoreRendering {
public:
    // A slice that keeps well within a frame: about a millisecond of work, the whole of a 17 MB
    // document taking some 27 of them (bench/RecoveryBench.cpp).
    static constexpr size_t LinesPerSlice = 40000;

    explicit StoreRendering(const IniStore& store);

    // Renders whole sections until at least `lines` more lines are written, or the store is done;
    // true once it is done.
    bool Continue(size_t lines);
    bool Done() const { return m_done; }
    // The whole text, once done; the store is not read.
    std::string Take();

private:
    void Emit(std::initializer_list<std::string_view> parts);

    const IniStore& m_store;
    size_t m_nextSection = 0;
    size_t m_emitted = 0;
    bool m_started = false;
    bool m_done = false;
    // The text in pieces of about a megabyte, so that no slice copies what the ones before wrote.
    std::vector<std::string> m_pieces;
};

}  // namespace velmora
