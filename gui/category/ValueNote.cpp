// SPDX-License-Identifier: GPL-3.0-or-later
// The note under the category window on a committed value that does not fit the kind of value its
// key takes. A commit is never refused for it (the modder may know better) and the note asks for
// nothing: it says why the value looks wrong, and goes once the value fits again (a correction,
// an undo) or a fitting value is committed.

#include <QLabel>
#include <QVBoxLayout>
#include <optional>

#include "gui/category/CategoryWindow.h"
#include "core/values/LiveValueCheck.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/WindowHost.h"
#include "gui/widgets/QtText.h"
#include "core/store/IniStore.h"
#include "ui_CategoryWindow.h"

namespace velmora {

void CategoryWindow::NoteCommittedValue(const std::string& Code, const std::string& Key) {
    m_notedCode = Code;
    m_notedKey = Key;
    RefreshValueNote();
}

void CategoryWindow::RefreshValueNote() {
    std::optional<std::string> reason;
    std::string value;
    if (!m_notedKey.empty() && m_main.Work().Doc().HasDocument()) {
        reason = m_main.Values().StoredMisfit(m_notedCode, m_notedKey);
        value = DocumentStore().ReadString(m_notedCode, m_notedKey, "");
    }
    if (!reason) {
        m_notedCode.clear();
        m_notedKey.clear();
        if (m_valueNote) m_valueNote->hide();
        return;
    }
    if (!m_valueNote) {
        m_valueNote = new QLabel(this);  // owned through its Qt parent, this window
        m_valueNote->setObjectName(QStringLiteral("ValueNote"));
        m_valueNote->setTextFormat(Qt::PlainText);  // a value is shown as typed, never as markup
        m_valueNote->setWordWrap(true);
        m_valueNote->setFrameShape(QFrame::StyledPanel);
        m_valueNote->setMargin(2);
        ui->CategoryLayout->addWidget(m_valueNote);
    }
    m_valueNote->setText(ToQString(m_notedCode + ": " + m_notedKey + "=" + value + " looks wrong: " + *reason));
    m_valueNote->show();
}

}  // namespace velmora
