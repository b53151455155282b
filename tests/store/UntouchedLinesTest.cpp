// SPDX-License-Identifier: GPL-3.0-or-later
// Random documents in every layout a user might write (indentation, blanks around "=", trailing
// blanks, header notes, no blank lines between sections, mixed line ends, a byte-order mark, text
// before the first header, comments after the last line, long values) go through random edits.
// The text the store writes must be what a plain model of the file's lines gives: every line that
// no edit touched with its bytes, a line an edit wrote as key=value, and nothing else.

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

// A line of a section with the comment and blank lines above it, as the file will hold it.
struct ModelLine {
    std::vector<std::string> comments;
    std::string text;
    std::string key;    // empty for a plain line
    std::string value;  // the text after "=" as lookups see it, comment included
};

struct ModelSection {
    std::vector<std::string> leading;
    std::string header;  // empty: added by an edit
    std::string name;
    std::vector<ModelLine> lines;
};

// The document as its lines, and the expected text of the store after the same edits.
struct Model {
    std::vector<std::string> preamble;
    std::vector<ModelSection> sections;
    std::vector<std::string> trailing;

    ModelSection* Find(const std::string& name) {
        for (ModelSection& section : sections)
            if (section.name == name) return &section;
        return nullptr;
    }

    std::string Text() const {
        std::vector<std::string> lines = preamble;
        for (const ModelSection& section : sections) {
            lines.insert(lines.end(), section.leading.begin(), section.leading.end());
            if (section.header.empty() && section.leading.empty()) lines.emplace_back();
            lines.push_back(section.header.empty() ? "[" + section.name + "]" : section.header);
            for (const ModelLine& line : section.lines) {
                lines.insert(lines.end(), line.comments.begin(), line.comments.end());
                lines.push_back(line.text);
            }
        }
        lines.insert(lines.end(), trailing.begin(), trailing.end());
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        return text;
    }
};

class RandomDocument {
  public:
    explicit RandomDocument(uint32_t seed) : m_random(seed) {}

    Model Make() {
        Model model;
        // Comments after the last text before the first header belong to the first section.
        if (Chance(30))
            model.preamble = {Pick({"; notes", "  ; indented notes"}), Pick({"version 3", " loose = line "})};
        const size_t sections = 2 + Below(8);
        for (size_t s = 0; s < sections; ++s) model.sections.push_back(Section("S" + std::to_string(s)));
        if (Chance(50)) model.trailing = {Pick({"; end", "  ; end  "}), Pick({"", "\t"})};
        return model;
    }

    // The file's bytes: each line with a line end of its own, at times none after the last one.
    std::string Bytes(const Model& model, bool byteOrderMark) {
        const std::string text = model.Text();
        std::string bytes = byteOrderMark ? "\xEF\xBB\xBF" : "";
        std::string previousEnd;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            const std::string line = text.substr(start, end - start);
            start = end + 2;
            // After a lone CR, an empty line ending in LF would read as that CR's LF.
            std::string lineEnd = Pick({"\r\n", "\n", "\r"});
            if (line.empty() && previousEnd == "\r" && lineEnd == "\n") lineEnd = "\r\n";
            if (start == text.size() && !line.empty() && Chance(30)) lineEnd.clear();
            bytes += line + lineEnd;
            previousEnd = lineEnd;
        }
        return bytes;
    }

    bool Chance(unsigned percent) { return Below(100) < percent; }
    size_t Below(size_t bound) { return m_random() % bound; }
    std::string Pick(std::initializer_list<const char*> choices) {
        return *(choices.begin() + Below(choices.size()));
    }

  private:
    std::vector<std::string> Comments() {
        std::vector<std::string> block;
        for (size_t n = Chance(40) ? 1 + Below(2) : 0; n > 0; --n)
            block.push_back(Pick({"", "   ", "\t", "; about it", "  ; indented", ";tight  "}));
        return block;
    }

    ModelSection Section(const std::string& name) {
        ModelSection section;
        section.name = name;
        section.leading = Comments();
        section.header = Pick({"[", "  [", "\t["}) + Pick({"", " "}) + name + Pick({"", " "}) + "]" +
                         Pick({"", "", " ; a note", "\t;note  ", "  "});
        const size_t count = Below(7);
        for (size_t k = 0; k < count; ++k) {
            ModelLine line;
            line.comments = Comments();
            if (Chance(15)) {
                line.text = Pick({"plain words", "  plain, indented  "});
            } else {
                line.key = "Key" + std::to_string(k);
                // At times longer than a line's own length field holds.
                line.value = "v" + std::to_string(Below(1000)) + (Chance(2) ? std::string(20000, 'w') : "") +
                             Pick({"", " ; why", "  ;x"});
                line.text = Pick({"", "  ", "\t"}) + line.key + Pick({"", " ", "\t "}) + "=" +
                            Pick({"", "  ", "\t"}) + line.value + Pick({"", "  ", " \t"});
            }
            section.lines.push_back(std::move(line));
        }
        return section;
    }

    std::mt19937 m_random;
};

// Applies one random edit to the store and to the model alike.
void RandomEdit(RandomDocument& random, IniStore& store, Model& model, int serial) {
    const std::string fresh = "e" + std::to_string(serial);
    ModelSection* section =
        model.sections.empty() ? nullptr : &model.sections[random.Below(model.sections.size())];
    std::vector<size_t> keyed;
    if (section)
        for (size_t i = 0; i < section->lines.size(); ++i)
            if (!section->lines[i].key.empty()) keyed.push_back(i);
    const size_t kind = random.Below(7);

    if (kind <= 1 && section && !keyed.empty()) {
        // A value set on a line that has a key; writing what it already holds changes nothing.
        ModelLine& line = section->lines[keyed[random.Below(keyed.size())]];
        const bool same = random.Chance(25);
        const std::string key = same || random.Chance(50) ? line.key : FoldCase(line.key);
        const std::string value = same ? line.value : fresh;
        store.WriteString(section->name, key, value);
        if (key == line.key && value == line.value) return;
        line.key = key;
        line.value = value;
        line.text = key + "=" + value;
    } else if (kind == 2 && section) {
        store.WriteString(section->name, "N" + fresh, fresh);
        section->lines.push_back({{}, "N" + fresh + "=" + fresh, "N" + fresh, fresh});
    } else if (kind == 3) {
        store.WriteString("New" + fresh, "k", fresh);
        model.sections.push_back({{}, "", "New" + fresh, {{{}, "k=" + fresh, "k", fresh}}});
    } else if (kind == 4 && section && !keyed.empty()) {
        const size_t at = keyed[random.Below(keyed.size())];
        store.DeleteKey(section->name, section->lines[at].key);
        section->lines.erase(section->lines.begin() + static_cast<std::ptrdiff_t>(at));
    } else if (kind == 5 && section) {
        const std::string name = section->name;
        store.EraseSection(name);
        model.sections.erase(model.sections.begin() + (section - model.sections.data()));
    } else if (kind == 6 && section) {
        // The copy stands before its source, its lines as they were read.
        store.DuplicateSection(section->name, "Copy" + fresh);
        ModelSection copy{{""}, "", "Copy" + fresh, section->lines};
        model.sections.insert(model.sections.begin() + (section - model.sections.data()), std::move(copy));
    }
}

class UntouchedLinesTest : public StoreTest {};

TEST_F(UntouchedLinesTest, RandomEditsChangeOnlyTheLinesTheyWrite) {
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomDocument random(seed);
        Model model = random.Make();
        const bool byteOrderMark = random.Chance(20);
        auto store = Load(random.Bytes(model, byteOrderMark));

        const std::string mark = byteOrderMark ? "\xEF\xBB\xBF" : "";
        ASSERT_EQ(store->RenderText(), mark + model.Text()) << "the file as read";
        const size_t edits = random.Below(12);
        for (size_t serial = 0; serial < edits; ++serial)
            RandomEdit(random, *store, model, static_cast<int>(serial));
        ASSERT_EQ(store->RenderText(), mark + model.Text()) << "after " << edits << " edits";

        // Lookups see every line as before, whatever its layout.
        for (const ModelSection& section : model.sections) {
            for (const ModelLine& line : section.lines) {
                if (line.key.empty()) continue;
                EXPECT_EQ(store->ReadString(section.name, line.key, "?"),
                          IniStore::StripComment(line.value))
                    << section.name << " " << line.key;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::test
