// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/compare/ChangesSource.h"
#include "core/compare/Comparison.h"
#include "gui/services/GeneralHandler.h"
#include "gui/services/OffThreadBuild.h"

class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QPushButton;
class QModelIndex;
class QTimer;
class QTreeView;

namespace velmora {

class Boxes;
class ChangesModel;
class DocumentComparison;
struct Globals;
class WindowHost;
class IniStore;

// The Changes window: what the document changed against a reference (the default copy, the game's
// copy or any INI file), grouped by the catalogue's categories with a count per group, narrowed by
// a filter box. A double-click on a row opens its entry in its category window at its key; "Save
// Changes As…" writes the patch a modder shares. It is a top-level window owned by the main
// window, made once and shown by File, "Compare…".
//
// The window shows the open document's comparison (DocumentComparison), which it has compared when
// asked (Compare…, Refresh, a new document) and whose rows it shows, so that commands on the
// selected rows (SelectedDifferences) are planned against the same reference (Reference). A
// comparison runs on a thread of its own from a copy of the stores: the window shows at once, says
// "Comparing…", and fills when it is done, the comparison catching up with the values edited
// meanwhile. Revert and Revert Entry put the reference back for the selected rows, or for every
// row of their entries, as one undoable edit of the document. Once edits, undos and redos pause,
// the window has the comparison compare again only the sections they touched, shown or not.
// Against the default copy, a document is compared as soon as it is shown, so that Compare…
// opens on the differences at once.
class ChangesWindow : public QWidget {
    Q_OBJECT

public:
    // The references offered, in the order of the choice box.
    enum class ReferenceKind { DefaultCopy, GameCopy, OtherFile };

    // A hidden window owned by `MainWin`, showing `comparison`; `comparison`, `globals` and
    // `boxes` outlive it.
    ChangesWindow(WindowHost& MainWin, DocumentComparison& comparison, const Globals& globals, Boxes& boxes);
    ~ChangesWindow() override;

    // Puts "Compare…" and "Save Changes As…" into the main window's `menu`, before `before`.
    void AddMenuCommands(QMenu& menu, QAction* before);

    // Starts a comparison of the document with the chosen reference; the differences are shown
    // when it is done. Throws IniError when the reference cannot be read; the list is then empty
    // and says why.
    void Compare();
    // True from Compare until its differences are shown.
    bool Comparing() const;
    // The window shown, in front, with a fresh comparison.
    void ShowAndCompare();
    // The window shown, in front: with the differences it keeps up, or else a fresh comparison
    // (File, "Compare…").
    void ShowChanges();
    // As ShowAndCompare, against the file `fileName` (the document's own file on disk).
    void ShowAndCompareWithFile(const std::string& fileName);
    // The document was replaced (opened, made new, another file type): a shown window, or one that
    // compares with the default copy, compares again; an error is told in the window rather than
    // in a box, as nobody asked for it.
    void DocumentReplaced();
    // Compares afresh, at once, and writes the patch of the differences to a file the user chooses.
    // False when the user cancelled.
    bool SaveChangesAs();

    // The reference compared against, none before a comparison or after one that failed. Valid
    // until the next comparison or store replacement.
    const IniStore* Reference() const;
    // The differences of the last comparison, and those the selected rows stand for (a selected
    // group stands for its shown rows), in list order, each once.
    const std::vector<Difference>& Differences() const;
    std::vector<Difference> SelectedDifferences() const;

    // The reference put back for the selected rows (Revert), or for every difference of the
    // entries they name (Revert Entry), as one edit. False when nothing was selected.
    bool RevertSelected();
    bool RevertSelectedEntries();

private:
    // The controls, each line of them with its connections, and the following of the document.
    void BuildControls();
    QHBoxLayout* BuildReferenceLine();
    void BuildFilter();
    void BuildTree();
    QHBoxLayout* BuildCommandLine();
    void FollowTheDocument();
    void ChooseReference(int index);
    // The file name of the chosen reference; for the default copy, the store the file type loaded.
    std::string ReferenceFileName() const;
    void LoadReference();
    // Forgets the differences and reads the reference: the list shows nothing and tells why when
    // it cannot be read (and throws).
    void BeginComparison();
    // A comparison started afresh after edits that reshaped the document; the reference, its copy
    // and the list's place are kept.
    void CompareWithTheSameReference();
    // Compare, done at once on this thread.
    void CompareNow();
    // A comparison from the thread of its own handed over.
    void Compared(std::unique_ptr<ChangesSource::Compared> compared, const std::string& error);
    // The rows selected, the groups open and the current row, by what they stand for, so that a
    // new comparison or filter shows them again wherever they now stand.
    struct Place {
        std::set<std::string> rows;
        std::set<std::string> groups;
        std::set<std::string> expanded;
        std::set<std::string> shownGroups;
        std::string current;
    };
    Place TakePlace() const;
    void ShowDifferences(const Place& place);
    // Whether each shown group opens when it is first shown: all of a short list, of a long one
    // only the first groups that fit a few screenfuls, so that its rows are not all made at once.
    std::vector<bool> ExpandedAtFirst() const;
    void OpenSelectedRow(const QModelIndex& index);
    void ShowStatus(const std::string& text);
    void Forget();
    void ForgetDifferences();
    // Shows the window in front, placed below the main window the first time.
    void Present();
    bool Revert(const std::vector<Difference>& selection);
    // The category of the first selected row, for the focus of a revert's undo.
    std::string SelectedCategory() const;
    void DocumentEdited();
    // Compare, its error told in the window rather than in a box.
    void CompareAgain();
    // The comparison brought up to the edits since.
    void FollowEdits();
    void ShowTreeMenu(const QPoint& position);

    template <void (ChangesWindow::*Handler)()>
    void Guarded() {
        RunEventHandler(m_boxes, [this] { (this->*Handler)(); });
    }

    WindowHost& m_main;
    DocumentComparison& m_comparison;
    const Globals& m_globals;
    Boxes& m_boxes;

    ReferenceKind m_referenceKind = ReferenceKind::DefaultCopy;
    std::string m_otherFile;
    bool m_placed = false;
    OffThreadBuild<ChangesSource::Compared, ChangesSource>* m_builder = nullptr;
    // The place of the list, kept while it is compared again.
    Place m_pendingPlace;

    QComboBox* m_referenceBox = nullptr;
    QLabel* m_referencePanel = nullptr;
    QLineEdit* m_filter = nullptr;
    ChangesModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_status = nullptr;
    QMenu* m_treeMenu = nullptr;
    QTimer* m_compareAfterEdits = nullptr;
};

}  // namespace velmora
