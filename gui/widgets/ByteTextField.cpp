// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/ByteTextField.h"

#include <QLineEdit>
#include <QToolTip>
#include <QValidator>
#include <algorithm>
#include <limits>

#include "core/document/TextRules.h"

namespace velmora {

namespace {

class ByteTextValidator : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*position*/) const override {
        for (const QChar character : input) {
            const char16_t unit = character.unicode();
            if (unit > 0xFF || IsRefusedByte(static_cast<unsigned char>(unit))) return Invalid;
        }
        return Acceptable;
    }
};

const char* const LengthNoteProperty = "velmoraLengthNote";

// A refused character is not dropped without a word; the note goes with the next keystroke or move
// of the mouse, as tooltips do. A full field refuses for its length.
void ExplainRefusal(QLineEdit& field) {
    const QString lengthNote = field.property(LengthNoteProperty).toString();
    const bool full = !lengthNote.isEmpty() && field.text().size() >= field.maxLength();
    QToolTip::showText(field.mapToGlobal(QPoint(0, field.height())),
                       full ? lengthNote
                            : QStringLiteral("Left out: a rules file holds only Latin-1 characters, and no line "
                                             "breaks or other control characters."),
                       &field);
}

}  // namespace

void TakeByteTextOnly(QLineEdit& field) {
    field.setValidator(new ByteTextValidator(&field));
    QObject::connect(&field, &QLineEdit::inputRejected, &field, [&field] { ExplainRefusal(field); });
}

}  // namespace velmora

namespace velmora {

void LimitLength(QLineEdit& field, size_t limit, const QString& note) {
    field.setMaxLength(static_cast<int>(std::min<size_t>(limit, std::numeric_limits<int>::max())));
    field.setProperty(LengthNoteProperty, note);
}

}  // namespace velmora
