// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedBoxes.h"

#include <algorithm>

namespace velmora::testing {

ScriptedBoxes::ScriptedBoxes(std::string applicationTitle) : m_title(std::move(applicationTitle)) {}

std::vector<std::string> ScriptedBoxes::TextsOf(BoxKind kind) const {
    std::vector<std::string> texts;
    for (const auto& box : m_shown)
        if (box.kind == kind) texts.push_back(box.text);
    return texts;
}

BoxAnswer ScriptedBoxes::Answer(const ShownBox& box, const std::vector<BoxAnswer>& offered) {
    m_shown.push_back(box);
    if (m_answers.empty()) throw UnscriptedBox("no answer scripted for the box \"" + box.text + "\"");
    BoxAnswer answer = m_answers.front();
    m_answers.pop_front();
    if (std::find(offered.begin(), offered.end(), answer) == offered.end())
        throw UnscriptedBox("the scripted answer is not a button of the box \"" + box.text + "\"");
    return answer;
}

std::optional<std::string> ScriptedBoxes::FileName(ShownBox box) {
    m_shown.push_back(box);
    if (m_fileNames.empty()) throw UnscriptedBox("no file name scripted for the dialog proposing \"" + box.text + "\"");
    std::optional<std::string> name = std::move(m_fileNames.front());
    m_fileNames.pop_front();
    return name;
}

void ScriptedBoxes::Notice(const std::string& text) { m_shown.push_back({BoxKind::Notice, m_title, text, {"OK"}, {}}); }

BoxAnswer ScriptedBoxes::Plain(const std::string& caption, const std::string& text, bool withCancel) {
    if (!withCancel) return Answer({BoxKind::Plain, caption, text, {"OK"}, {}}, {BoxAnswer::Ok});
    return Answer({BoxKind::Plain, caption, text, {"OK", "Cancel"}, {}}, {BoxAnswer::Ok, BoxAnswer::Cancel});
}

BoxAnswer ScriptedBoxes::Confirm(const std::string& text) {
    return Answer({BoxKind::Confirm, "Confirm", text, {"&Yes", "&No", "Cancel"}, {}},
                  {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::Cancel});
}

BoxAnswer ScriptedBoxes::ConfirmWithChoices(const std::string& text, const std::vector<std::string>& choices,
                                            std::vector<bool>& ticked) {
    std::string listed = text;
    for (const std::string& choice : choices) listed += "\r\n[ ] " + choice;
    const BoxAnswer answer = Confirm(listed);
    ticked.assign(choices.size(), false);
    if (!m_ticks.empty()) {
        const std::vector<bool>& given = m_ticks.front();
        for (size_t i = 0; i < given.size() && i < ticked.size(); ++i) ticked[i] = given[i];
        m_ticks.pop_front();
    }
    return answer;
}

size_t ScriptedBoxes::Choose(const std::string& text, const std::vector<std::string>& buttons) {
    m_shown.push_back({BoxKind::Confirm, "Confirm", text, buttons, {}});
    if (m_choices.empty()) throw UnscriptedBox("no choice scripted for the box \"" + text + "\"");
    const size_t index = m_choices.front();
    m_choices.pop_front();
    if (index >= buttons.size()) throw UnscriptedBox("the scripted choice is not a button of the box \"" + text + "\"");
    return index;
}

ListAnswer ScriptedBoxes::ChooseFromList(const std::string& text, const std::vector<std::string>& items,
                                         const std::vector<std::string>& buttons) {
    std::string listed = text;
    for (const std::string& item : items) listed += "\r\n* " + item;
    m_shown.push_back({BoxKind::Confirm, "Confirm", listed, buttons, {}});
    if (m_listChoices.empty()) throw UnscriptedBox("no choice scripted for the list \"" + text + "\"");
    const ListAnswer answer = m_listChoices.front();
    m_listChoices.pop_front();
    if (answer.Button >= buttons.size() || answer.Item >= items.size())
        throw UnscriptedBox("the scripted choice is not a button or an item of the list \"" + text + "\"");
    return answer;
}

BoxAnswer ScriptedBoxes::Warning(const std::string& text) {
    return Answer({BoxKind::Warning, "Warning", text, {"OK", "&Ignore"}, {}}, {BoxAnswer::Ok, BoxAnswer::Ignore});
}

void ScriptedBoxes::Error(const std::string& text) { m_shown.push_back({BoxKind::Error, m_title, text, {"OK"}, {}}); }

std::optional<std::string> ScriptedBoxes::OpenFileName(const std::string& filter, const std::string& proposedName) {
    return FileName({BoxKind::OpenFile, {}, proposedName, {}, filter});
}

std::optional<std::string> ScriptedBoxes::SaveFileName(const std::string& filter, const std::string& proposedName) {
    return FileName({BoxKind::SaveFile, {}, proposedName, {}, filter});
}

std::optional<std::string> ScriptedBoxes::FolderName(const std::string& caption, const std::string& proposedDir) {
    return FileName({BoxKind::Folder, caption, proposedDir, {}, {}});
}

}  // namespace velmora::testing
