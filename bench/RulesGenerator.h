// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velmora::bench {

// The size and make-up of a generated rules document.
struct RulesShape {
    uint32_t seed = 20240611;
    size_t sectionCount = 5000;      // object sections, without [General] and the list sections
    size_t categoryCount = 40;
    size_t minKeys = 5;
    size_t maxKeys = 60;
    size_t duplicateSections = 12;   // later sections that repeat an earlier name
    size_t duplicateKeys = 40;       // sections that repeat one of their keys in other letter case
};

// One category of the matching definition file.
struct GeneratedCategory {
    std::string name;                              // also the name of its list sections
    int kind = 0;                                  // 0: the document keeps a list section of its own
    std::vector<std::string> pages;                // page section names in the definition file
    std::vector<std::vector<std::string>> pageKeys;
    std::vector<std::string> members;              // codes of the sections made for it, in order
};

// Writes, from a seed alone, a rules document that looks like a real game's: thousands of object
// sections with typical keys and values, comment lines above many of them, inline comments,
// numbered list sections, and the odd duplicate section and key. It also writes the definition
// file that sorts such a document into categories and a default copy that differs from the
// document in a few values and sections. The same shape always gives the same bytes.
class RulesGenerator {
public:
    explicit RulesGenerator(RulesShape shape = {});

    const RulesShape& Shape() const { return m_shape; }
    const std::vector<GeneratedCategory>& Categories() const { return m_categories; }
    // The key names of all pages of a category, page by page.
    std::vector<std::string> CategoryKeys(size_t category) const;
    // Names of the list sections the document itself holds (the categories of kind 0).
    std::vector<std::string> DocumentListSections() const;
    // Every (section, key) pair that a lookup by name finds in the document.
    const std::vector<std::pair<std::string, std::string>>& ExistingKeys() const { return m_existingKeys; }

    // Texts with CR LF line ends.
    std::string RulesText() const;
    std::string DefaultText() const;
    std::string DefinitionText() const;

    static void WriteFile(const std::filesystem::path& path, std::string_view text);

private:
    struct Line {
        std::string key;
        std::string value;
        std::string comment;         // inline comment, "" when none
        bool commentAbove = false;   // a comment line stands directly above this line
    };
    struct Section {
        std::string name;
        size_t category = 0;
        std::vector<std::string> commentsAbove;
        bool blankAbove = true;
        std::vector<Line> lines;
    };

    void PlanCategories();
    void PlanSections();
    void PlanLists();
    std::string NewCode();
    std::string ValueFor(const std::string& key, size_t sectionIndex);
    std::string RenderDocument(bool asDefault) const;

    RulesShape m_shape;
    uint64_t m_state;
    std::vector<GeneratedCategory> m_categories;
    std::vector<Section> m_sections;
    std::unordered_set<std::string> m_usedCodes;
    // Per category: the members named by the document's own list (kind 0) and by the definition
    // file's list; the definition list also names a few sections the document does not hold.
    std::vector<std::vector<std::string>> m_documentLists;
    std::vector<std::vector<std::string>> m_definitionLists;
    std::vector<std::pair<std::string, std::string>> m_existingKeys;

    uint32_t Next();
    size_t Below(size_t bound) { return bound == 0 ? 0 : Next() % bound; }
    bool Chance(unsigned percent) { return Next() % 100 < percent; }
};

}  // namespace velmora::bench
