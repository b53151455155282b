// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/LayerBar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "core/session/DocumentLayers.h"
#include "gui/widgets/LayerColours.h"
#include "gui/widgets/QtText.h"

namespace velmora {

LayerBar::LayerBar(DocumentLayers& layers, QWidget* parent)
    : QWidget(parent), m_layers(layers), m_editIn(new QComboBox(this)), m_legend(new QHBoxLayout()) {
    setObjectName(QStringLiteral("LayerBar"));
    m_editIn->setObjectName(QStringLiteral("EditIn"));
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QStringLiteral("Edit in:"), this);
    label->setBuddy(m_editIn);
    line->addWidget(label);
    line->addWidget(m_editIn);
    line->addSpacing(12);
    line->addLayout(m_legend);
    line->addStretch(1);
    connect(m_editIn, &QComboBox::activated, this, [this](int index) {
        const size_t file = index > 0 ? static_cast<size_t>(index) : 0;
        m_targetName = file > 0 ? m_layers.Stack().Layer(file - 1).FileName() : std::string();
    });
    Refresh();
}

size_t LayerBar::Target() const {
    const int index = m_editIn->currentIndex();
    return index > 0 ? static_cast<size_t>(index) : 0;
}

void LayerBar::SetTarget(size_t file) {
    if (file > m_layers.Stack().Count()) file = 0;
    m_editIn->setCurrentIndex(static_cast<int>(file));
    m_targetName = file > 0 ? m_layers.Stack().Layer(file - 1).FileName() : std::string();
}

void LayerBar::Refresh() {
    const LayerStack& stack = m_layers.Stack();
    setVisible(stack.Count() > 0);
    size_t target = 0;
    m_editIn->clear();
    m_editIn->addItem(ToQString(m_layers.FileName(0)));
    while (QLayoutItem* item = m_legend->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (size_t i = 0; i < stack.Count(); ++i) {
        m_editIn->addItem(ToQString(stack.Layer(i).ShortName()));
        if (stack.Layer(i).FileName() == m_targetName) target = i + 1;
        auto* key = new QLabel(ToQString(stack.Layer(i).ShortName()), this);
        key->setObjectName(QStringLiteral("LegendOf") + QString::number(i + 1));
        key->setTextFormat(Qt::PlainText);
        key->setAutoFillBackground(true);
        key->setMargin(2);
        QPalette colours = key->palette();
        colours.setColor(QPalette::Window, LayerColour(i));
        key->setPalette(colours);
        key->setToolTip(QStringLiteral("A value this colour comes from ") + ToQString(stack.Layer(i).FileName()));
        m_legend->addWidget(key);
    }
    SetTarget(target);
}

}  // namespace velmora
