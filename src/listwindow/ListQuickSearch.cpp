#include "ListQuickSearch.h"

#include "ErrorHandling.h"
#include "Grid.h"
#include "Pinyin.h"
#include "QuickSearchEdit.h"
#include "QuickSearchIndex.h"
#include "SearchIndexReader.h"
#include "SessionContext.h"
#include "StatusBar.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace tarvo {

namespace {
// Pixels: the box at the right end of the toolbar's row is as wide as its hint needs, but never
// narrower than the minimum nor wider than a third of the window, so that the toolbar keeps
// room for its buttons.
constexpr int kBoxMinWidth = 120;
constexpr int kBoxMargin = 6;
constexpr int kResultsKept = 64;
/// The remembered verdicts of a long list are a byte per row each: at most this many bytes.
constexpr qsizetype kResultBytesKept = 24 << 20;
/// A list this short is read whole at once; a longer one on the reader's thread.
constexpr int kReadAtOnce = 2048;
/// How long one slice of searching may hold the window before its events run again.
constexpr int kSliceMs = 12;
/// Rows a key searches before the list shows what it found; a longer list's rest is searched
/// a slice at a time, kSearchStep rows between two looks at the clock.
constexpr int kRowsSearchedAtOnce = 100000;
constexpr int kSearchStep = 100000;
/// While the index is read or a long list searched, the list takes the rows found every few
/// slices, not at each: the grid's filter walks all its rows.
constexpr int kSlicesBetweenShows = 8;
} // namespace

ListQuickSearch::ListQuickSearch(QWidget* window, QToolBar* toolbar, suite::Grid* grid,
                                 suite::StatusBar* status, std::function<void()> countShown)
    : QObject(window), m_window(window), m_toolbar(toolbar), m_grid(grid), m_status(status),
      m_countShown(std::move(countShown)) {}

ListQuickSearch::~ListQuickSearch() {
    if (m_build)
        m_build->cancelled = true;
    if (m_readerThread) {
        m_readerThread->quit();
        m_readerThread->wait();
    }
}

void ListQuickSearch::place() {
    if (m_box)
        return;
    // Not on the toolbar: a narrow window moves the toolbar's last buttons behind its "»",
    // and the box a clerk uses every minute must stay in sight at any width.
    m_box = new QuickSearchEdit(m_window);
    m_box->setMinimumWidth(kBoxMinWidth);
    connect(m_box, &QLineEdit::textChanged, this, [this] { reportErrors([&] { apply(); }); });
    connect(m_box, &QuickSearchEdit::focused, this,
            [this] { reportErrors([&] { ensureIndex(); }); });
    connect(m_box, &QuickSearchEdit::leaveToList, this, [this] {
        m_grid->setFocus();
        if (m_grid->Row() == 0)
            m_grid->setRow(1);
    });
    retranslate();
    m_box->show();
}

void ListQuickSearch::placeBox() {
    if (!m_box)
        return;
    m_box->setVisible(m_toolbar->isVisibleTo(m_window));
    const QMargins text = m_box->textMargins();
    // The placeholder whole, with the frame's and the cursor's room around it.
    const int wanted = m_box->fontMetrics().horizontalAdvance(m_box->placeholderText()) +
                       text.left() + text.right() + 4 * kBoxMargin;
    const int boxWidth =
        std::clamp(wanted, kBoxMinWidth, std::max(kBoxMinWidth, m_window->width() / 3));
    const int boxHeight = std::min(m_box->sizeHint().height(), m_toolbar->height());
    const int x = std::max(0, m_window->width() - boxWidth - kBoxMargin);
    m_box->setGeometry(x, m_toolbar->y() + (m_toolbar->height() - boxHeight) / 2, boxWidth,
                       boxHeight);
    m_toolbar->setGeometry(m_toolbar->x(), m_toolbar->y(),
                           std::max(0, x - kBoxMargin - m_toolbar->x()), m_toolbar->height());
}

void ListQuickSearch::retranslate() {
    if (!m_box)
        return;
    m_box->setPlaceholderText(tr("搜索 编码/名称/账号/拼音"));
    m_box->setToolTip(m_box->placeholderText());
    placeBox();
}

bool ListQuickSearch::hasFocus() const {
    return m_box && m_box->hasFocus();
}

int ListQuickSearch::rowsIndexed() const {
    return m_build ? m_build->rowsRead.load() : 0;
}

bool ListQuickSearch::ensureIndex() {
    if (!m_shownRs)
        return false;
    if (!m_build) {
        m_build = std::make_shared<SearchIndexBuild>(
            m_shownRs, QuickSearchIndex::fieldsOf(*m_shownRs, m_keyField));
        m_slicesSinceShown = 0;
        const int rows = m_shownRs->storedRowCount();
        if (rows <= kReadAtOnce) {
            m_build->index.addRows(*m_shownRs, rows);
            m_build->index.finish();
            m_build->rowsRead = rows;
        } else {
            startReader();
        }
        continueSlices();
    }
    return true;
}

void ListQuickSearch::startReader() {
    if (!m_readerThread) {
        // One thread for every index of this window: the pinyin is set up once per thread.
        m_readerThread = new QThread(this);
        m_readerThread->setObjectName(QStringLiteral("searchIndex"));
        m_reader = new SearchIndexReader;
        m_reader->moveToThread(m_readerThread);
        connect(m_readerThread, &QThread::finished, m_reader, &QObject::deleteLater);
        connect(m_reader, &SearchIndexReader::progressed, this, [this](quint64 token, int) {
            if (token == m_buildToken)
                reportErrors([&] { searchSlice(); });
        });
        connect(m_reader, &SearchIndexReader::failed, this,
                [this](quint64 token, const QString& message) {
                    if (token != m_buildToken)
                        return;
                    // The list is shown whole and unsearched rather than narrowed to half.
                    forgetIndex(nullptr);
                    m_grid->setRowFilter(nullptr);
                    m_countShown();
                    ShowInfo(message);
                });
        m_readerThread->start();
    }
    // The reader works in the session of the window that asked, whatever its thread holds.
    QMetaObject::invokeMethod(
        m_reader, carryingSession([reader = m_reader, build = m_build, token = ++m_buildToken] {
            reader->read(build, token);
        }));
}

bool ListQuickSearch::searchFurther(int rowsAtLeast, const QElapsedTimer& clock) {
    if (!m_searchMatches)
        return true;
    // Until its first rows are in, the reader may hold the index for a while: nothing to
    // search yet, and no reason to wait.
    if (rowsIndexed() == 0)
        return false;
    const auto held = m_build->hold();
    const QuickSearchIndex& index = m_build->index;
    const auto upTo = [&](int rows) {
        index.matchMore(m_searchedText, *m_searchMatches, m_searchWithin.get(), rows);
    };
    upTo(int(m_searchMatches->size()) + rowsAtLeast);
    while (int(m_searchMatches->size()) < index.rowCount() && clock.elapsed() < kSliceMs)
        upTo(int(m_searchMatches->size()) + kSearchStep);
    return int(m_searchMatches->size()) == index.rowCount();
}

void ListQuickSearch::searchSlice() {
    QElapsedTimer clock;
    clock.start();
    // Whether the index is whole is asked after the search: the reader may have finished it
    // meanwhile, and the search have found to its end.
    const bool searched = searchFurther(0, clock);
    const bool complete = searched && m_build && rowsIndexed() == m_shownRs->storedRowCount();
    if (m_searchMatches && (complete || ++m_slicesSinceShown >= kSlicesBetweenShows)) {
        m_slicesSinceShown = 0;
        showMatches();
    }
    continueSlices();
}

void ListQuickSearch::continueSlices() {
    const int rows = m_shownRs ? m_shownRs->storedRowCount() : 0;
    const bool indexed = !m_build || rowsIndexed() == rows;
    const bool found = !m_searchMatches || int(m_searchMatches->size()) == rows;
    if (indexed && found) {
        stopSlices();
        return;
    }
    if (!indexed)
        m_status->setPanelText(
            1, tr("正在建立搜索索引… %1%").arg(qint64(rowsIndexed()) * 100 / rows));
    else
        m_status->setPanelText(
            1, tr("正在搜索… %1%").arg(qint64(m_searchMatches->size()) * 100 / rows));
    m_progressShown = true;
    if (!m_searchSlices) {
        m_searchSlices = new QTimer(this);
        m_searchSlices->setSingleShot(true);
        connect(m_searchSlices, &QTimer::timeout, this,
                [this] { reportErrors([&] { searchSlice(); }); });
    }
    // Rows read but not searched are searched at the next turn; rows still to be read come
    // with the reader's next word.
    if (m_searchMatches && int(m_searchMatches->size()) < rowsIndexed())
        m_searchSlices->start(0);
    else
        m_searchSlices->stop();
}

void ListQuickSearch::stopSlices() {
    if (m_searchSlices)
        m_searchSlices->stop();
    if (m_progressShown) {
        m_progressShown = false;
        m_status->setPanelText(1, QString());
    }
}

void ListQuickSearch::forgetIndex(const RecordsetPtr& rs) {
    stopSlices();
    if (rs)
        Pinyin::prepare(); // long before the search box is first used
    if (m_build)
        m_build->cancelled = true;
    m_build.reset();
    ++m_buildToken; // what the reader says of the index let go comes too late
    m_shownRs = rs;
    m_searchedText.clear();
    m_searchResults.clear();
    m_searchMatches.reset();
    m_searchWithin.reset();
}

void ListQuickSearch::rowsShown(const RecordsetPtr& rs, const QString& keyField) {
    forgetIndex(rs);
    m_keyField = keyField;
    if (rs)
        apply();
}

void ListQuickSearch::whileRowsHeld(const std::function<void()>& work) {
    if (!m_build) {
        work();
        return;
    }
    const auto held = m_build->hold();
    work();
}

void ListQuickSearch::apply() {
    const QString text = m_box ? m_box->text().trimmed().toLower() : QString();
    if (text.isEmpty() || !ensureIndex()) {
        m_searchMatches.reset();
        m_searchWithin.reset();
        continueSlices();
        if (m_searchedText.isEmpty())
            return; // nothing narrowed, nothing to undo
        m_grid->setRowFilter(nullptr);
        m_searchedText.clear();
        m_countShown();
        return;
    }
    if (text != m_searchedText) {
        std::shared_ptr<std::vector<char>> matches = m_searchResults.value(text);
        // A match of a text is always a match of every start of it: a text not searched yet
        // looks only at the rows of its longest start searched (as far as that went).
        m_searchWithin.reset();
        for (qsizetype n = text.size() - 1; n > 0 && !matches && !m_searchWithin; --n)
            m_searchWithin = m_searchResults.value(text.left(n));
        if (!matches) {
            matches = std::make_shared<std::vector<char>>();
            const qsizetype kept = std::clamp<qsizetype>(
                kResultBytesKept / std::max(1, m_shownRs->storedRowCount()), 8, kResultsKept);
            if (m_searchResults.size() >= kept)
                m_searchResults.removeIf(
                    [&](const auto& it) { return !text.startsWith(it.key()); });
            if (m_searchResults.size() >= kept)
                m_searchResults.clear();
            m_searchResults.insert(text, matches);
        }
        m_searchedText = text;
        m_searchMatches = std::move(matches);
    }
    // The first rows at once, the rest in slices between the window's events.
    QElapsedTimer clock;
    clock.start();
    searchFurther(kRowsSearchedAtOnce, clock);
    showMatches();
    continueSlices();
}

void ListQuickSearch::showMatches() {
    const int stored = m_shownRs->storedRowCount();
    m_grid->setRowFilter([matches = m_searchMatches, stored](int key) {
        // Rows added to the grid by hand have no record behind them and stay; rows not
        // searched yet are shown once they are found.
        return key < 0 || key >= stored ||
               (size_t(key) < matches->size() && (*matches)[size_t(key)]);
    });
    m_countShown();
}

void ListQuickSearch::reveal(const QString& key, int keyCol) {
    if (!m_box || m_box->text().isEmpty() || key.isEmpty() || keyCol <= 0)
        return;
    for (int row = 1; row < m_grid->Rows(); ++row)
        if (m_grid->TextMatrix(row, keyCol).trimmed() == key.trimmed())
            return;
    m_box->clear();
}

} // namespace tarvo
