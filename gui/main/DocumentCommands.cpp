// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu, the close query and the switch of the file type: when a document may be dropped,
// under which name it is saved, and when a load replaces it.

#include <QAction>
#include <QCloseEvent>
#include <filesystem>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/Boxes.h"
#include "core/scaffold/DefinitionScaffold.h"
#include "core/saving/DocumentSave.h"
#include "core/settings/Globals.h"
#include "core/settings/ProgramFolder.h"
#include "core/store/Routines.h"
#include "gui/main/MainWindow.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "gui/main/RecoveryKeeper.h"

namespace velmora {

namespace {

constexpr const char* OpenFilter = "INI files (*.ini)|*.ini|All files|*.*";
constexpr const char* SaveFilter = "INI file (*.ini)|*.ini|All files (*.*)|*.*";

}  // namespace

// A value typed in a category window is committed when its grid loses the focus, which a command
// run by its key from that window never takes: the value is committed here first, so that the
// question and the save see it.
void MainWindow::CommitOpenEdits() {
    for (const CategoryWindowLine& line : m_categoryWindows)
        if (line.Window) line.Window->CommitOpenEdit();
}

bool MainWindow::ModifiedSavedOrDontCare() {
    CommitOpenEdits();
    if (!m_workspace.Doc().Modified()) return true;
    switch (m_boxes.Confirm("Save changes to " + ExtractFileName(m_workspace.Doc().FileName()) + "?")) {
        case BoxAnswer::Yes:
            return Save1Click();
        case BoxAnswer::No:
            m_recovery->Discard();  // the user's own choice: the changes are not to come back
            return true;
        default:
            return false;
    }
}

bool MainWindow::IsDefaultFileOrUntitleNew(const std::string& Name) {
    if (EqualsNoCase(Name, m_globals.DefaultFileName)) {
        m_boxes.Plain(
            "Default",
            "Cannot use the name " + m_globals.DefaultFileName + ", use text editor to create default file.",
            false);
        return true;
    }
    return EqualsNoCase(Name, m_globals.UntitledName);
}

bool MainWindow::FileExistOK(const std::string& Name) {
    std::error_code error;
    if (!std::filesystem::exists(platform::ToPath(Name), error)) return true;
    return m_boxes.Plain("Existing File",
                         "File:\r\n" + Name + "\r\nis already exist.\r\n\r\nOverwrite file ?",
                         true) == BoxAnswer::Ok;
}

bool MainWindow::Save1Click() {
    CommitOpenEdits();
    const std::string name = m_workspace.Doc().FileName();
    if (IsDefaultFileOrUntitleNew(name)) return SaveAs1Click(name);
    if (!m_workspace.Doc().Modified()) {
        m_boxes.Notice("No modification. Saving is not performed.");
        return true;
    }
    return WriteDocument(name);
}

bool MainWindow::WriteDocument(const std::string& Name) {
    if (!m_workspace.Doc().HasDocument()) return true;  // a start-up that failed left no document
    // Save As to another name has asked about that file; a save in place asks when another program
    // changed the file since it was read, so that its change is never overwritten unseen.
    if (m_workspace.Doc().FileName() == Name && !OverwriteChangedFileOK()) return false;
    // The new name is the document's only once it is written: a save that fails leaves the
    // title, the next save and the recovery copy on the old one.
    SaveDocumentAs(m_workspace, Name);
    WatchFiles();  // a new name, or a file written anew
    SetBannerCaption();
    return true;
}

bool MainWindow::SaveAs1Click(const std::string& ProposedName) {
    std::string proposed = ProposedName;
    for (;;) {
        std::optional<std::string> name = m_boxes.SaveFileName(SaveFilter, proposed);
        if (!name) return false;
        // A reserved name brings the dialog back, preset with what the user chose.
        if (IsDefaultFileOrUntitleNew(*name)) {
            proposed = *name;
            continue;
        }
        if (!FileExistOK(*name)) return false;
        // Written whether changed or not: the user asked for a file of that name.
        CommitOpenEdits();
        return WriteDocument(*name);
    }
}

void MainWindow::New1Click() {
    if (!ModifiedSavedOrDontCare()) return;
    CloseCategoryWindows();
    m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(m_globals.UntitledName, true);
    // A new document counts as changed until it is saved, so leaving it asks whether to keep it.
    m_workspace.Doc().Restart(true);
}

void MainWindow::Open1Click() {
    std::optional<std::string> name = m_boxes.OpenFileName(OpenFilter, std::string());
    if (name) OpenProcess(*name);
}

void MainWindow::OpenProcess(const std::string& Name) {
    if (!ModifiedSavedOrDontCare()) return;
    CloseCategoryWindows();
    m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(Name, false);
    OfferRecoveriesOf(Name);
}

void MainWindow::Save1ClickMenu() {
    Save1Click();
}

void MainWindow::SaveAs1ClickMenu() {
    SaveAs1Click(m_workspace.Doc().FileName());
}

void MainWindow::NewDefinition1Click() {
    if (!m_workspace.Doc().HasDocument()) return;  // a start-up that failed left no document
    const std::string definition = m_workspace.DefinitionFileName();
    std::string question = "Write a new definition file " + definition + " from the document " +
                           ExtractFileName(m_workspace.Doc().FileName()) + "?";
    if (platform::IsRegularFile(definition))
        question +=
            "\r\nThe present file is kept as " + ExtractFileName(DefinitionBackupFileName(m_workspace)) + ".";
    if (m_boxes.Confirm(question) != BoxAnswer::Yes) return;
    CommitOpenEdits();

    // The scaffold is the document's alone; the open document stays as it is, and the new file is
    // taken into use only when the user says so.
    ReplaceDefinitionFile(m_workspace);
    // Written here at the user's word: not another program's change to read again unasked.
    m_workspace.RestampDefinition();
    std::string load = "The new definition file is written. Load it now for the open document?";
    const Document& edits = m_workspace.Doc();
    if (edits.CanUndo() || edits.CanRedo()) load += "\r\nThe edits made so far can then no longer be undone.";
    if (m_boxes.Confirm(load) != BoxAnswer::Yes) return;
    CloseCategoryWindows();
    m_workspace.LoadDefinitionKeepingDocument();
}

void MainWindow::Exit1Click() {
    close();
}

void MainWindow::MyFormCloseQuery(bool& CanClose) {
    CanClose = ModifiedSavedOrDontCare();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A query that fails (a save that cannot write) keeps the window, and the document, open.
    bool canClose = false;
    RunEventHandler(m_boxes, [this, &canClose] { MyFormCloseQuery(canClose); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

// Another program folder: the document is saved or dropped first, since the load of the new folder
// replaces it, and the choice is remembered only once the folder could be entered.
void MainWindow::ProgramFolder1Click() {
    if (!m_folderChoice || !ModifiedSavedOrDontCare()) return;
    std::optional<std::string> dir = m_folderChoice->Ask(m_globals.ProgramDir);
    if (!dir) return;
    CloseCategoryWindows();
    EnterProgramFolder(*dir);
    m_folderChoice->Remember(*dir);
    SetTitleHeight(4 * m_designedTitleHeight);
    LoadProgramFolder(WorkingFolder());
}

void MainWindow::SwitchFileType(QAction* MenuItem) {
    const QByteArray bytes = MenuItem->data().toByteArray();
    const std::string caption(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (caption == m_workspace.FileToEdit()) return;
    if (m_boxes.Confirm("Change the type of file to edit to " + caption) != BoxAnswer::Yes) return;
    if (!ModifiedSavedOrDontCare()) return;
    CloseCategoryWindows();
    m_workspace.ChooseFileType(caption);
    m_workspace.BeginToLoadNONBASIC();
}

}  // namespace velmora
