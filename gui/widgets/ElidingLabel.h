// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace velmora {

// A label laid out from its top left that ends a text it cannot show whole with "…", on its last
// line that fits, rather than clipping it unseen. Its text() stays the whole text, which other
// code reads; a word-wrapped text that does not fit breaks anywhere, to show as much as it can.
class ElidingLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget* parent = nullptr) : QLabel(parent) {}

    // Whether the text, laid out as QLabel lays it out, needs more room than the label has.
    bool IsCut() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace velmora
