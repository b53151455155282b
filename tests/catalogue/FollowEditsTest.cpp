// SPDX-License-Identifier: GPL-3.0-or-later
// The views that follow edits: after every edit, undo and redo of a random sequence, the find index,
// the comparison and its groups brought up to date from the edit's news are exactly what a fresh
// build gives, and the rows the comparison says it changed turn the old list into the new one. The
// open document's models, which gather the news themselves, do the same.

#include <algorithm>
#include <chrono>
#include <iterator>
#include <random>

#include "WorkspaceFixture.h"
#include "core/document/Document.h"
#include "core/references/FindIndex.h"
#include "core/references/FollowedRows.h"
#include "core/references/References.h"
#include "core/compare/ChangesSource.h"
#include "core/compare/DifferenceCategories.h"
#include "core/compare/LiveComparison.h"
#include "core/catalogue/TouchedSections.h"
#include "core/session/OpenDocument.h"
#include "core/store/StoreTexts.h"
#include "core/store/TextCase.h"

namespace velmora::testing {
namespace {

constexpr const char* Definition =
    "[AllSections]\n"
    "Infantry=0,InfPage\n"
    "Weapons=1,WeapPage\n"
    "[InfPage]\nName=\nPrimary=weapon ~@Weapons@~\nCost=\nArmor=kind ~@Weapons, ArmorTypes@~\n"
    "[WeapPage]\nDamage=\n"
    "[Weapons]\n1=W0\n2=W1\n3=W2\n"
    "[ArmorTypes]\n1=heavy\n";

const std::vector<std::string> Keys = {"Name", "Primary", "Cost", "Damage", "Speed", "primary", "Armor"};
const std::vector<std::string> Values = {"1", "2", "W0", "W1, W2", "heavy ;note", "Rifle Man", "", "w1"};
// Lines without "=", holding what the searches look for: no search finds them.
const std::vector<std::string> PlainLines = {"Rifle Man heavy", "W1, W2 ;note", "u7 primary", "Speed arm 1"};

// Gathers the document's news as a view does.
class Gatherer : public DocumentObserver {
public:
    void ValueChanged(const std::string& code, const std::string& /*key*/) override { touched.Add(code); }
    void EntriesChanged() override { touched.AddEverything(); }
    TouchedSections touched;
};

class FollowEditsTest : public WorkspaceFixture {
protected:
    uint32_t Below(size_t bound) { return static_cast<uint32_t>(dice() % bound); }
    const std::string& Any(const std::vector<std::string>& texts) { return texts[Below(texts.size())]; }

    // About 80 sections (unless told how many entries): the category's own list, entries with a few
    // keys each, the odd key repeated in other letter case, the odd section repeated by name and the
    // odd plain line, with or without comments around it.
    std::string GeneratedDocument(int entries) {
        std::string text = "[Infantry]\n";
        for (int i = 0; i < 30; ++i) text += std::to_string(i + 1) + "=U" + std::to_string(i) + "\n";
        for (int i = 0; i < entries; ++i) {
            text += "; entry " + std::to_string(i) + "\n[U" + std::to_string(i % 70) + "]\n";
            for (uint32_t k = Below(6); k > 0; --k) {
                const uint32_t plain = Below(12);
                if (plain == 0) text += Any(PlainLines) + "\n";
                if (plain == 1) text += "; before\n" + Any(PlainLines) + "\n;after\n\n";
                text += Any(Keys) + "=" + Any(Values) + "\n";
            }
        }
        // ArmorTypes holds values that items are checked against.
        return text + "[W0]\nDamage=5\n[W1]\nDamage=7\n[ArmorTypes]\n1=light\n";
    }

    // The document with a few values changed, a few sections left out and one it lacks.
    std::unique_ptr<IniStore> Reference() {
        const IniStore& document = workspace.Doc().Store();
        StringList lines;
        for (size_t s = 0; s < document.SectionCount(); ++s) {
            if (Below(20) == 0) continue;
            const IniSection& section = document.SectionAt(s);
            lines.Add("[" + std::string(section.Name()) + "]");
            for (size_t l = 0; l < section.Count(); ++l) lines.Add(Below(8) == 0 ? Any(Keys) + "=old" : section.Strings(l));
        }
        lines.Add("[GONE]");
        lines.Add("Cost=1");
        auto reference = std::make_unique<IniStore>(std::string());
        reference->SetStrings(lines);
        return reference;
    }

    // Sections repeated by name are no question here.
    void Open(int entries = 75) { OpenText(GeneratedDocument(entries)); }
    void OpenText(const std::string& document) {
        Write("Velmedit.ini", "[GeneralSetup]\nCheckDoubleSection=0\n[FilesToEdit]\nRules.ini=1\n");
        Write("Rules.001", Definition);
        // The default copy, which the document is read against and shares most of its text with:
        // other line ends, a line left out now and then, and another value now and then.
        std::string defaults;
        size_t n = 0;
        for (size_t at = 0, end; at < document.size(); at = end + 1) {
            end = document.find('\n', at);
            const std::string line = document.substr(at, end - at);
            if (++n % 9 == 0) continue;
            defaults += line + (n % 7 == 0 && line.find('=') != std::string::npos ? "0\r\n" : "\r\n");
        }
        Write("Rules.ini", defaults);
        Start();
        Write("doc.ini", document);
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
        EXPECT_NE(workspace.Doc().Store().BorrowedText(), nullptr);
    }

    // One random step: mostly value edits of one entry, now and then one of a list, a new or
    // removed section, an undo or a redo.
    void RandomStep() {
        Document& document = workspace.Doc();
        const IniStore& store = workspace.Doc().Store();
        const uint32_t kind = Below(100);
        if (kind < 15 && document.CanUndo()) return document.Undo();
        if (kind < 25 && document.CanRedo()) return document.Redo();
        const auto section = Below(store.SectionCount());
        const std::string code(store.SectionAt(section).Name());
        if (kind < 55) {
            document.SetValue(Below(30) == 0 ? "NEW" + std::to_string(kind) : code, Any(Keys), Any(Values));
            return;
        }
        auto edit = document.BeginEdit("Edit", {{}, code, {}}, false);
        const size_t lines = store.SectionAt(section).Count();
        if (kind < 70 && lines > 0)
            edit->RemoveLine(StoreOf::Document, section, Below(lines));
        else if (kind < 80)
            edit->InsertLine(StoreOf::Document, section, Below(lines + 1), Any(Keys) + "=" + Any(Values));
        else if (kind < 85)
            edit->InsertLine(StoreOf::Document, section, Below(lines + 1), Any(PlainLines));
        else if (kind < 90)
            edit->ReplaceLine(StoreOf::Document, 0, 0, "1=U" + std::to_string(Below(75)));  // the list
        else if (kind < 95)
            edit->InsertSection(StoreOf::Document, section, "U" + std::to_string(Below(75)));
        else
            edit->RemoveSection(StoreOf::Document, section);
        document.Commit(std::move(edit));
    }

    std::mt19937 dice{20261208};
};

// Rows of `before` replaced as `changed` says, by the rows of `after`.
std::vector<Difference> Replayed(std::vector<Difference> before, const std::vector<Difference>& after,
                                 const std::vector<ChangedRows>& changed) {
    for (const ChangedRows& rows : changed) {
        const auto at = before.begin() + static_cast<std::ptrdiff_t>(rows.First);
        before.erase(at, at + static_cast<std::ptrdiff_t>(rows.Removed));
        if (rows.First + rows.Inserted > after.size()) return {};
        const auto from = after.begin() + static_cast<std::ptrdiff_t>(rows.First);
        before.insert(before.begin() + static_cast<std::ptrdiff_t>(rows.First), from,
                      from + static_cast<std::ptrdiff_t>(rows.Inserted));
    }
    return before;
}

TEST_F(FollowEditsTest, UpdatedFromTheNewsEqualsAFreshBuildAfterEveryStep) {
    Open();
    const std::unique_ptr<IniStore> reference = Reference();
    const bool caseSensitive = globals.CaseSensitive;

    Gatherer news;
    workspace.Doc().AddObserver(news);
    FindIndex index(workspace);
    LiveComparison comparison(workspace.Doc().Store(), *reference, caseSensitive);
    const IniStore& store = workspace.Doc().Store();
    const auto allUsages = [&] { return FindUsages(store, "W1", caseSensitive); };
    const auto usagesIn = [&](const std::vector<size_t>& sections) {
        return std::optional(FindUsagesIn(store, "W1", caseSensitive, sections));
    };
    FollowedRows<Usage> usages;
    usages.Renew(allUsages);
    auto check = std::make_unique<ReferenceCheck>(workspace);
    ASSERT_FALSE(check->DanglingItems().empty());
    auto categories = std::make_unique<DifferenceCategories>(workspace, *reference);
    std::vector<DifferenceCategories::Group> groups = categories->GroupsOf(comparison.Differences());
    int partial = 0;
    for (int step = 0; step < 500; ++step) {
        RandomStep();
        const std::vector<Difference> before = comparison.Differences();
        const std::optional<std::vector<size_t>> sections = news.touched.SectionsToRead(workspace);
        index.Update(workspace, news.touched);
        const std::optional<std::vector<ChangedRows>> changed = comparison.Update(workspace.Doc().Store(), sections);
        usages.Follow(sections, allUsages, usagesIn);
        if (!sections || !check->Follow(*sections)) check = std::make_unique<ReferenceCheck>(workspace);
        news.touched.Clear();

        ASSERT_TRUE(index == FindIndex(workspace)) << "step " << step;
        ASSERT_EQ(usages.Rows(), allUsages()) << "step " << step;
        ASSERT_EQ(check->DanglingItems(), FindDanglingItems(workspace)) << "step " << step;
        const std::vector<Difference> fresh = CompareStores(workspace.Doc().Store(), *reference, caseSensitive);
        ASSERT_EQ(comparison.Differences(), fresh) << "step " << step;
        if (changed) {
            ++partial;
            ASSERT_EQ(Replayed(before, fresh, *changed), fresh) << "step " << step;
            categories->FollowGroups(groups, fresh, *changed);
        } else {
            categories = std::make_unique<DifferenceCategories>(workspace, *reference);
            groups = categories->GroupsOf(fresh);
        }
        ASSERT_EQ(groups, DifferenceCategories(workspace, *reference).GroupsOf(fresh)) << "step " << step;
    }
    workspace.Doc().RemoveObserver(news);
    // Most steps touch one entry, and are followed without a rebuild.
    EXPECT_GT(partial, 250);
}

// The rows holding `text` as a plain scan of the document finds them, field by field.
std::vector<FindIndex::Row> PlainScan(const IniStore& store, std::string_view text, bool wholeWords) {
    const std::string needle = FoldCase(text);
    const auto holds = [&](std::string_view field) {
        const std::string folded = FoldCase(field);
        for (size_t at = folded.find(needle); at != std::string::npos; at = folded.find(needle, at + 1)) {
            const size_t after = at + needle.size();
            if (!wholeWords || ((at == 0 || !IsWordByte(static_cast<unsigned char>(folded[at - 1]))) &&
                                (after == folded.size() || !IsWordByte(static_cast<unsigned char>(folded[after])))))
                return true;
        }
        return false;
    };
    std::vector<FindIndex::Row> rows;
    for (uint32_t s = 0; s < store.SectionCount(); ++s) {
        const IniSection& section = store.SectionAt(s);
        if (holds(section.Name())) rows.push_back({s, 0});
        for (uint32_t l = 0; l < section.Count(); ++l) {
            std::string_view key;
            if (!section.LineAt(l).KeyName(key)) continue;
            if (holds(key) || holds(IniStore::StripCommentView(section.LineAt(l).ValueText())))
                rows.push_back({s, l + 1});
        }
    }
    return rows;
}

// A document of some 900 sections, kept by the index in several blocks: edits spread over them are
// spliced in as a fresh build lays them out, and a search, whole, a block per slice or of a few
// sections, finds what a plain scan finds, needles of one byte and of many, within words or whole,
// in codes, values and key names (those the document had and those only edits brought), never in
// a plain line.
TEST_F(FollowEditsTest, AnIndexOfManyBlocksFindsWhatAPlainScanFindsAfterEdits) {
    Open(900);
    Gatherer news;
    workspace.Doc().AddObserver(news);
    FindIndex index(workspace);
    const std::vector<std::string> needles = {"u", "W1", "w1, w2", "rifle man", "HEAVY", "1",
                                              "=", "primary", "u7", "spee", "arm"};
    for (int step = 0; step < 120; ++step) {
        RandomStep();
        index.Update(workspace, news.touched);
        news.touched.Clear();
        ASSERT_TRUE(index == FindIndex(workspace)) << "step " << step;
        if (step % 20 != 0) continue;
        // A few sections, as the window searches those an edit touched.
        const uint32_t last = static_cast<uint32_t>(workspace.Doc().Store().SectionCount()) - 1;
        std::vector<size_t> touched = {0, Below(last), Below(last), last};
        std::sort(touched.begin(), touched.end());
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        for (const std::string& needle : needles)
            for (const bool wholeWords : {false, true}) {
                const std::vector<FindIndex::Row> expected = PlainScan(workspace.Doc().Store(), needle, wholeWords);
                ASSERT_TRUE(index.Find(needle, wholeWords) == expected) << needle << " step " << step;
                FindIndex::Search sliced(index, needle, wholeWords);
                int slices = 1;
                while (!sliced.Continue(std::chrono::microseconds(0))) ++slices;
                EXPECT_TRUE(sliced.Take() == expected) << needle << " step " << step;
                EXPECT_GT(slices, 2);
                std::vector<FindIndex::Row> inTouched;
                std::copy_if(
                    expected.begin(), expected.end(), std::back_inserter(inTouched), [&](FindIndex::Row row) {
                        return std::binary_search(touched.begin(), touched.end(), size_t{row.section});
                    });
                EXPECT_TRUE(index.FindIn(touched, needle, wholeWords) == inTouched)
                    << needle << " step " << step;
            }
    }
    workspace.Doc().RemoveObserver(news);
}

// Each row of the store with the text it is to show: its code, or "key=value" as lookups see them
// ("=" for a plain line); and how many of them a search can find.
struct RowsShown {
    std::vector<std::pair<FindIndex::Row, std::string>> rows;
    size_t searchable = 0;
};

RowsShown RowsToShow(const IniStore& store) {
    RowsShown shown;
    for (uint32_t s = 0; s < store.SectionCount(); ++s) {
        const IniSection& section = store.SectionAt(s);
        shown.rows.push_back({{s, 0}, std::string(section.Name())});
        ++shown.searchable;
        for (uint32_t l = 0; l < section.Count(); ++l) {
            std::string_view key;
            const bool keyLine = section.LineAt(l).KeyName(key);
            const std::string_view value = IniStore::StripCommentView(section.LineAt(l).ValueText());
            shown.rows.push_back({{s, l + 1}, std::string(key) + "=" + std::string(value)});
            shown.searchable += keyLine ? 1 : 0;
        }
    }
    return shown;
}

::testing::AssertionResult Shows(const FindIndex& index, const RowsShown& expected) {
    if (index.RowCount() != expected.searchable)
        return ::testing::AssertionFailure() << index.RowCount() << " rows";
    for (const auto& [row, text] : expected.rows) {
        const std::string shown = index.IsCodeRow(row) ? std::string(index.Code(row))
                                                       : std::string(index.Key(row)) + "=" + std::string(index.Value(row));
        if (shown != text) return ::testing::AssertionFailure() << "shows " << shown << " for " << text;
    }
    return ::testing::AssertionSuccess();
}

// A line without "=" holds no key and no value: no search finds it, by its text or by a key, and the
// lines after it keep their places, the entry's name among them, before and after an edit.
TEST_F(FollowEditsTest, PlainLinesAreNeverFoundAndKeepTheLinesAfterThemInPlace) {
    OpenText(
        "[Infantry]\n1=U1\n[U1]\nRifle Man heavy\n; a note\nName=Rifle Man\nPrimary W1 rifle\n\n"
        "Primary=W1\n");
    FindIndex index(workspace);
    const auto found = [&index](std::string_view text, bool wholeWords) {
        std::vector<std::string> rows;
        for (const FindIndex::Row row : index.Find(text, wholeWords)) {
            const LinePlace place = index.Place(row);
            rows.push_back(std::to_string(place.Section) + ":" + std::to_string(place.Line) + " " +
                           std::string(index.Name(row)) + "|" + std::string(index.Key(row)) + "=" +
                           std::string(index.Value(row)));
        }
        return rows;
    };
    using Rows = std::vector<std::string>;
    EXPECT_EQ(found("rifle", false), Rows{"1:1 Rifle Man|Name=Rifle Man"});
    EXPECT_EQ(found("rifle", true), Rows{"1:1 Rifle Man|Name=Rifle Man"});
    EXPECT_EQ(found("primary", false), Rows{"1:3 Rifle Man|Primary=W1"});
    EXPECT_EQ(found("W1", true), Rows{"1:3 Rifle Man|Primary=W1"});
    EXPECT_EQ(found("heavy", false), Rows{});
    EXPECT_EQ(index.RowCount(), 5U);  // two codes, the list's line and two key lines

    Gatherer news;
    workspace.Doc().AddObserver(news);
    auto edit = workspace.Doc().BeginEdit("Edit", {{}, "U1", {}}, false);
    edit->ReplaceLine(StoreOf::Document, 1, 0, "Armor=heavy");
    edit->InsertLine(StoreOf::Document, 1, 1, "heavy");
    workspace.Doc().Commit(std::move(edit));
    workspace.Doc().RemoveObserver(news);
    index.Update(workspace, news.touched);
    EXPECT_TRUE(index == FindIndex(workspace));
    EXPECT_EQ(found("heavy", false), Rows{"1:0 Rifle Man|Armor=heavy"});
    EXPECT_EQ(found("W1", true), Rows{"1:4 Rifle Man|Primary=W1"});
    EXPECT_EQ(index.RowCount(), 6U);
}

// Rows show the lines as read from the document's loaded text and the lines edits wrote from the
// index's own, each as lookups see it, through edits, undos and splices. An index read a slice at a
// time is the index read at once, and an index keeps the loaded text it shares, so that it still
// shows what it was read from after the document was loaded again.
TEST_F(FollowEditsTest, RowsShowTheDocumentsLinesAndAnIndexOutlivesAReload) {
    Open(300);
    Gatherer news;
    workspace.Doc().AddObserver(news);
    FindIndex index(workspace, FindIndex::Sliced{});
    while (!index.Continue(7)) {
    }
    index.Seal();
    ASSERT_TRUE(index == FindIndex(workspace));
    for (int step = 0; step < 400; ++step) {
        RandomStep();
        index.Update(workspace, news.touched);
        news.touched.Clear();
        ASSERT_TRUE(Shows(index, RowsToShow(workspace.Doc().Store()))) << "step " << step;
    }
    workspace.Doc().RemoveObserver(news);

    const RowsShown copied = RowsToShow(workspace.Doc().Store());
    const FindIndex read(workspace);
    Write("doc.ini", GeneratedDocument(20));
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    EXPECT_TRUE(Shows(read, copied));
}

// The open document's models, each brought up to the edits as its window brings it (the comparison
// section by section when it can be, and compared afresh when not), are what fresh builds give.
TEST_F(FollowEditsTest, TheOpenDocumentsModelsFollowEveryStep) {
    Open();
    workspace.UseDefaultCopy(Reference());
    const bool caseSensitive = globals.CaseSensitive;
    OpenDocument open(workspace);
    DocumentComparison& comparison = open.Comparison();
    open.TakeIndex(std::make_unique<FindIndex>(workspace));
    comparison.CompareNow();
    open.FindUsagesOf("W1");
    open.CheckReferences();
    int followed = 0;
    for (int step = 0; step < 300; ++step) {
        RandomStep();
        open.FollowIndex();
        open.FollowUsages();
        open.FollowReferences();
        if (comparison.HowToFollow() == DocumentComparison::FollowUp::Sections) {
            comparison.FollowEdits();
            ++followed;
        } else {
            comparison.CompareNow();
        }

        ASSERT_TRUE(*open.Index() == FindIndex(workspace)) << "step " << step;
        ASSERT_EQ(open.Usages(), FindUsages(workspace.Doc().Store(), "W1", caseSensitive)) << "step " << step;
        ASSERT_EQ(open.References()->DanglingItems(), FindDanglingItems(workspace)) << "step " << step;
        const IniStore& reference = *workspace.DefaultIni();
        const std::vector<Difference> fresh =
            CompareStores(workspace.Doc().Store(), reference, caseSensitive);
        ASSERT_EQ(comparison.Differences(), fresh) << "step " << step;
        ASSERT_EQ(comparison.Groups(), DifferenceCategories(workspace, reference).GroupsOf(fresh))
            << "step " << step;
    }
    EXPECT_GT(followed, 150);
}

// A comparison of a copy taken from the open document is taken up, a few edits later, caught up
// with them, unless they reshaped the document; taken up, it equals a fresh comparison.
TEST_F(FollowEditsTest, TheOpenDocumentTakesUpACopiesComparisonWhenTheEditsAllow) {
    Open();
    workspace.UseDefaultCopy(Reference());
    OpenDocument open(workspace);
    DocumentComparison& comparison = open.Comparison();
    int takenUp = 0;
    for (int round = 0; round < 80; ++round) {
        const std::shared_ptr<ChangesSource> copy = comparison.CopyToCompare();
        while (!copy->Continue(1 + Below(50))) {
        }
        for (uint32_t step = Below(4); step > 0; --step) RandomStep();
        if (!comparison.TakeUp(copy->Compare())) {
            ASSERT_NE(comparison.HowToFollow(), DocumentComparison::FollowUp::Sections) << "round " << round;
            continue;
        }
        ASSERT_EQ(comparison.Differences(),
                  CompareStores(workspace.Doc().Store(), *workspace.DefaultIni(), globals.CaseSensitive))
            << "round " << round;
        ++takenUp;
    }
    EXPECT_GT(takenUp, 25);
}

// A comparison made of copies of the stores (the document's copied in slices of a few lines), taken
// up a few edits later and caught up with the sections those edits touched, equals a fresh
// comparison; one the edits reshaped is not taken up.
TEST_F(FollowEditsTest, ACopiesComparisonCaughtUpWithLaterEditsEqualsAFreshOne) {
    Open();
    const std::unique_ptr<IniStore> reference = Reference();
    const bool caseSensitive = globals.CaseSensitive;
    // The copies the Changes window compares, made at once, compare as the stores do.
    EXPECT_EQ(ChangesSource(workspace, *reference).Compare().differences.differences,
              CompareStores(workspace.Doc().Store(), *reference, caseSensitive));
    int takenUp = 0;
    for (int round = 0; round < 120; ++round) {
        StoreTexts documentCopy(workspace.Doc().Store(), StoreTexts::Sliced{});
        while (!documentCopy.Continue(1 + Below(7))) ASSERT_FALSE(documentCopy.Done());
        const StoreTexts referenceCopy(*reference);
        ComparedCopies compared = CompareCopies(documentCopy, referenceCopy, caseSensitive);
        ASSERT_EQ(compared.differences, CompareStores(workspace.Doc().Store(), *reference, caseSensitive))
            << "round " << round;
        Gatherer news;
        workspace.Doc().AddObserver(news);
        for (uint32_t step = Below(4); step > 0; --step) RandomStep();
        workspace.Doc().RemoveObserver(news);

        const std::optional<std::vector<size_t>> sections = news.touched.SectionsToRead(workspace);
        if (!sections || !compared.Of(workspace.Doc().Store(), *reference)) continue;  // compared afresh
        LiveComparison comparison(workspace.Doc().Store(), *reference, caseSensitive, std::move(compared));
        comparison.Update(workspace.Doc().Store(), sections);
        ASSERT_EQ(comparison.Differences(), CompareStores(workspace.Doc().Store(), *reference, caseSensitive))
            << "round " << round;
        ++takenUp;
    }
    EXPECT_GT(takenUp, 40);
}

// A comparison of copies is not taken up once the document's sections were reshaped, though their
// count stayed: one went and another came, or one was renamed. Taken up or not, it agrees with a
// fresh comparison.
TEST_F(FollowEditsTest, ACopiesComparisonOfAReshapedDocumentIsMadeAfresh) {
    Open();
    const std::unique_ptr<IniStore> reference = Reference();
    const bool caseSensitive = globals.CaseSensitive;
    Document& document = workspace.Doc();
    const auto copies = [&] {
        return CompareCopies(StoreTexts(document.Store()), StoreTexts(*reference), caseSensitive);
    };
    const auto takenUp = [&](ComparedCopies compared) {
        return LiveComparison(document.Store(), *reference, caseSensitive, std::move(compared)).Differences();
    };
    const auto reshape = [&](size_t removed, size_t inserted, const std::string& name) {
        auto edit = document.BeginEdit("Reshape", {}, true);
        edit->RemoveSection(StoreOf::Document, removed);
        edit->InsertSection(StoreOf::Document, inserted, name);
        document.Commit(std::move(edit));
    };

    ComparedCopies compared = copies();
    reshape(3, 10, "FRESH");
    EXPECT_FALSE(compared.Of(document.Store(), *reference));
    EXPECT_EQ(takenUp(std::move(compared)), CompareStores(document.Store(), *reference, caseSensitive));

    compared = copies();
    reshape(7, 7, "RENAMED");
    EXPECT_FALSE(compared.Of(document.Store(), *reference));
    EXPECT_EQ(takenUp(std::move(compared)), CompareStores(document.Store(), *reference, caseSensitive));

    // Values edited since the copy do not reshape it.
    compared = copies();
    document.SetValue(std::string(document.Store().SectionAt(5).Name()), "Cost", "777");
    EXPECT_TRUE(compared.Of(document.Store(), *reference));
}

// A touched list changes what the categories hold, and so everything; so do entries that came or
// went, and edits of more than a tenth of the sections.
TEST_F(FollowEditsTest, ListsEntriesAndWideEditsAreReadWhole) {
    Open();

    TouchedSections touched;
    touched.Add("U65");
    touched.Add("U3");  // two sections of that name
    const IniStore& store = workspace.Doc().Store();
    const std::optional<std::vector<size_t>> sections = touched.SectionsToRead(workspace);
    ASSERT_TRUE(sections);
    ASSERT_EQ(sections->size(), 3u);
    EXPECT_EQ(store.SectionAt((*sections)[0]).Name(), "U3");
    EXPECT_EQ(store.SectionAt((*sections)[1]).Name(), "U65");
    EXPECT_EQ(store.SectionAt((*sections)[2]).Name(), "U3");

    // A section that holds values items are checked against decides the items of every section.
    ReferenceCheck check(workspace);
    EXPECT_TRUE(check.Follow(*sections));
    EXPECT_FALSE(check.Follow({static_cast<size_t>(store.IndexOfSection("ArmorTypes"))}));

    touched.Add("Infantry");
    EXPECT_FALSE(touched.SectionsToRead(workspace));
    touched.Clear();
    for (int i = 0; i < 9; ++i) touched.Add("U" + std::to_string(i));
    EXPECT_FALSE(touched.SectionsToRead(workspace));
    touched.Clear();
    touched.AddEverything();
    EXPECT_FALSE(touched.SectionsToRead(workspace));
}

}  // namespace
}  // namespace velmora::testing
