// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/boxes/Boxes.h"

namespace velmora::testing {

enum class BoxKind { Notice, Plain, Confirm, Warning, Error, OpenFile, SaveFile, Folder };

// One box or file dialog as the code under test asked for it.
struct ShownBox {
    BoxKind kind;
    std::string caption;
    std::string text;  // for file and folder dialogs: the proposed name
    std::vector<std::string> buttons;
    std::string filter;  // file dialogs only
};

// Thrown when the code asks a question the test did not script an answer for, or is given an
// answer its box does not offer: a test must never pass on a guessed answer.
class UnscriptedBox : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// The boxes of the program for tests: every question is answered from a queue the test fills
// beforehand, and every box and file dialog shown is recorded. Notices and error boxes have a
// single button and take no answer.
class ScriptedBoxes : public Boxes {
public:
    explicit ScriptedBoxes(std::string applicationTitle = "VelmoraEdit");

    void EnqueueAnswer(BoxAnswer answer) { m_answers.push_back(answer); }
    // Answers the next file or folder dialog; an empty name answers it with Cancel.
    void EnqueueFileName(std::optional<std::string> fileName) { m_fileNames.push_back(std::move(fileName)); }
    // Ticks the boxes of the next question with choices (in their order); none without.
    void EnqueueTicks(std::vector<bool> ticks) { m_ticks.push_back(std::move(ticks)); }

    // Answers the next Choose with the button at `index`.
    void EnqueueChoice(size_t index) { m_choices.push_back(index); }
    // Answers the next ChooseFromList with the button at `button`, the item at `item` picked.
    void EnqueueListChoice(size_t button, size_t item) { m_listChoices.push_back({button, item}); }

    const std::vector<ShownBox>& Shown() const { return m_shown; }
    // The texts of the boxes of one kind, in the order they were shown.
    std::vector<std::string> TextsOf(BoxKind kind) const;
    size_t PendingAnswers() const {
        return m_answers.size() + m_fileNames.size() + m_ticks.size() + m_choices.size() + m_listChoices.size();
    }
    void ClearRecord() { m_shown.clear(); }

    void Notice(const std::string& text) override;
    BoxAnswer Plain(const std::string& caption, const std::string& text, bool withCancel) override;
    BoxAnswer Confirm(const std::string& text) override;
    // Recorded as a confirmation whose text lists the choices, one a line.
    BoxAnswer ConfirmWithChoices(const std::string& text, const std::vector<std::string>& choices,
                                 std::vector<bool>& ticked) override;
    // Recorded as a confirmation with the buttons offered.
    size_t Choose(const std::string& text, const std::vector<std::string>& buttons) override;
    // Recorded as a confirmation whose text lists the items, one a line after "* ".
    ListAnswer ChooseFromList(const std::string& text, const std::vector<std::string>& items,
                              const std::vector<std::string>& buttons) override;
    BoxAnswer Warning(const std::string& text) override;
    void Error(const std::string& text) override;
    std::optional<std::string> OpenFileName(const std::string& filter, const std::string& proposedName) override;
    std::optional<std::string> SaveFileName(const std::string& filter, const std::string& proposedName) override;
    std::optional<std::string> FolderName(const std::string& caption, const std::string& proposedDir) override;

private:
    BoxAnswer Answer(const ShownBox& box, const std::vector<BoxAnswer>& offered);
    std::optional<std::string> FileName(ShownBox box);

    std::string m_title;
    std::deque<BoxAnswer> m_answers;
    std::deque<std::optional<std::string>> m_fileNames;
    std::deque<std::vector<bool>> m_ticks;
    std::deque<size_t> m_choices;
    std::deque<ListAnswer> m_listChoices;
    std::vector<ShownBox> m_shown;
};

}  // namespace velmora::testing
