// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/ElidingLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace velmora {

namespace {

// The lines `text` takes in `width`, broken as `wrap` says; false when one of them is wider.
bool LinesFit(const QString& text, const QFont& font, QTextOption::WrapMode wrap, int width, int& lines) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(wrap);
    layout.setTextOption(option);
    layout.beginLayout();
    bool fits = true;
    lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        fits = fits && line.naturalTextWidth() <= width;
        ++lines;
    }
    layout.endLayout();
    return fits;
}

}  // namespace

void ElidingLabel::SetElideMode(Qt::TextElideMode mode) {
    m_elideMode = mode;
    update();
}

QString ElidingLabel::ShownLine() const {
    return fontMetrics().elidedText(text(), m_elideMode, contentsRect().width());
}

bool ElidingLabel::IsCut() const {
    const QRect area = contentsRect();
    // One line, whatever the label's height: only its width can cut it.
    if (CutInTheMiddle()) return fontMetrics().horizontalAdvance(text()) > area.width();
    int lines = 0;
    const bool fits = LinesFit(text(), font(), wordWrap() ? QTextOption::WordWrap : QTextOption::ManualWrap,
                               area.width(), lines);
    return !fits || lines * fontMetrics().lineSpacing() > area.height();
}

void ElidingLabel::paintEvent(QPaintEvent* event) {
    if (text().isEmpty() || !IsCut()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    if (CutInTheMiddle()) {
        painter.drawText(area, static_cast<int>(alignment()), ShownLine());
        return;
    }
    const QFontMetrics metrics(font());
    const QString shown = text();

    QTextLayout layout(shown, font());
    QTextOption option;
    option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const int fitting = std::max(1, area.height() / metrics.lineSpacing());
    int y = area.top();
    for (int count = 1; count <= fitting; ++count) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(area.width());
        const bool last = count == fitting || line.textStart() + line.textLength() >= shown.size();
        // The last line that fits takes the rest of the text, as much of it as goes before "…".
        const QString part = last ? metrics.elidedText(shown.mid(line.textStart()), Qt::ElideRight,
                                                       area.width())
                                  : shown.mid(line.textStart(), line.textLength());
        painter.drawText(QPoint(area.left(), y + metrics.ascent()), part);
        if (last) break;
        y += metrics.lineSpacing();
    }
    layout.endLayout();
}

}  // namespace velmora
