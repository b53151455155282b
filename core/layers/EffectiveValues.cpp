// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/layers/EffectiveValues.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "core/catalogue/Workspace.h"
#include "core/layers/LayerStack.h"
#include "core/store/IniStore.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"

namespace velmora {

// ---------------------------------------------------------------------------------------------
// Line numbers

LineNumbers::LineNumbers(const IniStore& store) : m_store(store) {
    m_headers.reserve(store.SectionCount());
    size_t written = store.Preamble().size();
    for (size_t i = 0; i < store.SectionCount(); ++i) {
        const IniSection& section = store.SectionAt(i);
        // A section an operation added is written after one blank line.
        if (const auto* leading = section.LeadingComments())
            written += leading->size();
        else if (section.Header().empty())
            written += 1;
        m_headers.push_back(++written);
        for (size_t line = 0; line < section.Count(); ++line) {
            const auto* comments = section.CommentsOf(line);
            written += (comments ? comments->size() : 0) + 1;
        }
    }
}

size_t LineNumbers::Of(size_t section, size_t line) const {
    const IniSection& lines = m_store.SectionAt(section);
    size_t number = m_headers.at(section);
    for (size_t i = 0; i <= line && i < lines.Count(); ++i) {
        const auto* comments = lines.CommentsOf(i);
        number += (comments ? comments->size() : 0) + 1;
    }
    return number;
}

size_t LineNumberOf(const IniStore& store, size_t section, size_t line) {
    return LineNumbers(store).Of(section, line);
}

// ---------------------------------------------------------------------------------------------
// Chains

bool ValueChain::Disagrees() const {
    for (size_t i = 1; i < Settings.size(); ++i)
        if (Settings[i].Value != Settings[i - 1].Value) return true;
    return false;
}

namespace {

std::string Place(const ValueSetting& setting) {
    return setting.FileName + " line " + std::to_string(setting.Line);
}

std::string KeyOf(const IniSection::Line& line) {
    std::string_view key;
    if (!line.KeyName(key)) return {};
    return std::string(TrimView(key));
}

}  // namespace

// The files of the stack in reading order, each with its line numbers once asked for.
class StackFiles {
public:
    explicit StackFiles(const LayerStack& stack) {
        const Document& document = stack.Work().Doc();
        if (document.HasDocument()) Append(0, document.Store());
        for (size_t i = 0; i < stack.Count(); ++i) Append(i + 1, stack.Layer(i).Store());
    }

    // The chain of `key` in the sections named `section`: every file is asked, whether its section
    // is an override being the caller's to decide.
    ValueChain Chain(std::string_view section, std::string_view key) {
        ValueChain chain;
        for (File& file : m_files) {
            const int position = file.store->IndexOfSection(section);
            if (position < 0) continue;
            const IniSection& lines = file.store->SectionAt(static_cast<size_t>(position));
            const long line = lines.IndexOfKey(key);
            if (line < 0) continue;
            if (!file.numbers) file.numbers = std::make_unique<LineNumbers>(*file.store);
            chain.Settings.push_back(
                {file.index, ExtractFileName(file.store->FileName()),
                 file.numbers->Of(static_cast<size_t>(position), static_cast<size_t>(line)),
                 IniStore::StripComment(lines.LineAt(static_cast<size_t>(line)).ValueText())});
        }
        return chain;
    }

private:
    struct File {
        size_t index;
        const IniStore* store;
        std::unique_ptr<LineNumbers> numbers;
    };

    void Append(size_t index, const IniStore& store) { m_files.push_back({index, &store, nullptr}); }

    std::vector<File> m_files;
};

std::string ValueChain::Provenance() const {
    if (Settings.empty()) return {};
    const ValueSetting& winner = Winner();
    std::string text = winner.Value + ", from " + Place(winner);
    if (Settings.size() > 1) {
        const ValueSetting& overridden = Settings[Settings.size() - 2];
        text += "; overrides " + overridden.Value + " from " + Place(overridden);
    }
    return text;
}

std::string ValueChain::ChainText() const {
    std::string text;
    for (const ValueSetting& setting : Settings) {
        if (!text.empty()) text += " <- ";
        text += setting.FileName + " " + setting.Value;
    }
    return text;
}

StackValues::StackValues(const LayerStack& stack) : m_stack(stack), m_files(std::make_unique<StackFiles>(stack)) {}

StackValues::~StackValues() = default;

bool StackValues::LayersOverride(std::string_view section) {
    const Document& document = m_stack.Work().Doc();
    if (document.HasDocument() && document.Store().IndexOfSection(section) >= 0) return true;
    auto [found, added] = m_overrides.try_emplace(m_stack.NameKey(section), false);
    if (added) {
        if (!m_listed) m_listed = m_stack.ListedNames();
        found->second = m_stack.IsOverride(section, *m_listed);
    }
    return found->second;
}

ValueChain StackValues::Chain(std::string_view section, std::string_view key) {
    ValueChain chain = m_files->Chain(section, key);
    if (chain.Settings.size() > 1 || (chain.Settings.size() == 1 && chain.Settings[0].File > 0))
        if (!LayersOverride(section))
            std::erase_if(chain.Settings, [](const ValueSetting& s) { return s.File > 0; });
    return chain;
}

ValueChain ChainOf(const LayerStack& stack, std::string_view section, std::string_view key) {
    return StackValues(stack).Chain(section, key);
}

std::vector<std::string> KeysOf(const LayerStack& stack, std::string_view section) {
    std::vector<std::string> keys;
    std::unordered_set<std::string> seen;
    auto addFrom = [&](const IniStore& store) {
        const int position = store.IndexOfSection(section);
        if (position < 0) return;
        const IniSection& lines = store.SectionAt(static_cast<size_t>(position));
        for (size_t i = 0; i < lines.Count(); ++i) {
            std::string key = KeyOf(lines.LineAt(i));
            if (!key.empty() && seen.insert(FoldCase(key)).second) keys.push_back(std::move(key));
        }
    };
    const Document& document = stack.Work().Doc();
    if (document.HasDocument()) addFrom(document.Store());
    if (StackValues(stack).LayersOverride(section))
        for (size_t i = 0; i < stack.Count(); ++i) addFrom(stack.Layer(i).Store());
    return keys;
}

std::vector<EntryOverrides> OverridesOf(const LayerStack& stack, bool onlyConflicts) {
    const std::unordered_set<std::string> listed = stack.ListedNames();
    StackFiles files(stack);
    std::vector<EntryOverrides> entries;
    std::unordered_map<std::string, size_t> entryOf;  // name key -> position in `entries`
    std::unordered_set<std::string> seen;             // name key, "\n", folded key
    for (size_t layer = 0; layer < stack.Count(); ++layer) {
        const IniStore& store = stack.Layer(layer).Store();
        for (size_t position = 0; position < store.SectionCount(); ++position) {
            const IniSection& section = store.SectionAt(position);
            if (!stack.IsOverride(section.Name(), listed)) continue;
            const std::string name = stack.NameKey(section.Name());
            for (size_t line = 0; line < section.Count(); ++line) {
                const std::string key = KeyOf(section.LineAt(line));
                if (key.empty() || !seen.insert(name + "\n" + FoldCase(key)).second) continue;
                ValueChain chain = files.Chain(section.Name(), key);
                if (chain.Settings.size() < 2 || (onlyConflicts && !chain.Disagrees())) continue;
                auto [found, added] = entryOf.try_emplace(name, entries.size());
                if (added) entries.push_back({std::string(section.Name()), {}});
                entries[found->second].Keys.push_back({key, std::move(chain)});
            }
        }
    }
    return entries;
}

}  // namespace velmora
