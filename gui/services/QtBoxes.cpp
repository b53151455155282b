// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/services/QtBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

struct BoxButton {
    const char* label;
    QMessageBox::ButtonRole role;
    BoxAnswer answer;
};

// Places `extra` below the box's text, above its buttons.
void AddBelowText(QMessageBox& box, QWidget* extra) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* buttons = box.findChild<QDialogButtonBox*>();
    if (!grid || !buttons) return;
    const int index = grid->indexOf(buttons);
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    grid->removeWidget(buttons);
    grid->addWidget(extra, row, 1, 1, std::max(1, grid->columnCount() - 1));
    grid->addWidget(buttons, row + 1, column, rows, columns);
}

// One modal box with our own button labels, so they read the same on every platform and language.
// Closing the box without a button gives the escape answer. `extra` (optional, owned by the caller)
// shows below the text.
BoxAnswer ShowBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const std::string& text,
                  std::initializer_list<BoxButton> buttons, BoxAnswer defaultAnswer,
                  BoxAnswer escapeAnswer, QWidget* extra = nullptr) {
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(icon, caption, shown, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);  // texts carry names from files, never markup
    if (extra) AddBelowText(box, extra);
    std::vector<std::pair<QAbstractButton*, BoxAnswer>> answers;
    for (const BoxButton& wanted : buttons) {
        QPushButton* button = box.addButton(QString::fromLatin1(wanted.label), wanted.role);
        answers.emplace_back(button, wanted.answer);
        if (wanted.answer == defaultAnswer) box.setDefaultButton(button);
        if (wanted.answer == escapeAnswer) box.setEscapeButton(button);
    }
    box.exec();
    if (extra) extra->setParent(nullptr);  // the caller's, not the box's to delete
    for (const auto& [button, answer] : answers)
        if (box.clickedButton() == button) return answer;
    return escapeAnswer;
}

QString ProgramTitle() {
    return QApplication::applicationName();
}

// The name the user accepted in the dialog, with the platform's separators; none on Cancel.
std::optional<std::string> ChosenName(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return ToBytes(QDir::toNativeSeparators(files.first()));
}

std::optional<std::string> ChooseFile(QWidget* owner, QFileDialog::AcceptMode mode, const std::string& filter,
                                      const std::string& proposedName) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    // The open dialog takes names of files that do not exist, and the save dialog does not ask
    // about overwriting: the commands decide both themselves.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = QtNameFilters(filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);

    const QString proposed = ToQString(proposedName);
    const qsizetype cut =
        std::max(proposed.lastIndexOf(QLatin1Char('/')), proposed.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0) dialog.setDirectory(proposed.left(cut + 1));
    if (cut + 1 < proposed.size()) dialog.selectFile(proposed.mid(cut + 1));

    return ChosenName(dialog);
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    if (filter.empty()) return filters;
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        QStringList patterns;
        for (const QString& piece : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = piece.trimmed();
            patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // "INI files (*.ini)" already names its pattern; Qt's own bracket replaces it.
        const QString named = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (!pattern.isEmpty() && description.endsWith(named)) {
            description.chop(named.size());
            description = description.trimmed();
        }
        const QString bracket = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        filters << (description.isEmpty() ? bracket : description + QLatin1Char(' ') + bracket);
    }
    return filters;
}

QtBoxes::QtBoxes(QWidget* owner) : m_owner(owner), m_focusWatch(std::make_unique<QObject>()) {
    // A dialog or box stands for the window it was opened from: it is gone by the time it is asked.
    QObject::connect(qApp, &QApplication::focusChanged, m_focusWatch.get(), [this](QWidget* /*old*/, QWidget* now) {
        if (now == nullptr) return;
        QWidget* window = now->window();
        while (qobject_cast<QDialog*>(window) != nullptr && window->parentWidget() != nullptr)
            window = window->parentWidget()->window();
        m_lastFocused = window;
    });
}

QtBoxes::~QtBoxes() = default;

// The window the user is working in, such as a category window, so that the box opens over it
// and does not raise the main window above it. Right after a dialog of that window closed (the
// question of Adjust values, a file dialog), the dialog may still count as active, or no window
// may until the window manager has activated the one below: then it is the window the dialog, or
// the window that had the focus last (a dialog's own window), belongs to.
QWidget* QtBoxes::Owner() const {
    for (QWidget* candidate : {QApplication::activeWindow(), m_lastFocused.data()})
        for (QWidget* window = candidate; window != nullptr;
             window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr)
            if (window->isVisible() && !window->isMinimized()) return window;
    return m_owner;
}

void QtBoxes::Notice(const std::string& text) {
    ShowBox(Owner(), QMessageBox::NoIcon, ProgramTitle(), text,
            {{"OK", QMessageBox::AcceptRole, BoxAnswer::Ok}}, BoxAnswer::Ok, BoxAnswer::Ok);
}

BoxAnswer QtBoxes::Plain(const std::string& caption, const std::string& text, bool withCancel) {
    if (!withCancel)
        return ShowBox(Owner(), QMessageBox::NoIcon, ToQString(caption), text,
                       {{"OK", QMessageBox::AcceptRole, BoxAnswer::Ok}}, BoxAnswer::Ok, BoxAnswer::Ok);
    return ShowBox(Owner(), QMessageBox::NoIcon, ToQString(caption), text,
                   {{"OK", QMessageBox::AcceptRole, BoxAnswer::Ok},
                    {"Cancel", QMessageBox::RejectRole, BoxAnswer::Cancel}},
                   BoxAnswer::Ok, BoxAnswer::Cancel);
}

BoxAnswer QtBoxes::Confirm(const std::string& text) {
    return ShowBox(Owner(), QMessageBox::Question, QStringLiteral("Confirm"), text,
                   {{"&Yes", QMessageBox::YesRole, BoxAnswer::Yes},
                    {"&No", QMessageBox::NoRole, BoxAnswer::No},
                    {"Cancel", QMessageBox::RejectRole, BoxAnswer::Cancel}},
                   BoxAnswer::Yes, BoxAnswer::Cancel);
}

BoxAnswer QtBoxes::ConfirmWithChoices(const std::string& text, const std::vector<std::string>& choices,
                                      std::vector<bool>& ticked) {
    QListWidget list;
    list.setObjectName(QStringLiteral("Choices"));
    for (const std::string& choice : choices) {
        auto* item = new QListWidgetItem(ToQString(choice), &list);  // owned by the list
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    BoxAnswer answer = ShowBox(Owner(), QMessageBox::Question, QStringLiteral("Confirm"), text,
                               {{"&Yes", QMessageBox::YesRole, BoxAnswer::Yes},
                                {"&No", QMessageBox::NoRole, BoxAnswer::No},
                                {"Cancel", QMessageBox::RejectRole, BoxAnswer::Cancel}},
                               BoxAnswer::Yes, BoxAnswer::Cancel, &list);
    ticked.clear();
    for (int row = 0; row < list.count(); ++row) ticked.push_back(list.item(row)->checkState() == Qt::Checked);
    return answer;
}

size_t QtBoxes::Choose(const std::string& text, const std::vector<std::string>& buttons) {
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), shown, QMessageBox::NoButton, Owner());
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton*> pressed;
    for (const std::string& label : buttons) {
        // Button labels are the program's own texts, not bytes from a file ("Compare…").
        pressed.push_back(box.addButton(QString::fromUtf8(label), QMessageBox::AcceptRole));
        if (pressed.size() == 1) box.setDefaultButton(qobject_cast<QPushButton*>(pressed.front()));
    }
    if (!pressed.empty()) box.setEscapeButton(pressed.back());
    box.exec();
    for (size_t i = 0; i < pressed.size(); ++i)
        if (box.clickedButton() == pressed[i]) return i;
    return pressed.empty() ? 0 : pressed.size() - 1;
}

ListAnswer QtBoxes::ChooseFromList(const std::string& text, const std::vector<std::string>& items,
                                   const std::vector<std::string>& buttons) {
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), shown, QMessageBox::NoButton, Owner());
    box.setTextFormat(Qt::PlainText);
    QListWidget list;
    list.setObjectName(QStringLiteral("Choices"));
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setWordWrap(true);
    for (const std::string& item : items) {
        QString row = ToQString(item);
        row.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        new QListWidgetItem(row, &list);  // owned by the list
    }
    list.setAlternatingRowColors(true);  // an item may take several lines
    if (!items.empty()) list.setCurrentRow(0);
    // As wide as the longest line (a full path), and as high as the items, within the screen's room.
    list.setMinimumWidth(std::min(list.sizeHintForColumn(0) + 2 * list.frameWidth() + 24, 900));
    int height = 2 * list.frameWidth();
    for (int row = 0; row < list.count(); ++row) height += list.sizeHintForRow(row);
    list.setFixedHeight(std::min(height + 4, 400));
    AddBelowText(box, &list);
    std::vector<QAbstractButton*> pressed;
    for (const std::string& label : buttons) {
        pressed.push_back(box.addButton(QString::fromUtf8(label), QMessageBox::AcceptRole));
        if (pressed.size() == 1) box.setDefaultButton(qobject_cast<QPushButton*>(pressed.front()));
    }
    if (!pressed.empty()) {
        box.setEscapeButton(pressed.back());
        // A double-click on an item picks it with the first button, as Enter does.
        QObject::connect(&list, &QListWidget::itemDoubleClicked, pressed.front(), &QAbstractButton::click);
    }
    box.exec();
    list.setParent(nullptr);  // ours, not the box's to delete
    ListAnswer answer{pressed.empty() ? 0 : pressed.size() - 1, 0};
    for (size_t i = 0; i < pressed.size(); ++i)
        if (box.clickedButton() == pressed[i]) answer.Button = i;
    if (list.currentRow() > 0) answer.Item = static_cast<size_t>(list.currentRow());
    return answer;
}

BoxAnswer QtBoxes::Warning(const std::string& text) {
    return ShowBox(Owner(), QMessageBox::Warning, QStringLiteral("Warning"), text,
                   {{"OK", QMessageBox::AcceptRole, BoxAnswer::Ok},
                    {"&Ignore", QMessageBox::AcceptRole, BoxAnswer::Ignore}},
                   BoxAnswer::Ok, BoxAnswer::Ok);
}

void QtBoxes::Error(const std::string& text) {
    ShowBox(Owner(), QMessageBox::Critical, ProgramTitle(), text,
            {{"OK", QMessageBox::AcceptRole, BoxAnswer::Ok}}, BoxAnswer::Ok, BoxAnswer::Ok);
}

std::optional<std::string> QtBoxes::OpenFileName(const std::string& filter, const std::string& proposedName) {
    return ChooseFile(Owner(), QFileDialog::AcceptOpen, filter, proposedName);
}

std::optional<std::string> QtBoxes::SaveFileName(const std::string& filter, const std::string& proposedName) {
    return ChooseFile(Owner(), QFileDialog::AcceptSave, filter, proposedName);
}

std::optional<std::string> QtBoxes::FolderName(const std::string& caption, const std::string& proposedDir) {
    if (m_folderAnswer) return m_folderAnswer;
    QFileDialog dialog(Owner(), ToQString(caption), ToQString(proposedDir));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return ChosenName(dialog);
}

}  // namespace velmora
