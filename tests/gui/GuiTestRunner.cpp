// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the GUI test program: `velmora_gui_tests CLASS [QtTest options and functions]` runs
// one registered test class as QTEST_MAIN would run it in a program of its own. ctest starts one
// run per class, so each keeps its own process and environment.

#include <QApplication>
#include <QTest>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "GuiTestMain.h"

namespace velmora::testing {
namespace {

// Filled while the test files' registrations run, before main: a function's static is ready then.
std::map<std::string, GuiTestMaker, std::less<>>& registeredTests() {
    static std::map<std::string, GuiTestMaker, std::less<>> tests;
    return tests;
}

}  // namespace

bool RegisterGuiTest(const char* qualifiedName, GuiTestMaker make) {
    std::string_view name = qualifiedName;
    if (const auto colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
    const bool added = registeredTests().emplace(std::string(name), make).second;
    if (!added) std::fprintf(stderr, "Two GUI test classes are named %s\n", qualifiedName);
    return added;
}

}  // namespace velmora::testing

int main(int argc, char** argv) {
    const auto& tests = velmora::testing::registeredTests();
    const auto test = argc > 1 ? tests.find(std::string_view(argv[1])) : tests.end();
    if (test == tests.end()) {
        std::fprintf(stderr, "usage: %s CLASS [QtTest options]\nThe classes:\n", argc > 0 ? argv[0] : "velmora_gui_tests");
        for (const auto& registered : tests) std::fprintf(stderr, "  %s\n", registered.first.c_str());
        return 2;
    }
    // QtTest sees the command line without the class's name, as in a program of the class's own.
    std::vector<char*> testArguments{argv[0]};
    testArguments.insert(testArguments.end(), argv + 2, argv + argc);
    int testArgc = static_cast<int>(testArguments.size());
    testArguments.push_back(nullptr);

    QApplication app(testArgc, testArguments.data());
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const auto testObject = test->second();
    return QTest::qExec(testObject.get(), testArgc, testArguments.data());
}
