// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the document's edits on the generated 100,000-line document, opened as the editor
// opens it: a value commit (goal: under 1 ms), the undo and the redo of a delete, each with the
// first lookup after it, which rebuilds the section index (goal: under 5 ms), and the memory the
// history takes for 10,000 edits (goal: under 50 MB).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "core/entries/EntryOperations.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"

namespace velmora::bench {
namespace {

// The generated document opened in a started editor; each benchmark edits it and undoes its
// edits, so the next one finds it as read.
struct EditedDocument {
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};

    static EditedDocument& Get() {
        static const std::unique_ptr<EditedDocument> open(new EditedDocument);
        return *open;
    }

    void UndoAll() {
        while (workspace.Doc().CanUndo()) workspace.Doc().Undo();
        workspace.Doc().Restart(false);
    }

private:
    EditedDocument() {
        const GeneratedInstallation& installation = GeneratedInstallation::Get();
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
    }
};

void BM_ValueCommit(benchmark::State& state) {
    EditedDocument& open = EditedDocument::Get();
    const auto& keys = GeneratedInstallation::Get().generator.ExistingKeys();
    size_t next = 0;
    for (auto _ : state) {
        const auto& [section, key] = keys[next++ % keys.size()];
        benchmark::DoNotOptimize(open.workspace.Doc().SetValue(section, key, "committed " + std::to_string(next)));
    }
    open.UndoAll();  // after the timed loop
}
BENCHMARK(BM_ValueCommit)->Unit(benchmark::kMicrosecond);

// A delete of an entry in the middle of the document, listed in a list section of its own.
struct MiddleEntry {
    std::string category;
    std::string code;
};

MiddleEntry EntryToDelete() {
    const GeneratedCategory& category = GeneratedInstallation::Get().generator.Categories()[0];
    return {category.name, category.members[category.members.size() / 2]};
}

void BM_UndoRedoDelete(benchmark::State& state) {
    EditedDocument& open = EditedDocument::Get();
    Document& document = open.workspace.Doc();
    const MiddleEntry entry = EntryToDelete();
    EntryOperations(open.workspace, entry.category, open.workspace.CategoryKinds()[0])
        .DeleteEntry(entry.code);
    const bool undo = state.range(0) == 0;
    for (auto _ : state) {
        if (undo) {
            document.Undo();
            benchmark::DoNotOptimize(document.Store().IndexOfSection(entry.code));
            state.PauseTiming();
            document.Redo();
            state.ResumeTiming();
        } else {
            state.PauseTiming();
            document.Undo();
            benchmark::DoNotOptimize(document.Store().IndexOfSection(entry.code));
            state.ResumeTiming();
            document.Redo();
            benchmark::DoNotOptimize(document.Store().IndexOfSection(entry.code));
        }
    }
    state.SetLabel(undo ? "undo" : "redo");
    open.UndoAll();
}
BENCHMARK(BM_UndoRedoDelete)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The heap the history takes: 10,000 edits, one in ten a duplicate of an entry, the others value
// commits, measured with everything they put into the stores.
void BM_HistoryOfTenThousandEdits(benchmark::State& state) {
#if defined(__GLIBC__)
    EditedDocument& open = EditedDocument::Get();
    const auto& keys = GeneratedInstallation::Get().generator.ExistingKeys();
    const MiddleEntry entry = EntryToDelete();
    EntryOperations duplicates(open.workspace, entry.category, open.workspace.CategoryKinds()[0]);
    double megabytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        for (size_t i = 0; i < 10000; ++i) {
            if (i % 10 == 0) {
                duplicates.DuplicateOrChangeCode(entry.code, "COPY" + std::to_string(i), std::string("Copy"),
                                                 true);
            } else {
                const auto& [section, key] = keys[(i * 7919) % keys.size()];
                open.workspace.Doc().SetValue(section, key, "edited value " + std::to_string(i));
            }
        }
        megabytes = static_cast<double>(mallinfo2().uordblks - before) / 1e6;
        state.PauseTiming();
        open.UndoAll();
        state.ResumeTiming();
    }
    state.counters["MB"] = megabytes;
#else
    for (auto _ : state) {
    }
    state.SkipWithError("heap use is measured with glibc only");
#endif
}
BENCHMARK(BM_HistoryOfTenThousandEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
