#include "dialogs/mSmallEdit.h"

#include <QKeyEvent>
#include <QValidator>

#include "category/EntryOperations.h"
#include "main/QtText.h"
#include "ui_mSmallEdit.h"

namespace velmora {

namespace {

// Lets a field hold only what is written as it is shown: characters that have a byte in the
// program's texts (Latin-1), except the line breaks, which would end the line of the saved file,
// and NUL, which no one could see or type again. An edit that would bring in anything else is refused.
class ByteTextValidator : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*position*/) const override {
        for (const QChar character : input) {
            const char16_t unit = character.unicode();
            if (unit > 0xFF || unit == u'\0' || unit == u'\n' || unit == u'\r') return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace

TSmallEdit::TSmallEdit(QWidget* owner) : QDialog(owner), m_ui(std::make_unique<Ui::TSmallEdit>()) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* validator = new ByteTextValidator(this);
    m_ui->Edit1->setValidator(validator);
    m_ui->Edit2->setValidator(validator);
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
