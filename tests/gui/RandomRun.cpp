// SPDX-License-Identifier: GPL-3.0-or-later
#include "RandomRun.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "gui/dialogs/ValueChoiceDialog.h"
#include "gui/dialogs/CodeNameDialog.h"
#include "core/store/IniError.h"
#include "core/store/IniStore.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
#define VELMORA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define VELMORA_SANITIZED 1
#endif
#endif
#ifdef VELMORA_SANITIZED
extern "C" void __sanitizer_set_death_callback(void (*callback)(void));
#endif
#ifndef _WIN32
#include <signal.h>
#endif

namespace velmora::testing {

namespace {

constexpr size_t RecentLines = 30;

// ---------------------------------------------------------------------------------------------
// The report of a run that dies: a crash signal or a sanitizer's report prints the current log.

const ActionLog* currentLog = nullptr;

void PrintCurrentLog() {
    if (!currentLog) return;
    const std::string report = currentLog->Report();
    std::fputs(report.c_str(), stderr);
    std::fflush(stderr);
    currentLog = nullptr;  // once
}

#ifndef _WIN32
constexpr int CrashSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};
struct sigaction previousActions[std::size(CrashSignals)];

// Prints the log, then hands the signal to whoever handled it before (the test library prints
// its own report and ends the program).
void OnCrash(int signal) {
    PrintCurrentLog();
    for (size_t i = 0; i < std::size(CrashSignals); ++i)
        if (CrashSignals[i] == signal) sigaction(signal, &previousActions[i], nullptr);
    raise(signal);
}

void CatchCrashes() {
    for (size_t i = 0; i < std::size(CrashSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = OnCrash;
        sigemptyset(&action.sa_mask);
        sigaction(CrashSignals[i], &action, &previousActions[i]);
    }
}

void ReleaseCrashes() {
    for (size_t i = 0; i < std::size(CrashSignals); ++i)
        sigaction(CrashSignals[i], &previousActions[i], nullptr);
}
#else
void CatchCrashes() {}
void ReleaseCrashes() {}
#endif

// A dialog opened by a press (a double-click, a right click) is on screen before the user lifts
// the finger: the release comes first, wherever the pointer is.
void ReleaseButtons(QWidget& dialog) {
    const Qt::MouseButtons held = QGuiApplication::mouseButtons();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
        if (held.testFlag(button)) QTest::mouseRelease(dialog.windowHandle(), button, {}, QPoint(1, 1));
}

std::string Quoted(const std::string& text, size_t longest = 70) {
    std::string line;
    for (char c : text)
        line += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    if (line.size() > longest) line = line.substr(0, longest - 3) + "...";
    return "\"" + line + "\"";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Input

void ClickAt(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), button, modifiers, widget->mapTo(top, at));
}

void DoubleClickAt(QWidget* widget, QPoint at) {
    QWidget* top = widget->window();
    QTest::mouseDClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
}

void PressKeyIn(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

void TypeIn(QWidget& window, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key =
            c.unicode() < 0x80 && c.isLetterOrNumber() ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window.windowHandle(), key, QString(c), Qt::NoModifier);
    }
}

// ---------------------------------------------------------------------------------------------
// ActionLog

ActionLog::ActionLog(uint64_t seed) : m_seed(seed) {
    currentLog = this;
    CatchCrashes();
#ifdef VELMORA_SANITIZED
    __sanitizer_set_death_callback(PrintCurrentLog);
#endif
}

ActionLog::~ActionLog() {
    if (currentLog == this) currentLog = nullptr;
    ReleaseCrashes();
}

void ActionLog::Action(int number, const std::string& text) {
    m_recent.push_back("#" + std::to_string(number) + " " + text);
    while (m_recent.size() > RecentLines) m_recent.pop_front();
}

void ActionLog::Detail(const std::string& text) {
    m_recent.push_back("     " + text);
    while (m_recent.size() > RecentLines) m_recent.pop_front();
}

std::string ActionLog::Report() const {
    std::ostringstream report;
    report << "\nRandom actions with seed " << m_seed
           << " (repeat the run with VELMORA_RANDOM_SEED=" << m_seed << "); the last actions:\n";
    for (const std::string& line : m_recent) report << "  " << line << "\n";
    return report.str();
}

// ---------------------------------------------------------------------------------------------
// RandomBoxes

BoxAnswer RandomBoxes::Choose(const std::string& text, const std::vector<BoxAnswer>& offered) {
    static const char* const names[] = {"OK", "Cancel", "Yes", "No", "Ignore"};
    const BoxAnswer answer = m_dice.Pick(offered);
    m_log.Detail("box " + Quoted(text) + " -> " + names[static_cast<int>(answer)]);
    EnqueueAnswer(answer);
    return answer;
}

void RandomBoxes::Notice(const std::string& text) {
    m_log.Detail("notice " + Quoted(text));
    ScriptedBoxes::Notice(text);
}

BoxAnswer RandomBoxes::Plain(const std::string& caption, const std::string& text, bool withCancel) {
    if (withCancel)
        Choose(text, {BoxAnswer::Ok, BoxAnswer::Cancel});
    else
        Choose(text, {BoxAnswer::Ok});
    return ScriptedBoxes::Plain(caption, text, withCancel);
}

BoxAnswer RandomBoxes::Confirm(const std::string& text) {
    Choose(text, {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::Cancel});
    return ScriptedBoxes::Confirm(text);
}

BoxAnswer RandomBoxes::Warning(const std::string& text) {
    Choose(text, {BoxAnswer::Ok, BoxAnswer::Ignore});
    return ScriptedBoxes::Warning(text);
}

void RandomBoxes::Error(const std::string& text) {
    m_log.Detail("ERROR " + Quoted(text));
    errors.push_back(text);
    ScriptedBoxes::Error(text);
}

std::optional<std::string> RandomBoxes::ChooseName(const char* dialog,
                                                   const std::vector<std::string>& names) {
    std::optional<std::string> name;
    if (!names.empty() && !m_dice.Chance(25)) name = m_dice.Pick(names);
    m_log.Detail(std::string(dialog) + " -> " + (name ? Quoted(*name) : std::string("Cancel")));
    EnqueueFileName(name);
    return name;
}

std::optional<std::string> RandomBoxes::OpenFileName(const std::string& filter,
                                                     const std::string& proposedName) {
    ChooseName("open dialog", openNames);
    return ScriptedBoxes::OpenFileName(filter, proposedName);
}

std::optional<std::string> RandomBoxes::SaveFileName(const std::string& filter,
                                                     const std::string& proposedName) {
    ChooseName("save dialog", saveNames);
    return ScriptedBoxes::SaveFileName(filter, proposedName);
}

// ---------------------------------------------------------------------------------------------
// DialogAnswers

DialogAnswers::DialogAnswers(Dice& dice, ActionLog& log) : m_dice(dice), m_log(log) {
    qApp->installEventFilter(this);
}

DialogAnswers::~DialogAnswers() {
    qApp->removeEventFilter(this);
}

// The dialog is shown right before its modal loop runs; the answer comes once the loop runs.
bool DialogAnswers::eventFilter(QObject* object, QEvent* event) {
    if (event->type() != QEvent::Show) return false;
    if (auto* choice = qobject_cast<ValueChoiceDialog*>(object))
        QTimer::singleShot(0, choice, [this, choice] { AnswerChoice(*choice); });
    else if (auto* codeAndName = qobject_cast<CodeNameDialog*>(object))
        QTimer::singleShot(0, codeAndName, [this, codeAndName] { AnswerCodeAndName(*codeAndName); });
    return false;
}

void DialogAnswers::AnswerChoice(ValueChoiceDialog& dialog) {
    ReleaseButtons(dialog);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    auto* values = dialog.findChild<QPushButton*>(QStringLiteral("ValuesButton"));
    const auto itemCentre = [list](int row) {
        list->scrollToItem(list->item(row));
        return list->viewport()->mapTo(list, list->visualItemRect(list->item(row)).center());
    };
    std::string steps = "value choice dialog (" + std::to_string(list->count()) + " items):";
    for (int n = m_dice.Below(4); n > 0; --n) {
        const int count = list->count();
        const int step = m_dice.Below(4);
        if (step == 0 && count > 0) {
            const int row = m_dice.Below(count);
            const Qt::KeyboardModifiers modifiers =
                m_dice.Pick(std::vector<Qt::KeyboardModifiers>{{}, Qt::ControlModifier, Qt::ShiftModifier});
            ClickAt(list, itemCentre(row), Qt::LeftButton, modifiers);
            steps += " pick " + std::to_string(row);
        } else if (step == 1 && values->isEnabled()) {
            ClickAt(values, values->rect().center());
            steps += " switch list";
        } else if (step == 2 && count > 0) {
            ClickAt(list, itemCentre(m_dice.Below(count)), Qt::RightButton);
            steps += " users menu";
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                if (m_dice.Chance(50)) {
                    PressKeyIn(*menu, Qt::Key_Escape);
                    steps += " closed by Escape";
                } else {
                    ClickAt(menu, QPoint(menu->width() / 2, 8));
                    steps += " closed by a click";
                }
                if (QApplication::activePopupWidget() == menu) {
                    steps += " (still open)";
                    menu->close();
                }
            }
        } else {
            PressKeyIn(dialog, m_dice.Chance(50) ? Qt::Key_Down : Qt::Key_Up);
            steps += " arrow";
        }
    }
    switch (m_dice.Below(6)) {
        case 0:
        case 1:
            ClickAt(dialog.findChild<QPushButton*>(QStringLiteral("OKButton")), QPoint(10, 10));
            steps += ", OK";
            break;
        case 2:
            ClickAt(dialog.findChild<QPushButton*>(QStringLiteral("CancelButton")), QPoint(10, 10));
            steps += ", Cancel";
            break;
        case 3:
            if (list->count() > 0) {
                DoubleClickAt(list, itemCentre(m_dice.Below(list->count())));
                steps += ", double-click";
                break;
            }
            [[fallthrough]];
        case 4:
            PressKeyIn(dialog, m_dice.Chance(50) ? Qt::Key_Return : Qt::Key_Escape);
            steps += ", Enter or Escape";
            break;
        default:
            dialog.close();
            steps += ", closed";
            break;
    }
    if (dialog.isVisible()) {
        steps += ", left open: cancelled";
        dialog.reject();
    }
    m_log.Detail(steps);
}

void DialogAnswers::AnswerCodeAndName(CodeNameDialog& dialog) {
    ReleaseButtons(dialog);
    static int fresh = 0;
    auto* code = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("Edit2"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OKButton1"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("CancelButton2"));
    std::string steps = "code and name dialog " + Quoted(code->text().toStdString()) + ":";
    ++m_codeAttempts;
    if (m_codeAttempts > 3 || m_dice.Chance(20)) {
        ClickAt(cancel, QPoint(10, 10));
        steps += " Cancel";
    } else {
        if (m_dice.Chance(60)) {
            const std::vector<QString> codes = {QStringLiteral("NEW%1").arg(++fresh),
                                                QStringLiteral("ROCK=ETS"),
                                                QStringLiteral("A,B"),
                                                QStringLiteral(" LEAD"),
                                                QStringLiteral("TRAIL "),
                                                QStringLiteral("BR]"),
                                                QStringLiteral("SEMI;"),
                                                QString(),
                                                QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"),
                                                QStringLiteral(u"\u20ACURO"),
                                                QStringLiteral("GRUNT"),
                                                QStringLiteral("grunt"),
                                                QStringLiteral(u"\u00C9T\u00C9%1").arg(++fresh)};
            const QString typed = m_dice.Pick(codes);
            code->setFocus();
            code->selectAll();
            PressKeyIn(dialog, Qt::Key_Backspace);
            TypeIn(dialog, typed);
            steps += " code " + Quoted(typed.toStdString());
        }
        if (name->isEnabled() && m_dice.Chance(40)) {
            name->setFocus();
            name->end(false);
            TypeIn(dialog, m_dice.Chance(80) ? QStringLiteral(" Mk2") : QStringLiteral(u" \u2161"));
            steps += " name " + Quoted(name->text().toStdString());
        }
        if (m_dice.Chance(20)) PressKeyIn(dialog, m_dice.Chance(50) ? Qt::Key_Return : Qt::Key_Escape);
        ClickAt(ok, QPoint(10, 10));
        steps += " OK";
        if (dialog.isVisible()) {
            const bool again = m_dice.Chance(70);
            ClickAt(again ? ok : cancel, QPoint(10, 10));
            steps += again ? " OK" : " Cancel";
        }
    }
    if (dialog.isVisible()) {
        steps += ", left open: cancelled";
        dialog.reject();
    }
    m_log.Detail(steps);
}

// ---------------------------------------------------------------------------------------------
// WrittenFiles

namespace {

bool IsIniFile(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".ini" || extension == ".001" || extension == ".bak";
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the bytes written and the bytes they format to part.
std::string Difference(const std::string& written, const std::string& formatted) {
    size_t at = 0;
    while (at < written.size() && at < formatted.size() && written[at] == formatted[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    return "written " + std::to_string(written.size()) + " bytes, formats to " +
           std::to_string(formatted.size()) + "; from byte " + std::to_string(at) + " on, written " +
           Quoted(written.substr(from, 80), 200) + ", formatted " + Quoted(formatted.substr(from, 80), 200) +
           "\n";
}

}  // namespace

WrittenFiles::WrittenFiles(std::filesystem::path folder) : m_folder(std::move(folder)) {
    CheckNewWrites();
    m_checked = 0;
}

std::string WrittenFiles::CheckNewWrites() {
    const bool baseline = m_seen.empty();
    std::string problems;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(m_folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::filesystem::path& file = it->path();
        if (!it->is_regular_file(error) || !IsIniFile(file)) continue;
        Seen now{it->last_write_time(error), it->file_size(error), {}};
        auto seen = m_seen.find(file);
        if (seen != m_seen.end() && seen->second.time == now.time && seen->second.size == now.size) continue;
        now.bytes = ReadBytes(file);
        const bool written = seen == m_seen.end() ? !baseline : seen->second.bytes != now.bytes;
        if (written) {
            ++m_checked;
            try {
                const std::string formatted = IniStore(file.string()).RenderText();
                if (formatted != now.bytes)
                    problems += file.filename().string() + ": " + Difference(now.bytes, formatted);
            } catch (const IniError& failure) {
                problems += file.filename().string() + ": " + failure.what() + "\n";
            }
        }
        m_seen[file] = std::move(now);
    }
    return problems;
}

}  // namespace velmora::testing
