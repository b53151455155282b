// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/main/ModCheckOffer.h"

#include <QAction>
#include <QMenu>

#include <utility>

#include "core/boxes/Boxes.h"
#include "core/session/EditingSession.h"
#include "gui/modcheck/ModCheckWindow.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"

namespace velmora {

ModCheckOffer::ModCheckOffer(QWidget& owner, EditingSession& session, Boxes& boxes, SpotOpener openSpot)
    : QObject(&owner), m_owner(owner), m_session(session), m_boxes(boxes), m_openSpot(std::move(openSpot)) {}

void ModCheckOffer::AddTo(QMenu& search) {
    QAction* action = search.addAction(tr("Check the &Mod"));
    action->setObjectName(QStringLiteral("CheckMod1"));
    connect(action, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { Open(); }); });
}

void ModCheckOffer::Open() {
    LiveModCheck* check = m_session.ModCheck();
    if (check == nullptr) {
        m_boxes.Notice("Check the Mod looks at every file of a mod together: open the mod's folder first "
                       "(File, Open Mod Folder...).");
        return;
    }
    if (m_window == nullptr) {
        m_window = new ModCheckWindow(m_owner, *check);
        connect(m_window, &ModCheckWindow::spotRequested, this,
                [this](int kind, const QString&, const QString& entry, const QString& key, int) {
                    RunEventHandler(m_boxes, [&] { OpenSpot(kind, entry, key); });
                });
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ModCheckOffer::KindsChanged() {
    if (m_window != nullptr) m_window->Watch(m_session.ModCheck());
}

void ModCheckOffer::OpenSpot(int kind, const QString& entry, const QString& key) {
    const std::vector<std::string>& kinds = m_session.KindNames();
    if (kind < 0 || static_cast<size_t>(kind) >= kinds.size()) return;
    const std::string code = ToBytes(entry);
    if (!m_openSpot(kinds[static_cast<size_t>(kind)], code, ToBytes(key)))
        m_boxes.Notice(code + " is listed by no category of " + kinds[static_cast<size_t>(kind)] +
                       ": find it with Search, Find.");
}

}  // namespace velmora
