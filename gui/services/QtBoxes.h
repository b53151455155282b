// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/boxes/Boxes.h"

class QWidget;

namespace velmora {

// The program's message boxes and file dialogs, shown with Qt's own dialogs over the window the
// user is working in (the owner window when the user was in none of the program's windows).
// Texts and paths cross as bytes (Latin-1); line breaks written "\r\n" show as one break.
class QtBoxes final : public Boxes {
public:
    explicit QtBoxes(QWidget* owner);
    ~QtBoxes() override;
    QtBoxes(const QtBoxes&) = delete;
    QtBoxes& operator=(const QtBoxes&) = delete;
    // The window the boxes are centred on and modal to; it may come to exist after the boxes.
    void SetOwner(QWidget* owner) { m_owner = owner; }

    void Notice(const std::string& text) override;
    BoxAnswer Plain(const std::string& caption, const std::string& text, bool withCancel) override;
    BoxAnswer Confirm(const std::string& text) override;
    BoxAnswer ConfirmWithChoices(const std::string& text, const std::vector<std::string>& choices,
                                 std::vector<bool>& ticked) override;
    size_t Choose(const std::string& text, const std::vector<std::string>& buttons) override;
    ListAnswer ChooseFromList(const std::string& text, const std::vector<std::string>& items,
                              const std::vector<std::string>& buttons) override;
    BoxAnswer Warning(const std::string& text) override;
    void Error(const std::string& text) override;

    std::optional<std::string> OpenFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    std::optional<std::string> FolderName(const std::string& caption, const std::string& proposedDir) override;

    // For a start driven by a script (the check of an installed program): every folder question
    // is answered with `dir` and no dialog is shown.
    void AnswerFolderQuestionsWith(std::string dir) { m_folderAnswer = std::move(dir); }

private:
    QWidget* Owner() const;

    QPointer<QWidget> m_owner;
    std::optional<std::string> m_folderAnswer;
    // The window that had the focus last, as the application told it to the watch.
    std::unique_ptr<QObject> m_focusWatch;
    QPointer<QWidget> m_lastFocused;
};

// "description|pattern|description|pattern" as Qt's name filters: "description (patterns)" each,
// patterns separated by blanks, "*.*" meaning every file.
QStringList QtNameFilters(const std::string& filter);

}  // namespace velmora
