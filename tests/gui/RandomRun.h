// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The parts of the random-action run that are not actions: its random numbers, the record of what
// it did (printed when it fails or the program dies), boxes and dialogs answered at random, and the
// check of every file the program writes.

#include <QObject>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/ScriptedBoxes.h"

class QWidget;

namespace velmora {
class ValueChoiceDialog;
class CodeNameDialog;
}  // namespace velmora

namespace velmora::testing {

// Input as the window system delivers it: through the widget's window, at a point of the widget,
// or to whatever has the focus in the window.
void ClickAt(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = {});
void DoubleClickAt(QWidget* widget, QPoint at);
void PressKeyIn(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
// Character by character, each with its text, whatever its key (the test library's own typing
// takes ASCII only).
void TypeIn(QWidget& window, const QString& text);

// The run's random numbers, from one seed: the same seed gives the same run.
class Dice {
  public:
    explicit Dice(uint64_t seed) : m_engine(seed) {}

    // 0 to n - 1; n must be above 0.
    int Below(int n) { return static_cast<int>(m_engine() % static_cast<uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
    }

  private:
    std::mt19937_64 m_engine;
};

// What the run did, one line per action or answer; the last lines are kept for the report. While
// a log is current, a crash or a sanitizer's report prints it before the program ends.
class ActionLog {
  public:
    explicit ActionLog(uint64_t seed);
    ~ActionLog();
    ActionLog(const ActionLog&) = delete;
    ActionLog& operator=(const ActionLog&) = delete;
    ActionLog(ActionLog&&) = delete;
    ActionLog& operator=(ActionLog&&) = delete;

    void Action(int number, const std::string& text);
    void Detail(const std::string& text);
    // The seed, how to repeat the run, and the last lines.
    std::string Report() const;

  private:
    uint64_t m_seed;
    std::deque<std::string> m_recent;
};

// The program's boxes answered at random from the offered buttons, and file dialogs answered with
// Cancel or one of the names given. Every box is logged; error boxes are kept, for a run that
// uses only sound files and folders shows none.
class RandomBoxes : public ScriptedBoxes {
  public:
    RandomBoxes(Dice& dice, ActionLog& log) : m_dice(dice), m_log(log) {}

    // The names the save and the open dialogs choose from (full paths).
    std::vector<std::string> saveNames;
    std::vector<std::string> openNames;
    std::vector<std::string> errors;

    void Notice(const std::string& text) override;
    BoxAnswer Plain(const std::string& caption, const std::string& text, bool withCancel) override;
    BoxAnswer Confirm(const std::string& text) override;
    BoxAnswer Warning(const std::string& text) override;
    void Error(const std::string& text) override;
    std::optional<std::string> OpenFileName(const std::string& filter,
                                            const std::string& proposedName) override;
    std::optional<std::string> SaveFileName(const std::string& filter,
                                            const std::string& proposedName) override;

  private:
    BoxAnswer Choose(const std::string& text, const std::vector<BoxAnswer>& offered);
    std::optional<std::string> ChooseName(const char* dialog, const std::vector<std::string>& names);

    Dice& m_dice;
    ActionLog& m_log;
};

// Answers the value choice dialog and the code and name dialog at random, as the user would, once
// each is shown modally: picks, list switches, the users menu, typed codes and names, then a way
// out. A dialog that is still open afterwards is cancelled, so a run never waits.
class DialogAnswers : public QObject {
  public:
    DialogAnswers(Dice& dice, ActionLog& log);
    ~DialogAnswers() override;

    // A new user action: the code and name dialog is given up after a few refusals in one action.
    void NextAction() { m_codeAttempts = 0; }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    void AnswerChoice(ValueChoiceDialog& dialog);
    void AnswerCodeAndName(CodeNameDialog& dialog);

    Dice& m_dice;
    ActionLog& m_log;
    int m_codeAttempts = 0;
};

// The files of the installation's folder as last seen. A file the program wrote since must load
// and format back to exactly the bytes written.
class WrittenFiles {
  public:
    explicit WrittenFiles(std::filesystem::path folder);

    // Empty when every file written since the last look reads back; else what did not.
    std::string CheckNewWrites();
    int Checked() const { return m_checked; }

  private:
    struct Seen {
        std::filesystem::file_time_type time;
        uintmax_t size = 0;
        std::string bytes;
    };

    std::filesystem::path m_folder;
    std::map<std::filesystem::path, Seen> m_seen;
    int m_checked = 0;
};

}  // namespace velmora::testing
