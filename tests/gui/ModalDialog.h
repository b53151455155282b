// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace velmora::testing {

// How a modal dialog run by a test went.
struct ModalRun {
    int result = -1;        // what exec() gave back
    bool wasModal = false;  // the dialog was the active modal widget when the test acted
    bool leftOpen = false;  // the test's actions did not close it (it was then rejected)
};

// Runs `dialog` modally and, once its event loop runs, lets `act` work on it as a user would. A
// dialog that `act` leaves open is rejected, so a failing test ends instead of waiting forever.
template <class Dialog>
ModalRun RunModal(Dialog& dialog, const std::function<void(Dialog&)>& act) {
    ModalRun run;
    QTimer::singleShot(0, &dialog, [&] {
        run.wasModal = QApplication::activeModalWidget() == &dialog;
        if (run.wasModal) act(dialog);
        if (dialog.isVisible()) {
            run.leftOpen = true;
            dialog.reject();
        }
    });
    run.result = dialog.exec();
    return run;
}

}  // namespace velmora::testing
