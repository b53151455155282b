// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/entries/ValueEdits.h"

#include <unordered_set>

#include "core/document/Document.h"
#include "core/references/FindIndex.h"
#include "core/document/TextRules.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

// A ";" would make the rest of the value a comment.
void RefuseSemicolon(std::string_view text) {
    if (text.find(';') != std::string_view::npos)
        throw IniError("\"" + Escaped(text) + "\" cannot be written into a value: it may not hold \";\".");
}

// The one rule of every value writer, naming the entry.
void RefuseValueOf(std::string_view code, std::string_view key, std::string_view value, std::string_view old) {
    try {
        RefuseValue(key, value, old);
    } catch (const IniError& refusal) {
        throw IniError(std::string(code) + " " + std::string(key) + ": " + refusal.what() + ".");
    }
}

// The lists of a category are its entries' codes, not values.
bool IsListSection(const Workspace& workspace, std::string_view name) {
    return IndexOfNoCase(workspace.CategoryRows(), name) >= 0;
}

}  // namespace

std::optional<std::string> ReplaceTextInValue(std::string_view value, std::string_view find, std::string_view with,
                                              bool wholeWords) {
    const size_t end = std::min(value.find(';'), value.size());
    const std::string folded = FoldCase(value.substr(0, end));
    const std::string needle = FoldCase(find);
    auto wordAt = [&](size_t i) { return i < end && IsWordByte(static_cast<unsigned char>(value[i])); };
    std::string result;
    size_t copied = 0;
    bool replaced = false;
    for (size_t at = folded.find(needle); !needle.empty() && at != std::string::npos; at = folded.find(needle, at)) {
        if (wholeWords && ((at > 0 && wordAt(at - 1)) || wordAt(at + needle.size()))) {
            ++at;
            continue;
        }
        result.append(value.substr(copied, at - copied)).append(with);
        copied = at + needle.size();
        at = copied;
        replaced = true;
    }
    if (!replaced) return std::nullopt;
    result.append(value.substr(copied));
    return result;
}

std::vector<LineRewrite> ReplaceTextRewrites(const Workspace& workspace, const std::vector<LinePlace>& places,
                                             std::string_view find, std::string_view with, bool wholeWords) {
    if (find.empty()) throw IniError("There is no text to replace.");
    RefuseControlBytes(with, "value");
    RefuseSemicolon(with);
    const IniStore& document = workspace.Doc().Store();
    std::vector<LineRewrite> rewrites;
    for (const LinePlace& place : places) {
        if (place.Section >= document.SectionCount()) continue;
        const IniSection& section = document.SectionAt(place.Section);
        if (place.Line >= section.Count() || IsListSection(workspace, section.Name())) continue;
        const std::string line(section.LineAt(place.Line).Raw());
        std::string_view key;
        if (!section.LineAt(place.Line).KeyName(key) || key.empty()) continue;
        const size_t valueStart = line.find('=') + 1;
        const std::optional<std::string> value =
            ReplaceTextInValue(std::string_view(line).substr(valueStart), find, with, wholeWords);
        // Replacing a text by one that differs only in letter case leaves lines that already read so.
        if (!value || *value == std::string_view(line).substr(valueStart)) continue;
        RefuseValueOf(section.Name(), key, IniStore::StripComment(*value),
                      IniStore::StripComment(std::string_view(line).substr(valueStart)));
        rewrites.push_back({place, std::string(section.Name()), line, line.substr(0, valueStart) + *value});
    }
    return rewrites;
}

std::vector<LineRewrite> SetValueRewrites(const Workspace& workspace, const std::vector<std::string>& codes,
                                          std::string_view key, std::string_view value) {
    const std::string name = UsableKey(key);
    RefuseSemicolon(value);
    // A control character below the blank would go with the blanks at the ends: it is refused
    // first. The C1 ones, which no trimming takes, are judged for each entry below.
    RefuseControlBytes(value, "value", value);
    const std::string_view stored = TrimView(value);  // as a saved file gives it back
    const IniStore& document = workspace.Doc().Store();
    std::unordered_set<size_t> done;
    std::vector<LineRewrite> rewrites;
    for (const std::string& code : codes) {
        const int at = document.IndexOfSection(code);
        if (at < 0 || !done.insert(static_cast<size_t>(at)).second) continue;
        const IniSection& section = document.SectionAt(static_cast<size_t>(at));
        if (IsListSection(workspace, section.Name())) continue;
        const long found = section.IndexOfKey(name);
        const std::string old =
            found < 0 ? std::string()
                      : IniStore::StripComment(section.LineAt(static_cast<size_t>(found)).ValueText());
        RefuseValueOf(section.Name(), name, stored, old);
        if (found < 0) {
            rewrites.push_back({{static_cast<size_t>(at), section.Count()}, std::string(section.Name()), {},
                                std::string(name) + "=" + std::string(stored)});
            continue;
        }
        const std::string line(section.LineAt(static_cast<size_t>(found)).Raw());
        std::string rewritten = LineWithValue(line, stored);
        if (rewritten == line) continue;
        rewrites.push_back({{static_cast<size_t>(at), static_cast<size_t>(found)}, std::string(section.Name()), line,
                            std::move(rewritten)});
    }
    return rewrites;
}

std::string RewritesPreview(const std::vector<LineRewrite>& rewrites, size_t shown) {
    std::string text = rewrites.size() == 1 ? std::string("1 line will change:")
                                            : std::to_string(rewrites.size()) + " lines will change:";
    for (size_t i = 0; i < rewrites.size() && i < shown; ++i) {
        const LineRewrite& rewrite = rewrites[i];
        text += "\r\n" + rewrite.SectionName + ": ";
        text += rewrite.OldText.empty() ? "added " + rewrite.NewText : rewrite.OldText + "  ->  " + rewrite.NewText;
    }
    if (rewrites.size() > shown) text += "\r\n... and " + std::to_string(rewrites.size() - shown) + " more";
    return text;
}

bool CommitRewrites(Document& document, std::string text, EditFocus focus, const std::vector<LineRewrite>& rewrites) {
    if (rewrites.empty()) return false;
    std::unique_ptr<StoreEdit> edit = document.BeginEdit(std::move(text), std::move(focus), false);
    AddRewrites(*edit, rewrites);
    return document.Commit(std::move(edit));
}

}  // namespace velmora
