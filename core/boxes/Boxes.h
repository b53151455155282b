// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class BoxAnswer { Ok, Cancel, Yes, No, Ignore };

// The answer to a question over a list: the button pressed and the item picked when it was.
struct ListAnswer {
    size_t Button = 0;
    size_t Item = 0;
};

// Every message box and file dialog of the program goes through this interface. The program
// shows real dialogs; tests answer from a queue and record what was asked; the command-line
// tool prints the boxes and takes their first button.
class Boxes {
public:
    virtual ~Boxes() = default;

    // A notice: the application's title as caption, the text, one OK button, no icon.
    virtual void Notice(const std::string& text) = 0;
    // A plain box: its own caption, the text, OK alone or OK and Cancel, no icon. Esc gives Cancel.
    virtual BoxAnswer Plain(const std::string& caption, const std::string& text, bool withCancel) = 0;
    // A confirmation: caption "Confirm", question icon, "&Yes", "&No" and "Cancel"; Yes is the
    // default and Esc gives Cancel.
    virtual BoxAnswer Confirm(const std::string& text) = 0;
    // A confirmation as Confirm with a box to tick for each of `choices` below the text, none
    // ticked at first; `ticked` gets one flag per choice. Boxes without ticks of their own (the
    // command-line tool) list the choices in the text and tick none.
    virtual BoxAnswer ConfirmWithChoices(const std::string& text, const std::vector<std::string>& choices,
                                         std::vector<bool>& ticked) {
        ticked.assign(choices.size(), false);
        std::string listed = text;
        for (const std::string& choice : choices) listed += "\r\n" + choice;
        return Confirm(listed);
    }
    // A question with buttons of its own ("&Restore", "&Discard", "&Compare..."): caption "Confirm",
    // question icon, the first button the default. The answer is the index of the button pressed;
    // Esc gives the last. Boxes without buttons of their own (the command-line tool) list the
    // buttons in the text and ask Confirm: Yes for the first, No for the second, else the last.
    virtual size_t Choose(const std::string& text, const std::vector<std::string>& buttons) {
        std::string listed = text;
        for (const std::string& button : buttons) listed += "\r\n" + button;
        const BoxAnswer answer = Confirm(listed);
        const size_t last = buttons.empty() ? 0 : buttons.size() - 1;
        if (answer == BoxAnswer::Yes) return 0;
        return answer == BoxAnswer::No ? std::min<size_t>(1, last) : last;
    }
    // A question over a list of `items` to pick one from, with buttons of its own that act on it
    // ("&Restore", "&Discard"...): as Choose, the items below the text, one a row (an item may take
    // several lines), the first one picked at first. Esc gives the last button. Boxes without a
    // list of their own list the items in the text and ask Choose, for the first item.
    virtual ListAnswer ChooseFromList(const std::string& text, const std::vector<std::string>& items,
                                      const std::vector<std::string>& buttons) {
        std::string listed = text;
        for (const std::string& item : items) listed += "\r\n" + item;
        return {Choose(listed, buttons), 0};
    }
    // A warning: caption "Warning", warning icon, "OK" and "&Ignore".
    virtual BoxAnswer Warning(const std::string& text) = 0;
    // An error that ended a command (the general handler), or the platform's error text.
    virtual void Error(const std::string& text) = 0;

    // File choice. `filter` is "description|pattern|description|pattern..."; `proposedName` presets
    // the file name. Empty result: the user cancelled.
    virtual std::optional<std::string> OpenFileName(const std::string& filter,
                                                    const std::string& proposedName) = 0;
    virtual std::optional<std::string> SaveFileName(const std::string& filter,
                                                    const std::string& proposedName) = 0;
    // Folder choice, with its own caption, starting in `proposedDir`. Empty result: cancelled.
    virtual std::optional<std::string> FolderName(const std::string& caption, const std::string& proposedDir) = 0;
};

}  // namespace velmora
