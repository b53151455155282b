// SPDX-License-Identifier: GPL-3.0-or-later
// Documents dropped on the main window.

#include "gui/main/DocumentDrops.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <string>

#include "gui/main/DocumentCommands.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

// The one local file a drag carries; empty for anything else.
QString DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

DocumentDrops::DocumentDrops(QWidget& window, Boxes& boxes, DocumentCommands& documents)
    : m_boxes(boxes), m_documents(documents) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool DocumentDrops::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (DraggedFile(enter->mimeData()).isEmpty()) return false;
        enter->acceptProposedAction();
        return true;
    }
    if (event->type() != QEvent::Drop) return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const QString file = DraggedFile(drop->mimeData());
    if (file.isEmpty()) return false;
    drop->acceptProposedAction();
    // The question about unsaved changes waits until the drop has ended.
    const std::string name = ToBytes(QDir::toNativeSeparators(file));
    QMetaObject::invokeMethod(
        this,
        [this, name] { RunEventHandler(m_boxes, [this, &name] { m_documents.OpenExistingDocument(name); }); },
        Qt::QueuedConnection);
    return true;
}

}  // namespace velmora
