// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "compare/CompareSupport.h"
#include "core/document/Document.h"
#include "core/compare/RevertPlan.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "support/SourceFolder.h"

namespace velmora::testing {
namespace {

// A document over a copy of a store, with the history the editor keeps.
struct HeldDocument {
    explicit HeldDocument(const IniStore& source) {
        document.Load(StoreOf::Document, source.CloneAs(""));
        document.Load(StoreOf::Definition, std::make_unique<IniStore>(std::string()));
    }
    const IniStore& Store() const { return document.Store(); }
    std::string Text() const { return Store().RenderText(); }

    Document document;
};

// The plan made as one edit of a document over a copy of `store`: the bytes it gives.
std::string Applied(const IniStore& store, const RevertPlan& plan) {
    HeldDocument held(store);
    auto edit = held.document.BeginEdit("Revert", {}, true);
    AddRevertSteps(*edit, plan, true);
    held.document.Commit(std::move(edit));
    return held.Text();
}

// Every difference reverted as one edit; its undo gives the document's bytes back.
std::string RevertAll(const IniStore& document, const IniStore& reference) {
    HeldDocument held(document);
    RevertDifferences(held.document, CompareStores(held.Store(), reference, true), reference, true);
    const std::string reverted = held.Text();
    if (held.document.CanUndo()) held.document.Undo();
    EXPECT_EQ(held.Text(), document.RenderText());
    return reverted;
}

// A key the document lacks goes back after the nearest key before it in the reference that the
// document holds; the reference's first key goes back first, not last.
TEST(RevertPlan, LinesGoBackAfterTheirNearestPredecessorOrFirst) {
    const auto reference = StoreOf({"[S]", "; about a", "a=1", "b=2", "c=3", "x=0", "d=4"});
    const auto document = StoreOf({"[S]", "n=0", "b=2", "d=4"});
    const std::vector<Difference> differences = CompareStores(*document, *reference, true);
    ASSERT_EQ(Listing(differences), (std::vector<std::string>{"[S] +n=0", "[S] -a=1", "[S] -c=3", "[S] -x=0"}));

    // c and x go back together: x follows c, which the same revert puts back before it.
    const RevertPlan plan = PlanRevert({differences[1], differences[2], differences[3]}, *document, *reference, true);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_FALSE(plan[0].After);
    EXPECT_EQ(PlaceOf(*document, plan[0], true).Line, 0u);
    EXPECT_EQ(plan[1].After, "b");
    EXPECT_EQ(PlaceOf(*document, plan[1], true).Line, 2u);
    EXPECT_EQ(plan[2].After, "c");
    EXPECT_THROW(PlaceOf(*document, plan[2], true), IniError);  // c is not back yet

    EXPECT_EQ(Applied(*document, plan), "[S]\r\n; about a\r\na=1\r\nn=0\r\nb=2\r\nc=3\r\nx=0\r\nd=4\r\n");
    EXPECT_EQ(RevertAll(*document, *reference), reference->RenderText());
}

// The repeat of a key is not the line of that key the document holds: what follows the repeat goes
// back after the line the document has before it.
TEST(RevertPlan, AMissingKeyAfterARepeatedKeyGoesAfterTheLineThatPrecedesTheRepeat) {
    const auto reference = StoreOf({"[S]", "a=1", "b=2", "a=9", "c=3"});
    const auto document = StoreOf({"[S]", "a=1", "b=2"});
    std::vector<Difference> missing = CompareStores(*document, *reference, true);
    std::erase_if(missing, [](const Difference& difference) { return difference.Key() != "c"; });
    ASSERT_EQ(missing.size(), 1u);
    HeldDocument held(*document);
    ASSERT_TRUE(RevertDifferences(held.document, missing, *reference, true));
    EXPECT_EQ(held.Text(), "[S]\r\na=1\r\nb=2\r\nc=3\r\n");
}

TEST(RevertPlan, ValuesGoBackAsTheReferencesLineUnderTheDocumentsComments) {
    const auto reference = StoreOf({"[S]", "Cost=100 ; cheap", "Speed=4"});
    const auto document = StoreOf({"[S]", "; mine", "COST=120", "Speed=4"});
    EXPECT_EQ(RevertAll(*document, *reference), "[S]\r\n; mine\r\nCost=100 ; cheap\r\nSpeed=4\r\n");
}

// The Edit menu names a revert by what it puts back.
TEST(RevertPlan, ARevertIsOneEditNamedByWhatItPutsBack) {
    const auto reference = StoreOf({"[S]", "Cost=100", "Speed=4", "[T]", "a=1"});
    HeldDocument held(*StoreOf({"[S]", "Cost=120", "Speed=5", "[T]", "a=2"}));
    const std::vector<Difference> differences = CompareStores(held.Store(), *reference, true);
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_TRUE(RevertDifferences(held.document, {differences[0]}, *reference, true));
    EXPECT_EQ(held.document.UndoText(), "Undo Revert S Cost");
    held.document.Undo();
    EXPECT_TRUE(RevertDifferences(held.document, DifferencesOf(differences, "S", true), *reference, true));
    EXPECT_EQ(held.document.UndoText(), "Undo Revert S");
    held.document.Undo();
    EXPECT_TRUE(RevertDifferences(held.document, differences, *reference, true));
    EXPECT_EQ(held.document.UndoText(), "Undo Revert 3 Changes");
    EXPECT_EQ(held.Text(), reference->RenderText());
    EXPECT_EQ(held.document.History().Count(), 1u);
}

// Whole sections go back with their comments and header notes, after the nearest section before
// them that the document holds, or first (after the text before the first header) when none is.
TEST(RevertPlan, SectionsGoBackWithTheirCommentsAfterTheirPredecessorOrFirst) {
    const auto reference = StoreOf({"stray text", "; the first", "[First]", "a=1", "", "; the middle", "[Mid] ; note",
                                    "; about b", "b=2", "[Last]", "c=3", "; the end"});
    const auto document = StoreOf({"stray text", "[Added]", "z=1", "[Last]", "c=3", "; the end"});
    EXPECT_EQ(Listing(CompareStores(*document, *reference, true)),
              (std::vector<std::string>{"+[Added]", "-[First]", "-[Mid]"}));
    EXPECT_EQ(RevertAll(*document, *reference), reference->RenderText());
}

// A step that no longer fits fails the edit part-way; the steps made before it are taken back.
TEST(RevertPlan, ARevertThatNoLongerFitsChangesNothing) {
    const auto reference = StoreOf({"[A]", "k=1", "[B]", "m=1", "o=1"});
    const auto document = StoreOf({"[A]", "k=2", "[B]", "m=1", "n=1"});
    const std::vector<Difference> differences = CompareStores(*document, *reference, true);
    const RevertPlan plan = PlanRevert(differences, *document, *reference, true);
    HeldDocument held(*document);
    held.document.StoreForLoad(StoreOf::Document).EraseSection("B");  // changed behind the history
    const std::string before = held.Text();
    EXPECT_THROW(RevertDifferences(held.document, differences, *reference, true), IniError);
    {
        auto edit = held.document.BeginEdit("Revert", {}, true);
        EXPECT_THROW(AddRevertSteps(*edit, plan, true), IniError);
        EXPECT_FALSE(edit->Empty());  // [A] k was put back before [B] was missed
    }
    EXPECT_EQ(held.Text(), before);
    EXPECT_FALSE(held.document.CanUndo());

    const auto other = StoreOf({"[A]", "k=1"});
    EXPECT_THROW(PlanRevert(differences, *document, *other, true), IniError);
}

// Random edits of the bundled default copy, of every kind the editor makes; putting the
// reference back for all differences, at once, one at a time in any order, or entry by entry,
// gives the bytes of the formatted default copy.
class RandomEdits {
public:
    RandomEdits(const IniStore& reference, uint32_t seed) : m_reference(reference), m_random(seed) {}

    std::unique_ptr<IniStore> EditedCopy() {
        auto document = m_reference.CloneAs("");
        const size_t edits = 1 + Below(12);
        for (size_t i = 0; i < edits; ++i) Edit(*document);
        return document;
    }

    size_t Below(size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(m_random); }

private:
    void Edit(IniStore& document) {
        if (document.SectionCount() == 0) return;
        const std::string name(document.SectionAt(Below(document.SectionCount())).Name());
        const std::string fresh = std::to_string(++m_counter);
        StringList lines;
        document.ReadSectionValues(name, lines);
        switch (Below(6)) {
            case 0:
                if (const auto key = UniqueKey(lines)) document.WriteString(name, *key, "V" + fresh);
                break;
            case 1:
                if (const auto key = UniqueKey(lines)) document.DeleteKey(name, *key);
                break;
            case 2:
                document.AppendString(name, "Added" + fresh, fresh);
                break;
            case 3:
                document.EraseSection(name);
                break;
            case 4:
                document.WriteString("NEW" + fresh, "a", fresh);
                break;
            default:  // a duplicated entry stands before its original
                document.InsertSection(name, "D" + fresh + name, lines);
                break;
        }
    }

    // A key that only one line of the section carries, so that every edit of it shows.
    std::optional<std::string> UniqueKey(const StringList& lines) {
        if (lines.Empty()) return std::nullopt;
        const std::string key = lines.Name(Below(lines.Count()));
        size_t count = 0;
        for (size_t i = 0; i < lines.Count(); ++i) count += EqualsNoCase(lines.Name(i), key) ? 1 : 0;
        if (key.empty() || count != 1) return std::nullopt;
        return key;
    }

    const IniStore& m_reference;
    std::mt19937 m_random;
    size_t m_counter = 0;
};

TEST(RevertPlan, RevertingEveryDifferenceOfRandomEditsGivesTheReferencesBytes) {
    const bool caseSensitive = true;
    const IniStore reference(SourceFolder("samples/Rules.INI"), &caseSensitive);
    ASSERT_GT(reference.SectionCount(), 20u);
    const std::string formatted = reference.RenderText();

    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomEdits edits(reference, seed);
        const auto document = edits.EditedCopy();
        const size_t count = CompareStores(*document, reference, true).size();

        EXPECT_EQ(RevertAll(*document, reference), formatted);

        // One row at a time, the list compared again after each revert, as the window does; each
        // revert is one edit, and undoing them all gives the edited bytes back.
        HeldDocument oneByOne(*document);
        size_t reverts = 0;
        for (auto differences = CompareStores(oneByOne.Store(), reference, true);
             !differences.empty() && reverts <= count;
             differences = CompareStores(oneByOne.Store(), reference, true), ++reverts) {
            const Difference& chosen = differences[edits.Below(differences.size())];
            EXPECT_TRUE(RevertDifferences(oneByOne.document, {chosen}, reference, true));
        }
        EXPECT_EQ(reverts, count);
        EXPECT_EQ(oneByOne.Text(), formatted);
        EXPECT_EQ(oneByOne.document.History().Count(), count);
        while (oneByOne.document.CanUndo()) oneByOne.document.Undo();
        EXPECT_EQ(oneByOne.Text(), document->RenderText());

        HeldDocument perEntry(*document);
        size_t entries = 0;
        for (auto differences = CompareStores(perEntry.Store(), reference, true);
             !differences.empty() && entries <= count;
             differences = CompareStores(perEntry.Store(), reference, true), ++entries) {
            const std::string section(differences[edits.Below(differences.size())].Section());
            RevertDifferences(perEntry.document, DifferencesOf(differences, section, true), reference, true);
        }
        EXPECT_EQ(perEntry.Text(), formatted);
    }
}

}  // namespace
}  // namespace velmora::testing
