// SPDX-License-Identifier: GPL-3.0-or-later
// A document that holds the texts it has in common with the default copy in the default copy's
// loaded text reads, writes, edits and is copied exactly as the same file loaded on its own, and
// outlives the default copy.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"
#include "core/store/StoreTexts.h"

namespace velmora::test {
namespace {

// The default copy, with CR LF line ends.
const std::string kReference = CrLf({"; rules", "[General]", "Name=Rules", "Speed=5", "", "; tanks",
                                     "[Tank]", "; the name", "Name=Tank", "Cost=700", "Armor=heavy ; note",
                                     "Plain line", "[Gone]", "Cost=1", "; the end"});
// The document: a changed value, a line added before others, a comment changed, a section the
// default copy lacks, a section twice, other line ends and text before the first header.
const std::string kDocument =
    "before=1\n; rules\n[General]\nName=Rules\nAdded=1\nSpeed=5\n\n; tanks!\n[Tank]\n; the name\nName=Tank\n"
    "Cost=900\nArmor=heavy ; note\nPlain line\n[New]\nName=Tank\n[Tank]\nCost=700\n; the end\n";

std::string LinesOf(const StoreTexts& texts) {
    std::string all;
    for (size_t s = 0; s < texts.SectionCount(); ++s) {
        all.append(texts.SectionAt(s).Name()).append("\n");
        for (size_t l = 0; l < texts.SectionAt(s).Count(); ++l)
            all.append(texts.SectionAt(s).LineAt(l).Raw()).append(texts.SectionAt(s).LineAt(l).IsAsRead() ? "\n" : "*\n");
    }
    return all;
}

bool Within(const std::string& text, std::string_view view) {
    return view.data() >= text.data() && view.data() + view.size() <= text.data() + text.size();
}

class SharedTextTest : public StoreTest {};

TEST_F(SharedTextTest, ADocumentSharingTheDefaultCopysTextIsTheSameDocument) {
    auto reference = Load(kReference, nullptr, "Rules.ini");
    auto alone = Load(kDocument, nullptr, "alone.ini");
    auto document = Load(kDocument, nullptr, "doc.ini");
    document->ShareTextWith(*reference);

    // Only what the default copy does not hold at the same place is kept apart.
    const std::shared_ptr<const std::string> referenceText = reference->LoadedText();
    ASSERT_EQ(document->BorrowedText(), referenceText);
    EXPECT_LT(document->LoadedText()->size(), kDocument.size() / 2);
    const IniSection& tank = document->SectionAt(1);
    EXPECT_TRUE(Within(*referenceText, tank.Header()));
    EXPECT_TRUE(Within(*referenceText, tank.Name()));
    EXPECT_TRUE(Within(*referenceText, tank.LineAt(0).Raw()));         // Name=Tank, under its comment
    EXPECT_TRUE(Within(*referenceText, tank.CommentsOf(0)->Text()));     // "; the name"
    EXPECT_FALSE(Within(*referenceText, tank.LineAt(1).Raw()));        // Cost=900
    EXPECT_TRUE(Within(*referenceText, document->SectionAt(0).LineAt(2).Raw()));  // Speed=5, one line on
    EXPECT_FALSE(Within(*referenceText, tank.LeadingComments()->Text()));           // "", "; tanks!"

    // It reads, writes and copies as the file loaded on its own; the copy for other threads reads
    // the same lines.
    EXPECT_EQ(document->RenderText(), alone->RenderText());
    EXPECT_EQ(LinesOf(StoreTexts(*document)), LinesOf(StoreTexts(*alone)));
    // A copy shares the texts too, and outlives the store and the default copy.
    std::unique_ptr<IniStore> copy = document->CloneAs("copy.ini");
    EXPECT_EQ(copy->BorrowedText(), referenceText);
    const std::string asRead = alone->RenderText();

    // Without the default copy, and after edits of shared lines, the same as the file alone.
    reference.reset();
    for (IniStore* store : {document.get(), alone.get()}) {
        store->WriteString("Tank", "Name", "Big Tank");
        store->WriteString("General", "Speed", "6");
        store->DuplicateSection("Tank", "Tank2");
        store->EraseSection("Gone");
    }
    EXPECT_EQ(document->RenderText(), alone->RenderText());
    EXPECT_EQ(document->ReadString("Tank2", "Armor", ""), "heavy");
    document.reset();
    EXPECT_EQ(copy->RenderText(), asRead);
}

TEST_F(SharedTextTest, OnlyAStoreJustLoadedSharesItsText) {
    auto reference = Load(kReference, nullptr, "Rules.ini");
    auto edited = Load(kReference, nullptr, "doc.ini");
    edited->WriteString("Tank", "Cost", "1");
    const std::shared_ptr<const std::string> loaded = edited->LoadedText();
    edited->ShareTextWith(*reference);
    EXPECT_EQ(edited->LoadedText(), loaded);
    EXPECT_EQ(edited->BorrowedText(), nullptr);

    // A store shares nothing with itself, and a reference with nothing loaded lends nothing.
    reference->ShareTextWith(*reference);
    EXPECT_EQ(reference->BorrowedText(), nullptr);
    auto document = Load(kDocument, nullptr, "doc2.ini");
    document->ShareTextWith(IniStore(std::string()));
    EXPECT_EQ(document->BorrowedText(), nullptr);
    EXPECT_EQ(document->LoadedText()->size(), kDocument.size());
}

}  // namespace
}  // namespace velmora::test
