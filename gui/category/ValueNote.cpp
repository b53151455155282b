// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/ValueNote.h"

#include <QBoxLayout>
#include <QLabel>
#include <optional>

#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "core/values/LiveValueCheck.h"
#include "gui/widgets/QtText.h"

namespace velmora {

ValueNote::ValueNote(QWidget& window, QBoxLayout& layout, const Workspace& work, LiveValueCheck& values)
    : m_window(window), m_layout(layout), m_work(work), m_values(values) {}

void ValueNote::NoteCommittedValue(const std::string& Code, const std::string& Key) {
    m_notedCode = Code;
    m_notedKey = Key;
    RefreshValueNote();
}

void ValueNote::RefreshValueNote() {
    std::optional<std::string> reason;
    std::string value;
    if (!m_notedKey.empty() && m_work.Doc().HasDocument()) {
        reason = m_values.StoredMisfit(m_notedCode, m_notedKey);
        value = m_work.Doc().Store().ReadString(m_notedCode, m_notedKey, "");
    }
    if (!reason) {
        m_notedCode.clear();
        m_notedKey.clear();
        if (m_label) m_label->hide();
        return;
    }
    if (!m_label) {
        m_label = new QLabel(&m_window);  // owned through its Qt parent, the window
        m_label->setObjectName(QStringLiteral("ValueNote"));
        m_label->setTextFormat(Qt::PlainText);  // a value is shown as typed, never as markup
        m_label->setWordWrap(true);
        m_label->setFrameShape(QFrame::StyledPanel);
        m_label->setMargin(2);
        m_layout.addWidget(m_label);
    }
    m_label->setText(ToQString(m_notedCode + ": " + m_notedKey + "=" + value + " looks wrong: " + *reason));
    m_label->show();
}

}  // namespace velmora
