// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace velmora {

// A label laid out from its top left that ends a text it cannot show whole with "…", on its last
// line that fits, rather than clipping it unseen. Its text() stays the whole text, which other
// code reads; a word-wrapped text that does not fit breaks anywhere, to show as much as it can.
// A one-line label may cut its text in the middle instead, keeping both ends, placed as its
// alignment says.
class ElidingLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    // Qt::ElideRight (the default) or, for a label without word wrap, Qt::ElideMiddle.
    void SetElideMode(Qt::TextElideMode mode);
    Qt::TextElideMode ElideMode() const { return m_elideMode; }
    // Whether the text, laid out as QLabel lays it out, needs more room than the label has.
    bool IsCut() const;
    // The text as a one-line label shows it: whole when it fits, else cut as the mode says.
    QString ShownLine() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool CutInTheMiddle() const { return m_elideMode == Qt::ElideMiddle && !wordWrap(); }

    Qt::TextElideMode m_elideMode = Qt::ElideRight;
};

}  // namespace velmora
