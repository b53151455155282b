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
#include <functional>
#include <optional>
#include <set>
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

void FindResults::Show(std::vector<const FindIndex*> indexes, std::vector<std::string> kinds,
                       std::vector<Found> rows) {
    beginResetModel();
    m_indexes = std::move(indexes);
    m_kinds = std::move(kinds);
    m_rows = std::move(rows);
    m_fetched = std::min(m_rows.size(), RowsPerFetch);
    endResetModel();
}

void FindResults::Follow(uint32_t kind, const std::vector<size_t>& sections, std::vector<FindIndex::Row> found) {
    // The found rows of each touched section, in section order.
    std::vector<std::pair<size_t, size_t>> fresh;  // into `found`
    size_t next = 0;
    for (const size_t section : sections) {
        const size_t first = next;
        while (next < found.size() && found[next].section == section) ++next;
        fresh.emplace_back(first, next);
    }
    auto same = [&](size_t i) {
        const auto [first, last] = RowsOf(kind, sections[i]);
        return std::equal(m_rows.begin() + static_cast<long>(first), m_rows.begin() + static_cast<long>(last),
                          found.begin() + static_cast<long>(fresh[i].first),
                          found.begin() + static_cast<long>(fresh[i].second),
                          [](const Found& shown, const FindIndex::Row& row) { return shown.row == row; });
    };
    std::vector<bool> kept(sections.size());
    for (size_t i = 0; i < sections.size(); ++i) kept[i] = same(i);

    // First every changed section's rows go, the last first, so that no row left points at a row of
    // the index that is no longer there; then the new rows come, the first first.
    for (size_t i = sections.size(); i-- > 0;) {
        if (kept[i]) continue;
        const auto [first, last] = RowsOf(kind, sections[i]);
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
            const auto [first, last] = RowsOf(kind, sections[i]);
            if (first < m_fetched && first < last)
                emit dataChanged(index(static_cast<int>(first), 0),
                                 index(static_cast<int>(std::min(last, m_fetched)) - 1, ColumnCount - 1));
            continue;
        }
        if (from == to) continue;
        const size_t at = RowsOf(kind, sections[i]).first;
        // Rows where the view has been, or at the end of a list shown whole, are shown at once.
        const bool shown = at < m_fetched || m_fetched == m_rows.size();
        if (shown) beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at + to - from) - 1);
        std::vector<Found> rows;
        rows.reserve(to - from);
        for (size_t row = from; row < to; ++row) rows.push_back({kind, found[row]});
        m_rows.insert(m_rows.begin() + static_cast<long>(at), rows.begin(), rows.end());
        if (shown) {
            m_fetched += to - from;
            endInsertRows();
        }
    }
}

std::pair<size_t, size_t> FindResults::RowsOf(uint32_t kind, size_t section) const {
    const auto before = [](const Found& found, std::pair<uint32_t, size_t> place) {
        return found.kind < place.first || (found.kind == place.first && found.row.section < place.second);
    };
    const auto first = std::lower_bound(m_rows.begin(), m_rows.end(), std::pair(kind, section), before);
    auto last = first;
    while (last != m_rows.end() && last->kind == kind && last->row.section == section) ++last;
    return {static_cast<size_t>(first - m_rows.begin()), static_cast<size_t>(last - m_rows.begin())};
}

std::vector<int> FindResults::RowsLeadingTo(const std::vector<EntryTarget>& targets, uint32_t kind,
                                            const std::vector<size_t>* sections) {
    std::vector<int> found;
    if (m_indexes.empty() || targets.empty()) return found;
    std::vector<std::pair<size_t, size_t>> ranges;
    if (sections)
        for (const size_t section : *sections) ranges.push_back(RowsOf(kind, section));
    else
        ranges.emplace_back(0, m_rows.size());
    std::string identity;  // one buffer for every row's
    auto identify = [&identity](std::string_view kindName, std::string_view code,
                                std::string_view key) -> const std::string& {
        return identity.assign(kindName).append(1, '\n').append(code).append(1, '\n').append(key);
    };
    std::unordered_set<std::string> wanted;
    for (const EntryTarget& target : targets) wanted.insert(identify(target.Kind, target.Section, target.Key));
    for (const auto& [first, last] : ranges) {
        for (size_t row = first; row < last && !wanted.empty(); ++row) {
            const Found& at = m_rows[row];
            const std::string_view kindName = m_kinds.empty() ? std::string_view() : m_kinds[at.kind];
            // The first row of each target only, as a row of the results is told from another.
            if (wanted.erase(identify(kindName, IndexOf(at).Code(at.row), IndexOf(at).Key(at.row))) == 0) continue;
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
    const Found& found = m_rows[static_cast<size_t>(index.row())];
    const FindIndex& rows = IndexOf(found);
    const FindIndex::Row row = found.row;
    switch (index.column()) {
        case CategoryCol:
        {
            // With a mod open, each row names its kind's file, as the usages' rows do.
            const std::string_view category = rows.Category(row);
            if (m_kinds.empty()) return ToQString(std::string(category));
            return ToQString(m_kinds[found.kind] + (category.empty() ? "" : ": ") + std::string(category));
        }
        case CodeCol: return ToQString(std::string(rows.Code(row)));
        case NameCol: return ToQString(std::string(rows.Name(row)));
        case KeyCol: return ToQString(std::string(rows.Key(row)));
        case ValueCol: return ToQString(std::string(rows.Value(row)));
        default: return {};
    }
}

QVariant FindResults::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const Headers[ColumnCount] = {"Category", "Code", "Name", "Key", "Value"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
    return QString::fromLatin1(Headers[section]);
}

EntryTarget FindResults::TargetOf(int row) const {
    const Found& found = m_rows[static_cast<size_t>(row)];
    return {std::string(IndexOf(found).Code(found.row)), std::string(IndexOf(found).Key(found.row)),
            m_kinds.empty() ? std::string() : m_kinds[found.kind]};
}

LinePlace FindResults::PlaceOf(int row) const {
    const Found& found = m_rows[static_cast<size_t>(row)];
    return IndexOf(found).Place(found.row);
}

bool FindResults::IsKeyRow(int row) const {
    const Found& found = m_rows[static_cast<size_t>(row)];
    return !IndexOf(found).IsCodeRow(found.row);
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

namespace {

// Tells of the edits, undos, redos and loads of a kind's document that the window hears no news of
// (a kind not shown): `edited` runs on each edit, undo and redo, `loaded` when the stores are
// being replaced, which must not be read until the load is done.
class KindWatch : public DocumentObserver {
public:
    KindWatch(Document& document, std::function<void()> edited, std::function<void()> loaded)
        : m_document(document), m_edited(std::move(edited)), m_loaded(std::move(loaded)) {
        m_document.AddObserver(*this);
    }
    ~KindWatch() override { m_document.RemoveObserver(*this); }
    KindWatch(const KindWatch&) = delete;
    KindWatch& operator=(const KindWatch&) = delete;

private:
    void ValuesChanged(const std::set<TouchedValue>&) override { m_edited(); }
    void EntriesChanged() override { m_edited(); }
    void Restarted() override { m_loaded(); }

    Document& m_document;
    std::function<void()> m_edited;
    std::function<void()> m_loaded;
};

}  // namespace

// A kind the window searches: its models, with the index, and what makes the index.
struct FindWindow::SearchedKind {
    std::string name;  // empty without a mod
    OpenDocument* models = nullptr;
    // The window's own for the kind shown, else `ownBuilder`.
    FindIndexBuilder* builder = nullptr;
    std::unique_ptr<FindIndexBuilder> ownBuilder;
    std::unique_ptr<KindWatch> watch;  // none for the kind shown, whose news the window hears
};

FindWindow::FindWindow(QWidget& owner, OpenDocument& document, Boxes& boxes, DocumentSignals& news)
    : ResultsWindow(owner, QStringLiteral("FindWindow"), new FindResults(nullptr), false),
      m_document(document),
      m_boxes(boxes),
      m_results(static_cast<FindResults*>(View().model())) {
    setWindowTitle(QStringLiteral("Find"));
    m_builder = new FindIndexBuilder(  // owned through its Qt parent, this window
        document.Work(), [this](std::unique_ptr<FindIndex> index, const std::string& error) {
            IndexMade(&m_document, std::move(index), error);
        },
        this);
    m_kinds.push_back(MakeKind({}, document));
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
    connect(&news, &DocumentSignals::edited, this, [this] { KindEdited(&m_document); });
    for (int col = CategoryCol; col < ValueCol; ++col) View().setColumnWidth(col, 110);

    m_searchSlicer.setInterval(0);
    connect(&m_searchSlicer, &QTimer::timeout, this, &FindWindow::SearchSlice);
    connect(m_text, &QLineEdit::textChanged, this, [this] { Search(); });
    connect(m_wholeWords, &QCheckBox::toggled, this, [this] { Search(); });
    connect(m_text, &QLineEdit::returnPressed, this, &ResultsWindow::OpenCurrent);
}

FindWindow::~FindWindow() {
    DropSearch();
    m_results->Clear();
}

std::unique_ptr<FindWindow::SearchedKind> FindWindow::MakeKind(const std::string& name, OpenDocument& models) {
    auto kind = std::make_unique<SearchedKind>();
    kind->name = name;
    kind->models = &models;
    if (&models == &m_document) {
        kind->builder = m_builder;
        return kind;
    }
    kind->ownBuilder = std::make_unique<FindIndexBuilder>(
        models.Work(), [this, at = &models](std::unique_ptr<FindIndex> index, const std::string& error) {
            IndexMade(at, std::move(index), error);
        });
    kind->builder = kind->ownBuilder.get();
    // After a load, the index no longer follows the document: it is read whole again, once the
    // load is done.
    kind->watch = std::make_unique<KindWatch>(
        models.Work().Doc(), [this, at = &models] { KindEdited(at); }, [this] { FollowEditsSoon(); });
    return kind;
}

void FindWindow::SearchKinds(const std::vector<std::pair<std::string, OpenDocument*>>& kinds) {
    const bool same = kinds.empty() ? m_kinds.size() == 1 && m_kinds[0]->name.empty()
                                    : std::equal(kinds.begin(), kinds.end(), m_kinds.begin(), m_kinds.end(),
                                                 [](const auto& given, const auto& kind) {
                                                     return given.first == kind->name && given.second == kind->models;
                                                 });
    if (same) return;
    // No row, and no search, may point into an index of a kind that goes.
    DropSearch();
    m_results->Clear();
    m_kinds.clear();
    if (kinds.empty()) m_kinds.push_back(MakeKind({}, m_document));
    for (const auto& [name, models] : kinds) m_kinds.push_back(MakeKind(name, *models));
    // An index that no longer follows its document is made afresh; the others are kept.
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds)
        if (kind->models != &m_document && kind->models->Index() && !kind->models->IndexSectionsToRead())
            kind->models->DropIndex();
    if (isVisible()) Prepare();
    Search();
}

void FindWindow::Present() {
    show();
    raise();
    activateWindow();
    Prepare();
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
    return std::any_of(m_kinds.begin(), m_kinds.end(),
                       [](const std::unique_ptr<SearchedKind>& kind) { return kind->builder->Building(); });
}

uint32_t FindWindow::ShownKind() const {
    for (size_t k = 0; k < m_kinds.size(); ++k)
        if (m_kinds[k]->models == &m_document) return static_cast<uint32_t>(k);
    return 0;
}

// No row, and no search, may point into an index that goes.
void FindWindow::ForgetIndex() {
    DropSearch();
    m_results->Clear();
    m_document.DropIndex();
}

void FindWindow::DocumentReplaced() {
    ForgetIndex();
    if (!m_document.Work().Doc().HasDocument())
        m_builder->Cancel();
    else if (isVisible())
        Prepare();
    else
        m_builder->Start();  // the other kinds' indexes are made once the window is wanted
    Search();
}

void FindWindow::KindEdited(const OpenDocument* models) {
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds)
        if (kind->models == models && kind->builder->Building()) {
            kind->builder->Start();  // the index being made is of the document before the edit
            return;
        }
    FollowEditsSoon();
}

void FindWindow::Prepare() {
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds)
        if (!kind->models->Index() && !kind->builder->Building() && kind->models->Work().Doc().HasDocument())
            kind->builder->Start();
}

void FindWindow::IndexMade(OpenDocument* models, std::unique_ptr<FindIndex> index, const std::string& error) {
    Place place = m_search ? std::exchange(m_searchPlace, {}) : TakePlace();
    DropSearch();
    m_results->Clear();
    // An edit during the build started it again, so the index is of the document as it stands.
    models->TakeIndex(std::move(index));
    Search(std::move(place));
    if (!models->Index() && models == &m_document) SetSummary(ToQString(error));
}

void FindWindow::FollowEdits() {
    if (!m_document.Work().Doc().HasDocument()) {
        ForgetIndex();
        return;
    }
    const std::string text = ToBytes(m_text->text());
    std::vector<std::optional<Sections>> touched;
    bool whole = m_search || text.empty();
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds) {
        touched.push_back(kind->models->IndexSectionsToRead());
        if (kind->models->Index() && !touched.back()) whole = true;
    }
    if (!whole) return FollowTouchedSections(text, touched);
    // The search runs again on the new indexes, and keeps the user's place in the results.
    Place place = m_search ? std::exchange(m_searchPlace, {}) : TakePlace();
    DropSearch();
    m_results->Clear();  // no row may point into an index while it changes
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds) kind->models->FollowIndex();
    Search(std::move(place));
}

// Only the touched sections are read and searched again. The other rows stay where they are, with
// their selection; the place among the touched ones is kept by the entries and keys their rows lead
// to.
void FindWindow::FollowTouchedSections(const std::string& text, const std::vector<std::optional<Sections>>& touched) {
    for (uint32_t k = 0; k < m_kinds.size(); ++k) {
        OpenDocument& models = *m_kinds[k]->models;
        if (!models.Index() || !touched[k] || touched[k]->empty()) continue;
        const KindSections sections{k, &*touched[k]};
        const Place place = TakePlace(&sections);
        models.FollowIndex();
        m_results->Follow(k, *touched[k], models.Index()->FindIn(*touched[k], text, m_wholeWords->isChecked()));
        ShowPlace(place, &sections);
    }
    ShowFoundCount();
}

// One edit may change many lines; the indexes catch up once for all their news.
void FindWindow::FollowEditsSoon() {
    if (m_followPending) return;
    m_followPending = true;
    QTimer::singleShot(0, this, [this] {
        m_followPending = false;
        FollowEdits();
    });
}

FindWindow::Place FindWindow::TakePlace(const KindSections* sections) const {
    Place place;
    if (m_results->FoundCount() == 0) return place;
    auto taken = [this, sections](int row) {
        return !sections || (m_results->KindOf(row) == sections->kind &&
                             std::binary_search(sections->sections->begin(), sections->sections->end(),
                                                m_results->SectionOf(row)));
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

void FindWindow::ShowPlace(const Place& place, const KindSections* sections) {
    const uint32_t kind = sections ? sections->kind : 0;
    const Sections* only = sections ? sections->sections : nullptr;
    if (place.hasCurrent) {
        for (const int row : m_results->RowsLeadingTo({place.current}, kind, only))
            View().selectionModel()->setCurrentIndex(m_results->index(row, 0), QItemSelectionModel::NoUpdate);
    }
    QItemSelection selection;
    for (const int row : m_results->RowsLeadingTo(place.selected, kind, only))
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

std::vector<int> FindWindow::ShownKindSelectedRows() const {
    std::vector<int> rows = SelectedRows();
    const uint32_t shown = ShownKind();
    std::erase_if(rows, [this, shown](int row) { return m_results->KindOf(row) != shown; });
    return rows;
}

std::string FindWindow::ShownKindNote() const {
    const std::string& name = m_kinds[ShownKind()]->name;
    return name.empty() ? std::string() : " of " + name;
}

void FindWindow::ReplaceSelected() {
    FinishSearch();  // the selected results are of the text as it now reads
    std::vector<LinePlace> places;
    for (int row : ShownKindSelectedRows())
        if (m_results->IsKeyRow(row)) places.push_back(m_results->PlaceOf(row));
    const std::string find = ToBytes(m_text->text());
    const std::string with = ToBytes(m_replacement->text());
    const std::vector<LineRewrite> rewrites =
        ReplaceTextRewrites(m_document.Work(), places, find, with, m_wholeWords->isChecked());
    if (rewrites.empty()) {
        m_boxes.Notice("No value of the selected results" + ShownKindNote() + " holds " + find + ".");
        return;
    }
    ConfirmAndCommit("Replace", "Replace " + find + " with " + with, rewrites);
}

void FindWindow::SetInSelected() {
    FinishSearch();
    std::vector<std::string> codes;
    for (int row : ShownKindSelectedRows()) codes.push_back(m_results->TargetOf(row).Section);
    const std::string key = ToBytes(m_setKey->text());
    const std::vector<LineRewrite> rewrites =
        SetValueRewrites(m_document.Work(), codes, key, ToBytes(m_setValue->text()));
    if (rewrites.empty()) {
        m_boxes.Notice("No selected entry" + ShownKindNote() + " would change.");
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
    const bool ready = std::any_of(m_kinds.begin(), m_kinds.end(),
                                   [](const std::unique_ptr<SearchedKind>& kind) { return kind->models->Index(); });
    if (!ready || text.empty()) {
        m_results->Clear();
        // The search runs once an index is made.
        SetSummary(!ready && Preparing() ? QStringLiteral("Reading the document…") : QString());
        return;
    }
    // The results of the text before stay shown until the search is done.
    m_search = std::make_unique<KindsSearch>();
    m_searchPlace = std::move(place);
    SearchSlice();
}

void FindWindow::Search() { Search(Place()); }

void FindWindow::SearchSlice() {
    if (!m_search) return m_searchSlicer.stop();
    const std::string text = ToBytes(m_text->text());
    const auto end = std::chrono::steady_clock::now() + SearchSliceTime;
    // The kinds one after the other, as many as the slice's time allows; a kind still without
    // its index is searched once it has one.
    for (; m_search->kind < m_kinds.size(); ++m_search->kind) {
        const FindIndex* index = m_kinds[m_search->kind]->models->Index();
        if (!index) continue;
        if (!m_search->search) m_search->search = std::make_unique<FindIndex::Search>(*index, text, m_wholeWords->isChecked());
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(end - std::chrono::steady_clock::now());
        if (!m_search->search->Continue(std::max(left, std::chrono::microseconds(1)))) {
            SetSummary(QStringLiteral("Searching…"));
            if (!m_searchSlicer.isActive()) m_searchSlicer.start();
            return;
        }
        for (const FindIndex::Row row : m_search->search->Take())
            m_search->found.push_back({static_cast<uint32_t>(m_search->kind), row});
        m_search->search.reset();
    }
    m_searchSlicer.stop();
    std::vector<const FindIndex*> indexes;
    std::vector<std::string> names;
    for (const std::unique_ptr<SearchedKind>& kind : m_kinds) {
        indexes.push_back(kind->models->Index());
        if (!kind->name.empty()) names.push_back(kind->name);
    }
    std::vector<FindResults::Found> found = std::move(m_search->found);
    m_search.reset();
    m_results->Show(std::move(indexes), std::move(names), std::move(found));
    ShowFoundCount();
    ShowPlace(std::exchange(m_searchPlace, {}));
}

void FindWindow::FinishSearch() {
    if (!m_search) return;
    while (m_search) {
        if (m_search->kind < m_kinds.size() && m_search->search) m_search->search->Continue(std::chrono::microseconds::max());
        SearchSlice();
    }
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
