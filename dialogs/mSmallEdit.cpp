#include "dialogs/mSmallEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>
#include <QValidator>

#include "category/EntryOperations.h"
#include "main/QtText.h"
#include "ui_mSmallEdit.h"

namespace velmora {

namespace {

// Lets a field hold only what is written as it is shown: characters that have a byte in the
// program's texts (Latin-1), except the line breaks and NUL, which would end the line or the whole
// text of the saved file. An edit that would bring in anything else is refused.
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

// A refused character is not dropped without a word: a note under the field says why, and goes
// with the next keystroke or move of the mouse, as tooltips do.
void ExplainRefusal(QLineEdit& field) {
    QToolTip::showText(field.mapToGlobal(QPoint(0, field.height())),
                       QStringLiteral("Left out: a rules file holds only Latin-1 characters, and no line breaks."),
                       &field);
}

}  // namespace

TSmallEdit::TSmallEdit(QWidget* owner) : QDialog(owner), m_ui(std::make_unique<Ui::TSmallEdit>()) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* validator = new ByteTextValidator(this);
    for (QLineEdit* field : {m_ui->Edit1, m_ui->Edit2}) {
        field->setValidator(validator);
        connect(field, &QLineEdit::inputRejected, this, [field] { ExplainRefusal(*field); });
    }
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
