// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/CodeNameDialog.h"

#include <algorithm>

#include "core/entries/EntryOperations.h"
#include "gui/widgets/ByteTextField.h"
#include "gui/widgets/QtText.h"
#include "ui_CodeNameDialog.h"

namespace velmora {

CodeNameDialog::CodeNameDialog(QWidget* owner)
    : QDialog(owner), m_ui(std::make_unique<Ui::CodeNameDialog>()) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    TakeByteTextOnly(*m_ui->Edit1);
    TakeByteTextOnly(*m_ui->Edit2);
    // OK is the default button, so Enter in a field is OK; the form wires CancelButton2 to reject,
    // and QDialog rejects on Escape and on the close box too.
    connect(m_ui->OKButton1, &QPushButton::clicked, this, &CodeNameDialog::OKButtonClick);
}

CodeNameDialog::~CodeNameDialog() = default;

void CodeNameDialog::SetCaption(const std::string& caption) {
    setWindowTitle(ToQString(caption));
}

// Each field stops at its limit while the user types, and says so there; a text the caller sets
// is never cut by the field.
void CodeNameDialog::SetCode(const std::string& code) {
    LimitLength(*m_ui->Edit1, std::max(MaxCodeLength, code.size()),
                QStringLiteral("A code holds at most %1 characters.").arg(MaxCodeLength));
    m_ui->Edit1->setText(ToQString(code));
}

void CodeNameDialog::SetName(const std::string& name) {
    LimitLength(*m_ui->Edit2, NameLengthLimit(name),
                QStringLiteral("A name holds at most %1 characters.").arg(NameLengthLimit(name)));
    m_ui->Edit2->setText(ToQString(name));
}

void CodeNameDialog::SetNameEnabled(bool enabled) {
    m_ui->Edit2->setEnabled(enabled);
}

std::string CodeNameDialog::Code() const {
    return ToBytes(m_ui->Edit1->text());
}

std::string CodeNameDialog::Name() const {
    return ToBytes(m_ui->Edit2->text());
}

void CodeNameDialog::OKButtonClick() {
    // A longer code is cut and shown, and the user confirms the cut code with a second OK.
    const QString code = m_ui->Edit1->text();
    const auto limit = static_cast<qsizetype>(MaxCodeLength);
    if (code.size() <= limit) {
        accept();
        return;
    }
    m_ui->Edit1->setText(code.left(limit));
}

}  // namespace velmora
