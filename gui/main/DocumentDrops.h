// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

namespace velmora {

class Boxes;
class DocumentCommands;

// A document file dropped on the window is opened, through the question about unsaved changes,
// once the drop has ended. Anything else dragged over the window is refused.
class DocumentDrops : public QObject {
    Q_OBJECT

  public:
    // Takes the drops of `window`. Everything given outlives the drops.
    DocumentDrops(QWidget& window, Boxes& boxes, DocumentCommands& documents);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Boxes& m_boxes;
    DocumentCommands& m_documents;
};

}  // namespace velmora
