#include "main/gui/FindWindow.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include "main/gui/QtText.h"
#include "main/core/Workspace.h"

namespace velmora {

namespace {

enum Column { CategoryCol, CodeCol, NameCol, KeyCol, ValueCol, ColumnCount };

}  // namespace

void FindResults::Show(const FindIndex* index, std::vector<FindIndex::Row> rows) {
    beginResetModel();
    m_index = index;
    m_rows = index ? std::move(rows) : std::vector<FindIndex::Row>();
    endResetModel();
}

int FindResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FindResults::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FindResults::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const FindIndex::Row row = m_rows[static_cast<size_t>(index.row())];
    switch (index.column()) {
        case CategoryCol: return ToQString(std::string(m_index->Category(row)));
        case CodeCol: return ToQString(std::string(m_index->Code(row)));
        case NameCol: return ToQString(std::string(m_index->Name(row)));
        case KeyCol: return ToQString(std::string(m_index->Key(row)));
        case ValueCol: return ToQString(std::string(m_index->Value(row)));
        default: return {};
    }
}

QVariant FindResults::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const Headers[ColumnCount] = {"Category", "Code", "Name", "Key", "Value"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(Headers[section]);
}

EntryTarget FindResults::TargetOf(int row) const {
    const FindIndex::Row found = m_rows[static_cast<size_t>(row)];
    return {std::string(m_index->Code(found)), std::string(m_index->Key(found))};
}

LinePlace FindResults::PlaceOf(int row) const {
    return m_index->Place(m_rows[static_cast<size_t>(row)]);
}

FindWindow::FindWindow(QWidget& owner, const Workspace& workspace)
    : ResultsWindow(owner, QStringLiteral("FindWindow"), new FindResults(nullptr), false),
      m_workspace(workspace),
      m_results(static_cast<FindResults*>(View().model())) {
    setWindowTitle(QStringLiteral("Find"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setPlaceholderText(QStringLiteral("Code, name, key or value"));
    m_text->setClearButtonEnabled(true);
    m_wholeWords = new QCheckBox(QStringLiteral("&Whole words"), this);
    m_wholeWords->setObjectName(QStringLiteral("WholeWords"));
    auto* searchLine = new QHBoxLayout;
    searchLine->addWidget(m_text, 1);
    searchLine->addWidget(m_wholeWords);
    Layout().insertLayout(0, searchLine);
    for (int col = CategoryCol; col < ValueCol; ++col) View().setColumnWidth(col, 110);

    connect(m_text, &QLineEdit::textChanged, this, &FindWindow::Search);
    connect(m_wholeWords, &QCheckBox::toggled, this, &FindWindow::Search);
    connect(m_text, &QLineEdit::returnPressed, this, &ResultsWindow::OpenCurrent);
}

FindWindow::~FindWindow() {
    m_results->Show(nullptr, {});
}

void FindWindow::Present() {
    show();
    raise();
    activateWindow();
    Rebuild();
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

void FindWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) Rebuild();
    ResultsWindow::changeEvent(event);
}

void FindWindow::Rebuild() {
    if (!m_workspace.DocumentIni) {
        m_results->Show(nullptr, {});
        m_index.reset();
        return;
    }
    auto index = std::make_unique<FindIndex>(m_workspace);
    const int current = View().currentIndex().row();
    m_results->Show(nullptr, {});  // no row may point into the index that goes
    m_index = std::move(index);
    Search();
    // The search run again on the new index keeps the user's place in the results.
    if (current >= 0 && current < m_results->rowCount()) View().setCurrentIndex(m_results->index(current, 0));
}

void FindWindow::Search() {
    const std::string text = ToBytes(m_text->text());
    if (!m_index || text.empty()) {
        m_results->Show(m_index.get(), {});
        SetSummary(QString());
        return;
    }
    m_results->Show(m_index.get(), m_index->Find(text, m_wholeWords->isChecked()));
    const int found = m_results->rowCount();
    SetSummary(found == 1 ? QStringLiteral("1 line found") : QStringLiteral("%1 lines found").arg(found));
}

}  // namespace velmora
