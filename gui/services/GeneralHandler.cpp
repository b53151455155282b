// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/GeneralHandler.h"

#include <QApplication>
#include <QCursor>
#include <QtGlobal>

#include "core/boxes/Boxes.h"
#include "core/store/IniError.h"

namespace velmora {

void ShowUnhandledError(Boxes& boxes, std::exception_ptr error) noexcept {
    std::string text;
    try {
        std::rethrow_exception(error);
    } catch (const IniError& failure) {
        text = failure.what();
    } catch (const std::exception& failure) {
        text = failure.what();
    } catch (...) {
        text = "Unknown error";
    }
    try {
        boxes.Error(text);
    } catch (...) {
        // The box itself failed (no memory, no display): the message is all that is left.
        qCritical("%s", text.c_str());
    }
}

HourglassPointer::HourglassPointer() {
    Begin();
}

HourglassPointer::~HourglassPointer() {
    End();
}

void HourglassPointer::Begin() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void HourglassPointer::End() {
    QApplication::restoreOverrideCursor();
}

}  // namespace velmora
