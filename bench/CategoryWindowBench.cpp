// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the category window on a big game, on the offscreen platform: opening the window of a
// category of 3,000 entries of the generated 100,000-line document, with pictures for a tenth of
// the entries, until it is shown and painted, without layers and with a game mode and a 2 MB map
// over the document that override values of the category's entries; and switching from one entry
// to another in it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <unordered_set>
#include <string>

#include "core/boxes/FirstButtonBoxes.h"
#include "RulesGenerator.h"
#include "gui/category/CategoryWindow.h"
#include "core/settings/Globals.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "core/session/DocumentLayers.h"
#include "core/store/IniStore.h"
#include "support/BitmapFiles.h"

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

constexpr const char* BigCategory = "BenchUnits";
constexpr size_t BigCategorySize = 3000;

std::string EncodedBitmap(QSize size, Qt::GlobalColor colour) {
    return testing::BitmapFile(size, colour, QImage::Format_RGB888);
}

// A program folder with the generated document, its definition file with one more category of
// 3,000 entries drawn from all categories (kind 1, the first category's pages), its default copy,
// the background pictures and a picture for every tenth entry (an icon too for every twentieth).
struct Installation {
    RulesGenerator generator;
    fs::path folder;
    std::vector<std::string> bigMembers;

    Installation() {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("velmora-category-window-bench-" + std::to_string(seed()));
        fs::create_directories(folder / "Bitmap");

        // Members the default copy holds too: a list line naming no section of the untitled document
        // made from it would be dropped at start-up.
        RulesGenerator::WriteFile(folder / "Rules.INI", generator.DefaultText());
        const IniStore defaults((folder / "Rules.INI").string());
        for (const GeneratedCategory& category : generator.Categories())
            for (const std::string& code : category.members)
                if (bigMembers.size() < BigCategorySize && defaults.SectionExists(code))
                    bigMembers.push_back(code);

        std::string definition = generator.DefinitionText();
        std::string line = std::string(BigCategory) + "=1";
        for (const std::string& page : generator.Categories().front().pages) line += "," + page;
        definition.insert(definition.find("[AllSections]\r\n") + 15, line + "\r\n");
        definition += "\r\n[" + std::string(BigCategory) + "]\r\n";
        for (size_t i = 0; i < bigMembers.size(); ++i)
            definition += std::to_string(i + 1) + "=" + bigMembers[i] + "\r\n";

        RulesGenerator::WriteFile(folder / "Mod.ini", generator.RulesText());
        RulesGenerator::WriteFile(folder / "Rules.001", definition);
        RulesGenerator::WriteFile(folder / "Velmedit.ini",
                                  "[GeneralSetup]\r\nBitmapDir=Bitmap/\r\nUpdateUnknown001=0\r\n"
                                  "CheckDoubleSection=0\r\n\r\n[FilesToEdit]\r\nRules.ini=1\r\n");

        RulesGenerator::WriteFile(folder / "Bitmap" / "Bitmap1.bmp", EncodedBitmap({120, 80}, Qt::darkBlue));
        RulesGenerator::WriteFile(folder / "Bitmap" / "Bitmap2.bmp", EncodedBitmap({64, 64}, Qt::darkGray));
        const std::string picture = EncodedBitmap({107, 61}, Qt::red);
        const std::string icon = EncodedBitmap({60, 48}, Qt::green);
        for (size_t i = 0; i < bigMembers.size(); i += 10) {
            RulesGenerator::WriteFile(folder / "Bitmap" / (bigMembers[i] + ".bmp"), picture);
            if (i % 20 == 0)
                RulesGenerator::WriteFile(folder / "Bitmap" / (bigMembers[i] + "icon.bmp"), icon);
        }
    }

    // A game mode that sets every fifth value of the big category's entries, and a map of about
    // 2 MB (long data lines) that sets every tenth again.
    std::vector<std::string> WriteLayers() const {
        const std::unordered_set<std::string> members(bigMembers.begin(), bigMembers.end());
        std::string mode = "; a game mode\r\n";
        std::string map = "[Basic]\r\nName=Generated Map\r\n";
        size_t count = 0;
        for (const auto& [section, key] : generator.ExistingKeys()) {
            if (members.count(section) == 0 || count++ % 5 != 0) continue;
            mode += "[" + section + "]\r\n" + key + "=" + std::to_string(count) + "\r\n";
            if (count % 10 == 1) map += "[" + section + "]\r\n" + key + "=" + std::to_string(count + 1) + "\r\n";
        }
        map += "[IsoMapPack5]\r\n";
        const std::string data(1900, 'Q');
        for (size_t line = 1; line <= 1000; ++line) map += std::to_string(line) + "=" + data + "\r\n";
        RulesGenerator::WriteFile(folder / "Mode.ini", mode);
        RulesGenerator::WriteFile(folder / "Ridge.map", map);
        return {(folder / "Mode.ini").string(), (folder / "Ridge.map").string()};
    }

    ~Installation() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

// The main window on the installation with the document open and the big category selected.
struct Editor {
    Installation installation;
    Globals globals;
    FirstButtonBoxes boxes;
    MainWindow window{globals, boxes};
    QPushButton* editButton = nullptr;

    // Made at first use, released before the application ends (a window may not outlive it).
    static std::unique_ptr<Editor>& Slot() {
        static std::unique_ptr<Editor> editor;
        return editor;
    }
    static Editor& Get() {
        if (!Slot()) Slot() = std::make_unique<Editor>();
        return *Slot();
    }

    Editor() {
        window.StartInFolder(installation.folder.string() + "/");
        window.OpenProcess((installation.folder / "Mod.ini").string());
        auto* grid = window.findChild<StringGrid*>(QStringLiteral("CategoryGrid"));
        const std::vector<std::string> rows = grid->ColumnTexts(0);
        grid->SetRow(static_cast<int>(std::find(rows.begin(), rows.end(), BigCategory) - rows.begin()));
        editButton = window.findChild<QPushButton*>(QStringLiteral("Button2"));
        QApplication::processEvents();
    }

    CategoryWindow* Open() {
        editButton->click();
        QApplication::processEvents();  // shown and painted
        return window.CategoryWindows().empty() ? nullptr : window.CategoryWindows().front().Window.data();
    }

    void CloseAll() {
        window.CloseCategoryWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }
};

// Argument: 0 the document alone, 1 with a game mode and a map over it.
void BM_OpenCategoryWindow(benchmark::State& state) {
    Editor& editor = Editor::Get();
    DocumentLayers& layers = editor.window.Layers();
    if (state.range(0) == 1)
        for (const std::string& layer : editor.installation.WriteLayers()) layers.Add(layer);
    // What follows the news of the stack once (the value check learning again, the find index made
    // again) is no part of an opening: one opening before the timed ones takes it.
    editor.Open();
    editor.CloseAll();
    // The work the window thread does in slices after a change (the find index, the comparison)
    // ends before the timed openings, for both arguments alike.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 50);
    int rows = 0;
    for (auto _ : state) {
        CategoryWindow* window = editor.Open();
        state.PauseTiming();
        rows = window ? window->findChild<StringGrid*>(QStringLiteral("EntryGrid"))->RowCount() : 0;
        editor.CloseAll();
        state.ResumeTiming();
    }
    state.counters["entries"] = rows;
    state.counters["layers"] = static_cast<double>(layers.Stack().Count());
    while (layers.Any()) layers.Remove(0);
}
BENCHMARK(BM_OpenCategoryWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_SwitchEntry(benchmark::State& state) {
    Editor& editor = Editor::Get();
    CategoryWindow* window = editor.Open();
    const int rows = window->findChild<StringGrid*>(QStringLiteral("EntryGrid"))->RowCount();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7) % rows;  // every tenth entry has pictures: entries with and without alternate
        window->FocusEntryRow(row);
        QApplication::processEvents();  // repainted
    }
    editor.CloseAll();
}
BENCHMARK(BM_SwitchEntry)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

void ReleaseEditor() {
    Editor::Slot().reset();
}

}  // namespace velmora::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    velmora::bench::ReleaseEditor();
    benchmark::Shutdown();
    return 0;
}
