// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/gui/mSmallEdit.h"

#include <QKeyEvent>

#include "category/core/EntryOperations.h"
#include "main/gui/ByteTextField.h"
#include "main/gui/QtText.h"
#include "ui_mSmallEdit.h"

namespace velmora {

TSmallEdit::TSmallEdit(QWidget* owner) : QDialog(owner), m_ui(std::make_unique<Ui::TSmallEdit>()) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    TakeByteTextOnly(*m_ui->Edit1);
    TakeByteTextOnly(*m_ui->Edit2);
    // The form wires CancelButton2 to reject, and QDialog rejects on the close box too.
    connect(m_ui->OKButton1, &QPushButton::clicked, this, &TSmallEdit::OKButtonClick);
}

TSmallEdit::~TSmallEdit() = default;

void TSmallEdit::SetCaption(const std::string& caption) {
    setWindowTitle(ToQString(caption));
}

void TSmallEdit::SetCode(const std::string& code) {
    m_ui->Edit1->setText(ToQString(code));
}

void TSmallEdit::SetName(const std::string& name) {
    m_ui->Edit2->setText(ToQString(name));
}

void TSmallEdit::SetNameEnabled(bool enabled) {
    m_ui->Edit2->setEnabled(enabled);
}

std::string TSmallEdit::Code() const {
    return ToBytes(m_ui->Edit1->text());
}

std::string TSmallEdit::Name() const {
    return ToBytes(m_ui->Edit2->text());
}

void TSmallEdit::OKButtonClick() {
    // A longer code is cut and shown, and the user confirms the cut code with a second OK.
    const QString code = m_ui->Edit1->text();
    const auto limit = static_cast<qsizetype>(MaxCodeLength);
    if (code.size() <= limit) {
        accept();
        return;
    }
    m_ui->Edit1->setText(code.left(limit));
}

void TSmallEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace velmora
