// SPDX-License-Identifier: GPL-3.0-or-later
// Every GUI test class is built into one program (GuiTestRunner.cpp's main), which runs the class
// named on its command line. A test file ends with VELMORA_GUI_TEST(ItsClass) where a program of
// its own would have QTEST_MAIN(ItsClass).
#pragma once

#include <QObject>
#include <memory>

namespace velmora::testing {

using GuiTestMaker = std::unique_ptr<QObject> (*)();

// Files the class under its name without namespaces; the runner looks it up by that name.
bool RegisterGuiTest(const char* qualifiedName, GuiTestMaker make);

}  // namespace velmora::testing

#define VELMORA_GUI_TEST(TestObject)                                                                  \
    namespace {                                                                                       \
    [[maybe_unused]] const bool guiTestRegistered = ::velmora::testing::RegisterGuiTest(              \
        #TestObject, []() -> std::unique_ptr<QObject> { return std::make_unique<TestObject>(); });    \
    }
