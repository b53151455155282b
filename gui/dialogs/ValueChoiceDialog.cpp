// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/ValueChoiceDialog.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringList>
#include <QToolTip>
#include <exception>

#include "core/choice/ChoiceLists.h"
#include "core/references/ModReferences.h"
#include "gui/dialogs/ColumnMenu.h"
#include "core/boxes/Boxes.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/QtText.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "ui_ValueChoiceDialog.h"

namespace velmora {

ValueChoiceDialog::ValueChoiceDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ValueChoiceDialog>()), PopupMenu1(new ColumnMenu(this)) {
    m_ui->setupUi(this);
    // The layout keeps the dialog at its designed size or more, as much more as the captions need.
    FitCaptions({m_ui->OKButton, m_ui->CancelButton});
    // Values are shown as they stand, never read as markup, and whole in a tooltip when they do
    // not fit.
    m_ui->Panel1->setTextFormat(Qt::PlainText);
    m_ui->Panel2->setTextFormat(Qt::PlainText);
    m_ui->Label1->setTextFormat(Qt::PlainText);
    TipWhenCut({m_ui->Panel1, m_ui->Panel2});
    m_ui->ListBox1->setUniformItemSizes(true);
    m_ui->ListBox1->installEventFilter(this);
    // Moves without a pressed button update the tooltip.
    m_ui->ListBox1->viewport()->setMouseTracking(true);
    m_ui->ListBox1->viewport()->installEventFilter(this);
    connect(m_ui->ValuesButton, &QPushButton::clicked, this, &ValueChoiceDialog::ValuesButtonClick);
    FilterBox::Above(*m_ui->ListBox1);
    // The list comes first in keyboard order and has the focus when the dialog opens; the form's
    // widgets are created in another order, which would hand the first focus to OKButton.
    m_ui->ListBox1->setFocus();
}

ValueChoiceDialog::~ValueChoiceDialog() = default;

void ValueChoiceDialog::PrepareFor(std::string ValueSources, std::string CurrentValue, std::string Key,
                                   std::string Code, std::vector<std::string> EntryCodes,
                                   const Workspace& workspace, Boxes& boxes,
                                   std::vector<std::string> KindValues) {
    m_valueSources = std::move(ValueSources);
    m_currentValue = std::move(CurrentValue);
    m_key = std::move(Key);
    m_entryCodes = std::move(EntryCodes);
    m_kindValues = m_valueSources.empty() ? std::move(KindValues) : std::vector<std::string>();
    m_workspace = &workspace;
    m_boxes = &boxes;

    const IniStore* defaults = workspace.DefaultIni();
    m_defaultValue = defaults ? defaults->ReadString(Code, m_key, "") : std::string();

    const bool hasSources = !m_valueSources.empty() || !m_kindValues.empty();
    m_ui->ValuesButton->setEnabled(hasSources);
    m_showBasicNext = hasSources;
    GetPreparedValuesOK();
}

void ValueChoiceDialog::GetPreparedValuesOK() {
    const bool showBasic = m_showBasicNext;
    m_showBasicNext = !showBasic;
    const std::string& key = m_key;

    if (showBasic) {
        if (!m_kindValues.empty()) {
            // Without sources, the values the key's kind allows: "yes/no".
            std::string title;
            for (const std::string& value : m_kindValues) title += (title.empty() ? "" : "/") + value;
            ShowItems(m_kindValues);
            setWindowTitle(ToQString(title));
        } else {
            BasicList basic = BuildBasicList(m_valueSources, *m_workspace);
            AddKindSourceValues(basic, m_kinds);
            for (const std::string& name : basic.MissingSources) m_boxes->Notice(MissingSourceNotice(name));
            ShowItems(std::move(basic.Items));
            setWindowTitle(ToQString(m_valueSources));
        }
        m_ui->ValuesButton->setText(QStringLiteral("Click to &see values used by the OTHERS"));
        m_ui->Label1->setText(QStringLiteral("BASIC"));
    } else {
        ShowItems(BuildOthersList(m_entryCodes, key, m_workspace->Doc().Store()));
        setWindowTitle(QStringLiteral("OTHERS VALUES"));
        m_ui->ValuesButton->setText(QStringLiteral("Click to &see BASIC values"));
        m_ui->Label1->clear();
    }

    m_ui->Panel1->setText(ToQString(key + "=" + m_currentValue));
    m_ui->Panel2->setText(ToQString("Default=" + m_defaultValue));
    PositionOnCurrentValue();
}

void ValueChoiceDialog::ValuesButtonClick() {
    // The end of a Qt event: an error is shown here, never let out into the event loop.
    try {
        GetPreparedValuesOK();
    } catch (const std::exception& error) {
        if (m_boxes) m_boxes->Error(error.what());
    }
}

void ValueChoiceDialog::ShowItems(std::vector<std::string> items) {
    // The list box itself does not sort: Qt's order is not the one the list needs (letter case
    // ignored byte by byte, duplicates in the order given).
    SortNoCase(items);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items) texts << ToQString(item);
    m_ui->ListBox1->clear();
    m_ui->ListBox1->addItems(texts);
    m_items = std::move(items);
}

void ValueChoiceDialog::PositionOnCurrentValue() {
    const int row = PositionOfCurrentValue(m_items, m_currentValue);
    if (row < 0) return;
    QListWidgetItem* item = m_ui->ListBox1->item(row);
    // The current item is only where the list opens; the user's choice is what is selected.
    m_ui->ListBox1->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    m_ui->ListBox1->scrollToItem(item, QAbstractItemView::EnsureVisible);
    if (isVisible()) m_ui->ListBox1->setFocus();
}

std::string ValueChoiceDialog::ChosenValue() const {
    std::vector<ChoiceItem> items;
    items.reserve(m_items.size());
    for (size_t row = 0; row < m_items.size(); ++row)
        items.push_back({m_items[row], m_ui->ListBox1->item(static_cast<int>(row))->isSelected()});
    return velmora::ChosenValue(items);
}

void ValueChoiceDialog::ListBox1MouseMove(const QPoint& position) {
    // Below the last item the tooltip keeps the text of the item last passed over.
    QListWidgetItem* item = m_ui->ListBox1->itemAt(position);
    if (!item || item->text() == m_ui->ListBox1->toolTip()) return;
    m_ui->ListBox1->setToolTip(item->text());
    if (QToolTip::isVisible())
        QToolTip::showText(m_ui->ListBox1->viewport()->mapToGlobal(position), PlainToolTip(item->text()),
                           m_ui->ListBox1);
}

void ValueChoiceDialog::OnPopUpLaunch(const QPoint& position) {
    QListWidgetItem* item = m_ui->ListBox1->itemAt(position);
    PopupMenu1->SetEntries(item ? PopupMenuContent(m_items[static_cast<size_t>(m_ui->ListBox1->row(item))])
                                : std::vector<PopupMenuEntry>());
    if (!PopupMenu1->isEmpty()) PopupMenu1->popup(m_ui->ListBox1->viewport()->mapToGlobal(position));
}

bool ValueChoiceDialog::eventFilter(QObject* watched, QEvent* event) {
    QWidget* viewport = m_ui->ListBox1->viewport();
    if (watched == m_ui->ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
        return false;
    }
    if (watched != viewport) return QDialog::eventFilter(watched, event);

    switch (event->type()) {
        case QEvent::MouseMove:
            ListBox1MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            // The right button opens the context menu and leaves the user's selection alone.
            return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        case QEvent::MouseButtonDblClick:
            // The press before it has already selected the item under the pointer.
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return true;
            accept();
            return true;
        case QEvent::ToolTip: {
            const QString text = m_ui->ListBox1->toolTip();
            if (text.isEmpty()) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), PlainToolTip(text),
                                   m_ui->ListBox1);
            }
            return true;
        }
        case QEvent::ContextMenu: {
            auto* request = static_cast<QContextMenuEvent*>(event);
            // The menu is about the item under the mouse pointer, also when the keyboard asks.
            const QPoint position = request->reason() == QContextMenuEvent::Mouse
                                        ? request->pos()
                                        : viewport->mapFromGlobal(QCursor::pos());
            OnPopUpLaunch(position);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace velmora
