// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/modcheck/ModCheckWindow.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "core/session/ModCheck.h"
#include "gui/modcheck/ModFindingsModel.h"
#include "gui/services/WindowPlaces.h"
#include "gui/widgets/ListTableLook.h"
#include "gui/widgets/QtText.h"

namespace velmora {

ModCheckWindow::ModCheckWindow(QWidget& owner, LiveModCheck& check)
    : QWidget(&owner, Qt::Window), m_check(&check), m_model(new ModFindingsModel(this)) {
    setObjectName(QStringLiteral("ModCheckWindow"));
    setWindowTitle(tr("Check the Mod"));
    resize(900, 460);
    WindowPlaces::CentreOver(*this, owner);
    auto* layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Summary"));
    m_summary->setTextFormat(Qt::PlainText);
    m_warnings = new QLabel(this);
    m_warnings->setObjectName(QStringLiteral("Warnings"));
    m_warnings->setTextFormat(Qt::PlainText);
    m_warnings->setWordWrap(true);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("Findings"));
    m_view->setModel(m_model);
    LookAsResultList(*m_view, QAbstractItemView::SingleSelection);
    layout->addWidget(m_summary);
    layout->addWidget(m_warnings);
    layout->addWidget(m_view, 1);

    connect(m_view, &QAbstractItemView::activated, this, &ModCheckWindow::OpenRow);
    m_check->AddListener(*this);
    Refresh();
    m_view->resizeColumnsToContents();
}

ModCheckWindow::~ModCheckWindow() {
    if (m_check != nullptr) m_check->RemoveListener(*this);
}

void ModCheckWindow::ModCheckChanged() {
    // An edit tells of itself while the document is being changed, and a burst of edits comes
    // one after another: the rows are read once, when the events are handled.
    if (m_refreshQueued) return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, &ModCheckWindow::Refresh);
}

void ModCheckWindow::Watch(LiveModCheck* check) {
    if (m_check != nullptr) m_check->RemoveListener(*this);
    m_check = check;
    if (m_check != nullptr) m_check->AddListener(*this);
    Refresh();
}

void ModCheckWindow::ModCheckGone() {
    m_check = nullptr;
    Refresh();
}

void ModCheckWindow::Refresh() {
    m_refreshQueued = false;
    // The selected finding, by what it is about: its line moves with the edits above it.
    const ModFinding* selected = nullptr;
    if (const QModelIndex current = m_view->currentIndex(); current.isValid())
        selected = m_model->FindingAt(current.row());
    const std::string file = selected ? selected->File : std::string();
    const std::string entry = selected ? selected->Entry : std::string();
    const std::string key = selected ? selected->Key : std::string();

    const ModCheckResult* result = m_check != nullptr ? &m_check->Result() : nullptr;
    m_model->Show(result);
    m_summary->setText(result != nullptr ? ToQString(FindingsSummary(*result)) : tr("No mod is open"));
    QStringList warnings;
    if (result != nullptr)
        for (const std::string& warning : result->Warnings) warnings << ToQString(warning);
    m_warnings->setText(warnings.join(QLatin1Char('\n')));
    m_warnings->setVisible(!warnings.isEmpty());

    if (selected == nullptr) return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const ModFinding* finding = m_model->FindingAt(row);
        if (finding->File == file && finding->Entry == entry && finding->Key == key) {
            m_view->setCurrentIndex(m_model->index(row, 0));
            return;
        }
    }
}

void ModCheckWindow::OpenRow(const QModelIndex& index) {
    const ModFinding* finding = index.isValid() ? m_model->FindingAt(index.row()) : nullptr;
    if (finding == nullptr) return;
    emit spotRequested(static_cast<int>(finding->Kind), ToQString(finding->File), ToQString(finding->Entry),
                       ToQString(finding->Key), static_cast<int>(finding->Line));
}

}  // namespace velmora
