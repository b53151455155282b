// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/DocumentSignals.h"

namespace velmora {

DocumentSignals::DocumentSignals(Document& document, QObject* parent) : QObject(parent), m_document(document) {
    m_document.AddObserver(*this);
}

DocumentSignals::~DocumentSignals() { m_document.RemoveObserver(*this); }

}  // namespace velmora
