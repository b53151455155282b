// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include <QObject>
#include <QPointer>

class QMenu;
class QWidget;

namespace velmora {

class Boxes;
class EditingSession;
class ModCheckWindow;

// The Search menu's "Check the Mod": the window over the session's check of the mod, opened on
// demand and kept on the check when the kinds change places; a finding's spot is opened through
// the main window.
class ModCheckOffer : public QObject {
    Q_OBJECT

public:
    // Shows kind `fileType` and opens entry `code` at key `key`; false when no category lists it.
    using SpotOpener = std::function<bool(const std::string& fileType, const std::string& code, const std::string& key)>;

    // Everything given outlives the offer.
    ModCheckOffer(QWidget& owner, EditingSession& session, Boxes& boxes, SpotOpener openSpot);

    void AddTo(QMenu& search);
    // Another kind is shown or a mod came: the window follows the session's new check.
    void KindsChanged();

private:
    void Open();
    void OpenSpot(int kind, const QString& entry, const QString& key);

    QWidget& m_owner;
    EditingSession& m_session;
    Boxes& m_boxes;
    SpotOpener m_openSpot;
    QPointer<ModCheckWindow> m_window;  // owned through its Qt parent, the main window
};

}  // namespace velmora
