// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/CutTextTips.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

namespace velmora {

namespace {

// The caption as the user reads it: without the accelerator marks ("&&" shows one "&").
QString ShownCaption(QString caption) {
    caption.replace(QLatin1String("&&"), QString(QChar::ObjectReplacementCharacter));
    caption.remove(QLatin1Char('&'));
    return caption.replace(QChar::ObjectReplacementCharacter, QLatin1Char('&'));
}

// The widget's whole text while it is cut, empty while it shows all.
QString CutText(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        const bool cut = label->wordWrap() ? label->minimumSizeHint().width() > label->width() ||
                                                 label->heightForWidth(label->width()) > label->height()
                                           : label->sizeHint().width() > label->width();
        return cut ? label->text() : QString();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->sizeHint().width() > button->width() ? ShownCaption(button->text()) : QString();
    return {};
}

class CutTextTip : public QObject {
public:
    explicit CutTextTip(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString text = CutText(*widget);
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), PlainToolTip(text), widget);
        }
        return true;
    }
};

}  // namespace

QString PlainToolTip(const QString& text) {
    // A tooltip is read as markup only when it looks like markup; such a text is escaped.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void TipWhenCut(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) new CutTextTip(widget);  // owned by the widget
}

void FitCaptions(std::initializer_list<QWidget*> buttons) {
    for (QWidget* button : buttons) button->setMinimumWidth(std::max(button->minimumWidth(), button->sizeHint().width()));
}

}  // namespace velmora
