// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/find/FindWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <unordered_set>

#include "core/boxes/Boxes.h"
#include "gui/services/DocumentSignals.h"
#include "gui/find/FindIndexBuilder.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"
#include "core/entries/ValueEdits.h"
#include "core/catalogue/Workspace.h"
#include "core/session/OpenDocument.h"

namespace velmora {

namespace {

enum Column { CategoryCol, CodeCol, NameCol, KeyCol, ValueCol, ColumnCount };

// Rows handed to the view at a time: a few screenfuls, so that a search that finds most of a big
// document shows at once.
constexpr size_t RowsPerFetch = 2000;

// A search's work between two events: a keystroke in a big document never holds the window up for
// a frame.
constexpr std::chrono::microseconds SearchSliceTime{12000};

}  // namespace

void FindResults::Show(const FindIndex* index, std::vector<FindIndex::Row> rows) {
    beginResetModel();
    m_index = index;
    m_rows = index ? std::move(rows) : std::vector<FindIndex::Row>();
    m_fetched = std::min(m_rows.size(), RowsPerFetch);
    endResetModel();
}

void FindResults::Follow(const std::vector<size_t>& sections, std::vector<FindIndex::Row> found) {
    // The found rows of each touched section, in section order.
    std::vector<std::pair<size_t, size_t>> fresh;  // into `found`
    size_t next = 0;
    for (const size_t section : sections) {
        const size_t first = next;
        while (next < found.size() && found[next].section == section) ++next;
        fresh.emplace_back(first, next);
    }
    auto same = [&](size_t i) {
        const auto [first, last] = RowsOf(sections[i]);
        return std::equal(m_rows.begin() + static_cast<long>(first), m_rows.begin() + static_cast<long>(last),
                          found.begin() + static_cast<long>(fresh[i].first),
                          found.begin() + static_cast<long>(fresh[i].second));
    };
    std::vector<bool> kept(sections.size());
    for (size_t i = 0; i < sections.size(); ++i) kept[i] = same(i);

    // First every changed section's rows go, the last first, so that no row left points at a row of
    // the index that is no longer there; then the new rows come, the first first.
    for (size_t i = sections.size(); i-- > 0;) {
        if (kept[i]) continue;
        const auto [first, last] = RowsOf(sections[i]);
        if (first == last) continue;
        const size_t shown = first < m_fetched ? std::min(last, m_fetched) - first : 0;
        if (shown > 0) beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + shown) - 1);
        m_rows.erase(m_rows.begin() + static_cast<long>(first), m_rows.begin() + static_cast<long>(last));
        m_fetched -= shown;
        if (shown > 0) endRemoveRows();
    }
    for (size_t i = 0; i < sections.size(); ++i) {
        const auto [from, to] = fresh[i];
        if (kept[i]) {
            const auto [first, last] = RowsOf(sections[i]);
            if (first < m_fetched && first < last)
                emit dataChanged(index(static_cast<int>(first), 0),
                                 index(static_cast<int>(std::min(last, m_fetched)) - 1, ColumnCount - 1));
            continue;
        }
        if (from == to) continue;
        const size_t at = RowsOf(sections[i]).first;
        // Rows where the view has been, or at the end of a list shown whole, are shown at once.
        const bool shown = at < m_fetched || m_fetched == m_rows.size();
        if (shown) beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at + to - from) - 1);
        m_rows.insert(m_rows.begin() + static_cast<long>(at), found.begin() + static_cast<long>(from),
                      found.begin() + static_cast<long>(to));
        if (shown) {
            m_fetched += to - from;
            endInsertRows();
        }
    }
}

std::pair<size_t, size_t> FindResults::RowsOf(size_t section) const {
    const auto bySection = [](const FindIndex::Row& row, size_t s) { return row.section < s; };
    const auto first = std::lower_bound(m_rows.begin(), m_rows.end(), section, bySection);
    auto last = first;
    while (last != m_rows.end() && last->section == section) ++last;
    return {static_cast<size_t>(first - m_rows.begin()), static_cast<size_t>(last - m_rows.begin())};
}

std::vector<int> FindResults::RowsLeadingTo(const std::vector<EntryTarget>& targets,
                                            const std::vector<size_t>* sections) {
    std::vector<int> found;
    if (!m_index || targets.empty()) return found;
    std::vector<std::pair<size_t, size_t>> ranges;
    if (sections)
        for (const size_t section : *sections) ranges.push_back(RowsOf(section));
    else
        ranges.emplace_back(0, m_rows.size());
    std::string identity;  // one buffer for every row's
    auto identify = [&identity](std::string_view code, std::string_view key) -> const std::string& {
        return identity.assign(code).append(1, '\n').append(key);
    };
    std::unordered_set<std::string> wanted;
    for (const EntryTarget& target : targets) wanted.insert(identify(target.Section, target.Key));
    for (const auto& [first, last] : ranges) {
        for (size_t row = first; row < last && !wanted.empty(); ++row) {
            // The first row of each target only, as a row of the results is told from another.
            if (wanted.erase(identify(m_index->Code(m_rows[row]), m_index->Key(m_rows[row]))) == 0) continue;
            found.push_back(static_cast<int>(row));
        }
    }
    if (!found.empty()) FetchUpTo(static_cast<size_t>(*std::max_element(found.begin(), found.end())) + 1);
    return found;
}

int FindResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fetched);
}

bool FindResults::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_fetched < m_rows.size();
}

void FindResults::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent)) FetchUpTo(m_fetched + RowsPerFetch);
}

void FindResults::FetchUpTo(size_t count) {
    count = std::min(count, m_rows.size());
    if (count <= m_fetched) return;
    beginInsertRows(QModelIndex(), static_cast<int>(m_fetched), static_cast<int>(count) - 1);
    m_fetched = count;
    endInsertRows();
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
    return {std::string(m_index->Code(found)), std::string(m_index->Key(found)), {}};
}

LinePlace FindResults::PlaceOf(int row) const {
    return m_index->Place(m_rows[static_cast<size_t>(row)]);
}

size_t FindResults::SectionOf(int row) const { return m_rows[static_cast<size_t>(row)].section; }

bool FindResults::IsKeyRow(int row) const {
    return !m_index->IsCodeRow(m_rows[static_cast<size_t>(row)]);
}

namespace {

QLineEdit* NamedLineEdit(QWidget* parent, const QString& name, const QString& placeholder) {
    auto* edit = new QLineEdit(parent);  // owned through its Qt parent
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}

QPushButton* NamedButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);  // owned through its Qt parent
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

FindWindow::FindWindow(QWidget& owner, OpenDocument& document, Boxes& boxes, DocumentSignals& news)
    : ResultsWindow(owner, QStringLiteral("FindWindow"), new FindResults(nullptr), false),
      m_document(document),
      m_boxes(boxes),
      m_results(static_cast<FindResults*>(View().model())) {
    setWindowTitle(QStringLiteral("Find"));
    m_builder = new FindIndexBuilder(  // owned through its Qt parent, this window
        document.Work(), [this](std::unique_ptr<FindIndex> index, const std::string& error) {
            IndexMade(std::move(index), error);
        },
        this);
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

    m_replacement = NamedLineEdit(this, QStringLiteral("ReplaceText"), QStringLiteral("Replacement"));
    QPushButton* replace = NamedButton(this, QStringLiteral("ReplaceButton"), QStringLiteral("&Replace in selected"));
    m_setKey = NamedLineEdit(this, QStringLiteral("SetKey"), QStringLiteral("Key"));
    m_setValue = NamedLineEdit(this, QStringLiteral("SetValue"), QStringLiteral("Value"));
    QPushButton* set = NamedButton(this, QStringLiteral("SetButton"), QStringLiteral("&Set in selected entries"));
    auto* editLine = new QHBoxLayout;
    editLine->addWidget(new QLabel(QStringLiteral("With:"), this));
    editLine->addWidget(m_replacement, 1);
    editLine->addWidget(replace);
    editLine->addSpacing(12);
    editLine->addWidget(m_setKey, 1);
    editLine->addWidget(new QLabel(QStringLiteral("="), this));
    editLine->addWidget(m_setValue, 1);
    editLine->addWidget(set);
    Layout().insertLayout(1, editLine);
    connect(replace, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { ReplaceSelected(); }); });
    connect(set, &QPushButton::clicked, this, [this] { RunEventHandler(m_boxes, [this] { SetInSelected(); }); });

    // An edit, undo or redo from any window: the results show the document as it now stands.
    connect(&news, &DocumentSignals::edited, this, &FindWindow::DocumentEdited);
    for (int col = CategoryCol; col < ValueCol; ++col) View().setColumnWidth(col, 110);

    m_searchSlicer.setInterval(0);
    connect(&m_searchSlicer, &QTimer::timeout, this, &FindWindow::SearchSlice);
    connect(m_text, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(m_wholeWords, &QCheckBox::toggled, this, [this] { Search(); });
    connect(m_text, &QLineEdit::returnPressed, this, &ResultsWindow::OpenCurrent);
}

FindWindow::~FindWindow() {
    DropSearch();
    m_results->Show(nullptr, {});
}

void FindWindow::Present() {
    show();
    raise();
    activateWindow();
    if (!m_document.Index() && !m_builder->Building()) Prepare();
    m_text->setFocus(Qt::OtherFocusReason);
    m_text->selectAll();
}

bool FindWindow::EscapeTakenBack() {
    if (m_text->text().isEmpty()) return false;
    m_text->clear();
    m_text->setFocus();
    return true;
}

bool FindWindow::Preparing() const {
    return m_builder->Building();
}

// No row, and no search, may point into the index that goes.
void FindWindow::ForgetIndex() {
    DropSearch();
    m_results->Show(nullptr, {});
    m_document.DropIndex();
}

void FindWindow::DocumentReplaced() {
    ForgetIndex();
    Prepare();
}

void FindWindow::DocumentEdited() {
    if (m_builder->Building())
        m_builder->Start();  // the index being made is of the document before the edit
    else
        FollowEditsSoon();
}

void FindWindow::Prepare() {
    if (!m_document.Work().Doc().HasDocument()) {
        ForgetIndex();
        m_builder->Cancel();
        return;
    }
    m_builder->Start();
    Search();
}

void FindWindow::IndexMade(std::unique_ptr<FindIndex> index, const std::string& error) {
    Place place = TakePlace();
    ForgetIndex();
    // An edit during the build started it again, so the index is of the document as it stands.
    m_document.TakeIndex(std::move(index));
    Search(std::move(place));
    if (!m_document.Index()) SetSummary(ToQString(error));
}

void FindWindow::FollowEdits() {
    if (!m_document.Work().Doc().HasDocument()) {
        ForgetIndex();
        return;
    }
    const std::string text = ToBytes(m_text->text());
    const std::optional<Sections> sections = m_document.IndexSectionsToRead();
    if (m_search || text.empty() || !sections) {
        // The search runs again on the new index, and keeps the user's place in the results.
        Place place = m_search ? std::exchange(m_searchPlace, {}) : TakePlace();
        DropSearch();
        m_results->Show(nullptr, {});  // no row may point into the index while it changes
        m_document.FollowIndex();
        Search(std::move(place));
        return;
    }
    // Only the touched sections are read and searched again. The other rows stay where they are,
    // with their selection; the place among the touched ones is kept by the entries and keys
    // their rows lead to.
    const Place place = TakePlace(&*sections);
    m_document.FollowIndex();
    m_results->Follow(*sections, m_document.Index()->FindIn(*sections, text, m_wholeWords->isChecked()));
    ShowPlace(place, &*sections);
    ShowFoundCount();
}

// One edit may change many lines; the index catches up once for all their news.
void FindWindow::FollowEditsSoon() {
    if (m_followPending) return;
    m_followPending = true;
    QTimer::singleShot(0, this, [this] {
        m_followPending = false;
        if (m_document.Index()) FollowEdits();
    });
}

FindWindow::Place FindWindow::TakePlace(const Sections* sections) const {
    Place place;
    if (!m_document.Index()) return place;
    auto taken = [this, sections](int row) {
        return !sections || std::binary_search(sections->begin(), sections->end(), m_results->SectionOf(row));
    };
    for (const int row : SelectedRows())
        if (taken(row)) place.selected.push_back(m_results->TargetOf(row));
    const QModelIndex current = View().currentIndex();
    if (current.isValid() && current.row() < m_results->rowCount() && taken(current.row())) {
        place.current = m_results->TargetOf(current.row());
        place.hasCurrent = true;
    }
    return place;
}

void FindWindow::ShowPlace(const Place& place, const Sections* sections) {
    if (!m_document.Index()) return;
    if (place.hasCurrent) {
        for (const int row : m_results->RowsLeadingTo({place.current}, sections))
            View().selectionModel()->setCurrentIndex(m_results->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    QItemSelection selection;
    for (const int row : m_results->RowsLeadingTo(place.selected, sections))
        selection.select(m_results->index(row, 0), m_results->index(row, ColumnCount - 1));
    // Rows of other sections kept their selection when only some were looked for.
    if (!selection.isEmpty())
        View().selectionModel()->select(selection, sections ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
}

std::vector<int> FindWindow::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : View().selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FindWindow::ReplaceSelected() {
    FinishSearch();  // the selected results are of the text as it now reads
    std::vector<LinePlace> places;
    for (int row : SelectedRows())
        if (m_results->IsKeyRow(row)) places.push_back(m_results->PlaceOf(row));
    const std::string find = ToBytes(m_text->text());
    const std::string with = ToBytes(m_replacement->text());
    const std::vector<LineRewrite> rewrites =
        ReplaceTextRewrites(m_document.Work(), places, find, with, m_wholeWords->isChecked());
    if (rewrites.empty()) {
        m_boxes.Notice("No value of the selected results holds " + find + ".");
        return;
    }
    ConfirmAndCommit("Replace", "Replace " + find + " with " + with, rewrites);
}

void FindWindow::SetInSelected() {
    FinishSearch();
    std::vector<std::string> codes;
    for (int row : SelectedRows()) codes.push_back(m_results->TargetOf(row).Section);
    const std::string key = ToBytes(m_setKey->text());
    const std::vector<LineRewrite> rewrites =
        SetValueRewrites(m_document.Work(), codes, key, ToBytes(m_setValue->text()));
    if (rewrites.empty()) {
        m_boxes.Notice("No selected entry would change.");
        return;
    }
    const std::string entries = rewrites.size() == 1 ? std::string("1 entry") : std::to_string(rewrites.size()) + " entries";
    ConfirmAndCommit("Set " + key, "Set " + key + " in " + entries, rewrites);
}

void FindWindow::ConfirmAndCommit(const std::string& caption, std::string text,
                                  const std::vector<LineRewrite>& rewrites) {
    if (m_boxes.Plain(caption, RewritesPreview(rewrites), true) != BoxAnswer::Ok) return;
    CommitRewrites(m_document.Work().Doc(), std::move(text), {{}, rewrites.front().SectionName, {}},
                   rewrites);
}

void FindWindow::Search(Place place) {
    DropSearch();
    const std::string text = ToBytes(m_text->text());
    const FindIndex* index = m_document.Index();
    if (!index || text.empty()) {
        m_results->Show(index, {});
        // The search runs once the index is made.
        SetSummary(!index && m_builder->Building() ? QStringLiteral("Reading the document…") : QString());
        return;
    }
    // The results of the text before stay shown until the search is done.
    m_search = std::make_unique<FindIndex::Search>(*index, text, m_wholeWords->isChecked());
    m_searchPlace = std::move(place);
    SearchSlice();
}

void FindWindow::Search() { Search(Place()); }

void FindWindow::SearchSlice() {
    if (!m_search) return m_searchSlicer.stop();
    if (!m_search->Continue(SearchSliceTime)) {
        SetSummary(QStringLiteral("Searching…"));
        if (!m_searchSlicer.isActive()) m_searchSlicer.start();
        return;
    }
    m_searchSlicer.stop();
    std::vector<FindIndex::Row> found = m_search->Take();
    m_search.reset();
    m_results->Show(m_document.Index(), std::move(found));
    ShowFoundCount();
    ShowPlace(std::exchange(m_searchPlace, {}));
}

void FindWindow::FinishSearch() {
    if (!m_search) return;
    m_search->Continue(std::chrono::microseconds::max());
    SearchSlice();
}

void FindWindow::DropSearch() {
    m_searchSlicer.stop();
    m_search.reset();
    m_searchPlace = {};
}

void FindWindow::ShowFoundCount() {
    const auto found = static_cast<long long>(m_results->FoundCount());
    SetSummary(found == 1 ? QStringLiteral("1 line found") : QStringLiteral("%1 lines found").arg(found));
}

}  // namespace velmora
