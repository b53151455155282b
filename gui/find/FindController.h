// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QListWidget;
class QMenu;
class QMenuBar;
class QPoint;

namespace velmora {

class Boxes;
class ConflictsWindow;
class DocumentSignals;
class FindWindow;
class OpenDocument;
class ResultsWindow;
class WindowHost;
class Workspace;
struct EntryTarget;

// Finding, as the main window offers it: the Search menu (Find, Check References, Check Values),
// Find Usages of an entry, and the windows that show them, which it owns: the find window and the
// results windows of the usages, of Check References and of Check Values. What they list is the
// open document's (OpenDocument): the controller asks it for the usages and the checks, brings
// them up to the edits once per edit while their windows are shown (and lets them go while they
// are not), and fills the windows from them. A row of results leads to its entry through the
// opener the main window gives.
class FindController : public QObject {
public:
    // Opens the entry a row of results leads to, at its key; throws IniError when it cannot.
    using OpenTarget = std::function<void(const EntryTarget& target)>;
    // The same with edits going into file `file` of the stack (0 the document, 1 + i a layer).
    using OpenTargetIn = std::function<void(const EntryTarget& target, size_t file)>;

    // `host`, `document`, `boxes` and `news` outlive the controller; its windows are top-level
    // windows of the host's widget, which go with the controller.
    FindController(WindowHost& host, OpenDocument& document, Boxes& boxes, DocumentSignals& news,
                   OpenTarget openTarget);
    ~FindController() override;
    FindController(const FindController&) = delete;
    FindController& operator=(const FindController&) = delete;

    // Puts the Search menu into `menuBar`, before the menu of `before`.
    QMenu& AddSearchMenu(QMenuBar& menuBar, QAction* before);
    // Offers Find Usages in the context menu of the entries of `list`.
    void OfferUsagesOn(QListWidget& list);

    // A document was shown (opened, made new, another file type): its find index is made now,
    // away from the windows, rather than when Find is first opened.
    void DocumentReplaced();
    // The usages and Check References windows close: their rows would lead into the document
    // that goes. With a mod open, Check References lists every kind and stays.
    void CloseResults();
    // Where a row of the Conflicts window leads.
    void SetOpenTargetIn(OpenTargetIn open) { m_openTargetIn = std::move(open); }
    // The Conflicts window in front, filled from the stack as it stands.
    ConflictsWindow& ShowConflicts();
    // The usages of `code` in their window, in front.
    void FindUsages(const std::string& code);

private:
    FindWindow& TheFindWindow();
    void FindClick();
    void CheckReferencesClick();
    void CheckValuesClick();
    void ConflictsClick();
    void EntryListMenu(QListWidget& list, const QPoint& at);
    ResultsWindow& ListWindow(QPointer<ResultsWindow>& window, const QString& objectName,
                              const QStringList& headers);
    // The usages, check and values windows filled from the document's models.
    ResultsWindow& ShowUsages();
    ResultsWindow& ShowCheckReferences();
    ResultsWindow& ShowModReferences(const std::vector<const Workspace*>& kinds);
    // The kinds of the mod open, in [FilesToEdit] order; none without a mod.
    std::optional<std::vector<const Workspace*>> ModKinds() const;
    // The same by name, with each kind's models.
    std::vector<std::pair<std::string, OpenDocument*>> ModKindModels() const;
    ResultsWindow& ShowCheckValues();
    void RefreshResultsSoon();
    void RefreshResults();

    WindowHost& m_host;
    OpenDocument& m_document;
    Boxes& m_boxes;
    DocumentSignals& m_news;
    OpenTarget m_openTarget;
    OpenTargetIn m_openTargetIn;
    // Owned through their Qt parent, the host's widget; deleted with the controller.
    QPointer<FindWindow> m_findWindow;
    QPointer<ResultsWindow> m_usagesWindow;
    QPointer<ResultsWindow> m_checkWindow;
    QPointer<ResultsWindow> m_valuesWindow;
    QPointer<ConflictsWindow> m_conflictsWindow;
    bool m_refreshPending = false;
};

}  // namespace velmora
