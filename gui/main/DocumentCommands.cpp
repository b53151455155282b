// SPDX-License-Identifier: GPL-3.0-or-later
// The File menu, the close query and the switch of the file type: when a document may be dropped,
// under which name it is saved, and when a load replaces it.

#include "gui/main/DocumentCommands.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <filesystem>

#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "core/layers/LayeredSave.h"
#include "core/saving/DocumentSave.h"
#include "core/scaffold/DefinitionScaffold.h"
#include "core/session/DocumentLayers.h"
#include "core/settings/Globals.h"
#include "core/settings/ProgramFolder.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "gui/main/CategoryWindowList.h"
#include "gui/main/DiskChanges.h"
#include "gui/main/ModCommands.h"
#include "gui/main/RecoveryKeeper.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

constexpr const char* OpenFilter = "INI files (*.ini)|*.ini|All files|*.*";
constexpr const char* SaveFilter = "INI file (*.ini)|*.ini|All files (*.*)|*.*";

}  // namespace

DocumentCommands::DocumentCommands(QWidget& window, Workspace& workspace, Globals& globals, Boxes& boxes,
                                   CategoryWindowList& windows, DiskChanges& diskChanges,
                                   RecoveryKeeper& recovery, Host& host)
    : m_workspace(workspace),
      m_globals(globals),
      m_boxes(boxes),
      m_windows(windows),
      m_diskChanges(diskChanges),
      m_recovery(recovery),
      m_host(host),
      FileTypeMenu(new QMenu(&window)) {
    FileTypeMenu->setObjectName(QStringLiteral("FileTypeMenu"));
}

bool DocumentCommands::ModIsOpen() const {
    return m_mod && m_mod->IsOpen();
}

void DocumentCommands::LeaveMod() {
    if (!ModIsOpen()) return;
    m_mod->Close();
    m_diskChanges.WatchFiles();  // the kinds that went are watched no more
    BuildFileTypeMenu();  // without the marks of the read-only kinds
}

bool DocumentCommands::ModifiedSavedOrDontCare() {
    m_windows.CommitOpenEdits();
    if (ModIsOpen()) return m_mod->SavedOrDontCare();
    if (!Unsaved()) return true;
    switch (m_boxes.Confirm("Save changes to " + UnsavedNames() + "?")) {
        case BoxAnswer::Yes:
            return Save1Click();
        case BoxAnswer::No:
            m_recovery.Discard();  // the user's own choice: the changes are not to come back
            return true;
        default:
            return false;
    }
}

bool DocumentCommands::Unsaved() const {
    return m_layers ? m_layers->Unsaved() : m_workspace.Doc().Modified();
}

std::string DocumentCommands::UnsavedNames() const {
    if (!m_layers) return ExtractFileName(m_workspace.Doc().FileName());
    std::string names;
    for (const std::string& name : m_layers->UnsavedFiles()) names += (names.empty() ? "" : ", ") + name;
    return names;
}

bool DocumentCommands::IsDefaultFileOrUntitleNew(const std::string& Name) {
    if (EqualsNoCase(Name, m_globals.DefaultFileName)) {
        m_boxes.Plain(
            "Default",
            "Cannot use the name " + m_globals.DefaultFileName + ", use text editor to create default file.",
            false);
        return true;
    }
    return EqualsNoCase(Name, m_globals.UntitledName);
}

bool DocumentCommands::FileExistOK(const std::string& Name) {
    std::error_code error;
    if (!std::filesystem::exists(platform::ToPath(Name), error)) return true;
    return m_boxes.Plain("Existing File",
                         "File:\r\n" + Name + "\r\nis already exist.\r\n\r\nOverwrite file ?",
                         true) == BoxAnswer::Ok;
}

bool DocumentCommands::Save1Click() {
    m_windows.CommitOpenEdits();
    if (ModIsOpen()) return m_mod->Save();
    const std::string name = m_workspace.Doc().FileName();
    if (IsDefaultFileOrUntitleNew(name)) return SaveAs1Click(name);
    if (!Unsaved()) {
        m_boxes.Notice("No modification. Saving is not performed.");
        return true;
    }
    return WriteDocument(name);
}

bool DocumentCommands::WriteDocument(const std::string& Name) {
    if (!m_workspace.Doc().HasDocument()) return true;  // a start-up that failed left no document
    // Save As to another name has asked about that file; a save in place asks when another program
    // changed the file since it was read, so that its change is never overwritten unseen.
    if (m_workspace.Doc().FileName() == Name && !m_diskChanges.OverwriteChangedFileOK()) return false;
    if (m_layers && !OverwriteChangedLayerOK()) return false;
    // The new name is the document's only once it is written: a save that fails leaves the
    // title, the next save and the recovery copy on the old one.
    // With layers, every changed file of the stack goes with the document: a save of the document
    // alone would mark a layer's edits saved that no file holds.
    if (m_layers)
        m_layers->SaveAs(Name);
    else
        SaveDocumentAs(m_workspace, Name);
    m_diskChanges.WatchFiles();  // a new name, or a file written anew
    m_host.SetBannerCaption();
    return true;
}

bool DocumentCommands::OverwriteChangedLayerOK() {
    const std::optional<std::string> changed = LayerChangedOnDisk(m_layers->Stack());
    if (!changed) return true;
    return m_boxes.Confirm(*changed + "\r\nchanged on disk since it was read. Overwrite it with the edits made here?") ==
           BoxAnswer::Yes;
}

bool DocumentCommands::SaveAs1Click(const std::string& ProposedName) {
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
        m_windows.CommitOpenEdits();
        return WriteDocument(*name);
    }
}

void DocumentCommands::New1Click() {
    if (!ModifiedSavedOrDontCare()) return;
    m_host.CloseCategoryWindows();
    LeaveMod();
    m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(m_globals.UntitledName, true);
    // A new document counts as changed until it is saved, so leaving it asks whether to keep it.
    m_workspace.Doc().Restart(true);
}

void DocumentCommands::Open1Click() {
    std::optional<std::string> name = m_boxes.OpenFileName(OpenFilter, std::string());
    if (name) OpenProcess(*name);
}

void DocumentCommands::OpenExistingDocument(const std::string& Name) {
    if (!platform::IsRegularFile(Name)) throw IniError::CannotOpen(Name);
    OpenProcess(Name);
}

void DocumentCommands::OpenProcess(const std::string& Name) {
    if (!ModifiedSavedOrDontCare()) return;
    m_host.CloseCategoryWindows();
    LeaveMod();
    m_workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(Name, false);
    m_host.OfferRecoveriesOf(Name);
}

void DocumentCommands::Save1ClickMenu() {
    Save1Click();
}

void DocumentCommands::SaveAs1ClickMenu() {
    SaveAs1Click(m_workspace.Doc().FileName());
}

void DocumentCommands::NewDefinition1Click() {
    if (!m_workspace.Doc().HasDocument()) return;  // a start-up that failed left no document
    const std::string definition = m_workspace.DefinitionFileName();
    std::string question = "Write a new definition file " + definition + " from the document " +
                           ExtractFileName(m_workspace.Doc().FileName()) + "?";
    if (platform::IsRegularFile(definition))
        question +=
            "\r\nThe present file is kept as " + ExtractFileName(DefinitionBackupFileName(m_workspace)) + ".";
    if (m_boxes.Confirm(question) != BoxAnswer::Yes) return;
    m_windows.CommitOpenEdits();

    // The scaffold is the document's, with the sections of the mod's other kinds for the keys that
    // name them; the open document stays as it is, and the new file is taken into use only when
    // the user says so.
    ReplaceDefinitionFile(m_workspace, ModIsOpen() ? m_mod->Kinds() : std::vector<const Workspace*>{});
    // Written here at the user's word: not another program's change to read again unasked.
    m_workspace.RestampDefinition();
    std::string load = "The new definition file is written. Load it now for the open document?";
    const Document& edits = m_workspace.Doc();
    if (edits.CanUndo() || edits.CanRedo()) load += "\r\nThe edits made so far can then no longer be undone.";
    if (m_boxes.Confirm(load) != BoxAnswer::Yes) return;
    m_host.CloseCategoryWindows();
    m_workspace.LoadDefinitionKeepingDocument();
}

void DocumentCommands::MyFormCloseQuery(bool& CanClose) {
    CanClose = ModifiedSavedOrDontCare();
}

void DocumentCommands::ProgramFolder1Click() {
    if (!m_folderChoice || !ModifiedSavedOrDontCare()) return;
    std::optional<std::string> dir = m_folderChoice->Ask(m_globals.ProgramDir);
    if (!dir) return;
    m_host.CloseCategoryWindows();
    LeaveMod();
    EnterProgramFolder(*dir);
    m_folderChoice->Remember(*dir);
    m_host.StartInProgramFolder(WorkingFolder());
}

void DocumentCommands::SwitchFileType(QAction* MenuItem) {
    const QByteArray bytes = MenuItem->data().toByteArray();
    const std::string caption(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (caption == m_workspace.FileToEdit()) return;
    if (ModIsOpen()) {
        m_mod->ShowKind(caption);
        return;
    }
    if (m_boxes.Confirm("Change the type of file to edit to " + caption) != BoxAnswer::Yes) return;
    if (!ModifiedSavedOrDontCare()) return;
    m_host.CloseCategoryWindows();
    m_workspace.ChooseFileType(caption);
    m_workspace.BeginToLoadNONBASIC();
}

// ---------------------------------------------------------------------------------------------
// The menu of file types

void DocumentCommands::BuildFileTypeMenu() {
    FileTypeMenu->clear();
    FileTypeMenu->addAction(QStringLiteral("Files to Edit:"))->setEnabled(false);  // a heading, not a choice
    FileTypeMenu->addSeparator();
    for (size_t i = 0; i < m_workspace.FilesToEdit().Count(); ++i)
        CreatePopUpMenuItemList(m_workspace.FilesToEdit().Name(i));
}

void DocumentCommands::CreatePopUpMenuItemList(const std::string& Caption) {
    QAction* item = FileTypeMenu->addAction(ToCaption(Caption + (ModIsOpen() ? m_mod->ReadOnlyNote(Caption) : "")));
    item->setData(QByteArray(Caption.data(), static_cast<qsizetype>(Caption.size())));
    item->setCheckable(true);
    QObject::connect(item, &QAction::triggered, item, [this, item] {
        RunEventHandler(m_boxes, [this, item] { SwitchFileType(item); });
        MarkCurrentFileType();  // a switch the user called off leaves the mark where it was
    });
}

void DocumentCommands::MarkCurrentFileType() {
    const std::string& current = m_workspace.FileToEdit();
    const QByteArray bytes(current.data(), static_cast<qsizetype>(current.size()));
    for (QAction* item : FileTypeMenu->actions())
        if (item->isCheckable()) item->setChecked(item->data().toByteArray() == bytes);
}

void DocumentCommands::PopUpFileTypes(const QPoint& at) {
    FileTypeMenu->popup(at);
}

}  // namespace velmora
