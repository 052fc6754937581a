// The quick search: the shown rows narrowed to those whose code, name or account number
// matches what the clerk types, names also by their pinyin.
#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ListLoader.h"
#include "Pinyin.h"
#include "QuickSearchEdit.h"
#include "QuickSearchIndex.h"
#include "StatusBar.h"

#include <QElapsedTimer>
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
/// Rows read into the search index between two looks at the clock, and how long one slice of
/// reading or searching may hold the window before its events run again.
constexpr int kIndexStep = 512;
/// A list this short is read whole at once.
constexpr int kReadAtOnce = 2048;
/// How often a long list's index looks whether ICU is set up yet.
constexpr int kPinyinPollMs = 10;
constexpr int kSliceMs = 12;
/// Rows a key searches before the list shows what it found; a longer list's rest is searched
/// a slice at a time, kSearchStep rows between two looks at the clock.
constexpr int kRowsSearchedAtOnce = 100000;
constexpr int kSearchStep = 100000;
/// While the index is read or a long list searched, the list takes the rows found every few
/// slices, not at each: the grid's filter walks all its rows.
constexpr int kSlicesBetweenShows = 8;
} // namespace

void FrmMain::PlaceQuickSearch() {
    if (txtQuickSearch)
        return;
    // Not on the toolbar: a narrow window moves the toolbar's last buttons behind its "»",
    // and the box a clerk uses every minute must stay in sight at any width.
    txtQuickSearch = new QuickSearchEdit(this);
    txtQuickSearch->setMinimumWidth(kBoxMinWidth);
    connect(txtQuickSearch, &QLineEdit::textChanged, this,
            [this] { reportErrors([&] { ApplyQuickSearch(); }); });
    connect(txtQuickSearch, &QuickSearchEdit::focused, this,
            [this] { reportErrors([&] { EnsureSearchIndex(); }); });
    connect(txtQuickSearch, &QuickSearchEdit::leaveToList, this, [this] {
        Grid->setFocus();
        if (Grid->Row() == 0)
            Grid->setRow(1);
    });
    retranslateQuickSearch();
    txtQuickSearch->show();
}

void FrmMain::PlaceQuickSearchBox() {
    if (!txtQuickSearch)
        return;
    txtQuickSearch->setVisible(Tlb->isVisibleTo(this));
    const QMargins text = txtQuickSearch->textMargins();
    // The placeholder whole, with the frame's and the cursor's room around it.
    const int wanted = txtQuickSearch->fontMetrics().horizontalAdvance(
                           txtQuickSearch->placeholderText()) +
                       text.left() + text.right() + 4 * kBoxMargin;
    const int boxWidth = std::clamp(wanted, kBoxMinWidth, std::max(kBoxMinWidth, width() / 3));
    const int boxHeight = std::min(txtQuickSearch->sizeHint().height(), Tlb->height());
    const int x = std::max(0, width() - boxWidth - kBoxMargin);
    txtQuickSearch->setGeometry(x, Tlb->y() + (Tlb->height() - boxHeight) / 2, boxWidth,
                                boxHeight);
    Tlb->setGeometry(Tlb->x(), Tlb->y(), std::max(0, x - kBoxMargin - Tlb->x()), Tlb->height());
}

void FrmMain::retranslateQuickSearch() {
    if (!txtQuickSearch)
        return;
    txtQuickSearch->setPlaceholderText(tr("搜索 编码/名称/账号/拼音"));
    txtQuickSearch->setToolTip(txtQuickSearch->placeholderText());
    PlaceQuickSearchBox();
}

bool FrmMain::EnsureSearchIndex() {
    if (!m_shownRs)
        return false;
    if (!m_searchIndex) {
        m_searchIndex = std::make_unique<QuickSearchIndex>(
            QuickSearchIndex::fieldsOf(*m_shownRs, m_ComVar->m_KeyFldName));
        m_slicesSinceShown = 0;
        QElapsedTimer clock;
        clock.start();
        ReadSearchSlice(clock); // a short list is read whole at once
        ContinueSearchSlices();
    }
    return true;
}

bool FrmMain::ReadSearchSlice(const QElapsedTimer& clock) {
    const int rows = m_shownRs->storedRowCount();
    if (m_searchIndex->rowCount() == rows)
        return true;
    if (rows <= kReadAtOnce) {
        m_searchIndex->addRows(*m_shownRs, rows);
    } else if (Pinyin::ready()) {
        do
            m_searchIndex->addRows(*m_shownRs, kIndexStep);
        while (m_searchIndex->rowCount() < rows &&
               clock.elapsed() < (m_searchMatches ? kSliceMs / 2 : kSliceMs));
    }
    if (m_searchIndex->rowCount() < rows)
        return false;
    m_searchIndex->finish();
    return true;
}

bool FrmMain::SearchFurther(int rowsAtLeast, const QElapsedTimer& clock) {
    if (!m_searchMatches)
        return true;
    const auto upTo = [&](int rows) {
        m_searchIndex->matchMore(m_searchedText, *m_searchMatches, m_searchWithin.get(), rows);
    };
    upTo(int(m_searchMatches->size()) + rowsAtLeast);
    while (int(m_searchMatches->size()) < m_searchIndex->rowCount() && clock.elapsed() < kSliceMs)
        upTo(int(m_searchMatches->size()) + kSearchStep);
    return int(m_searchMatches->size()) == m_searchIndex->rowCount();
}

void FrmMain::ContinueSearchSlices() {
    const int rows = m_shownRs ? m_shownRs->storedRowCount() : 0;
    const bool indexed = !m_searchIndex || m_searchIndex->rowCount() == rows;
    const bool found = !m_searchMatches || int(m_searchMatches->size()) == rows;
    if (indexed && found) {
        StopSearchSlices();
        return;
    }
    if (!indexed)
        Stb->setPanelText(1, tr("正在建立搜索索引… %1%")
                                 .arg(qint64(m_searchIndex->rowCount()) * 100 / rows));
    else
        Stb->setPanelText(1, tr("正在搜索… %1%").arg(qint64(m_searchMatches->size()) * 100 / rows));
    if (!m_searchSlices) {
        m_searchSlices = new QTimer(this);
        connect(m_searchSlices, &QTimer::timeout, this, [this] {
            reportErrors([&] {
                QElapsedTimer clock;
                clock.start();
                const bool indexed = ReadSearchSlice(clock);
                const bool complete = SearchFurther(0, clock) && indexed;
                if (m_searchMatches &&
                    (complete || ++m_slicesSinceShown >= kSlicesBetweenShows)) {
                    m_slicesSinceShown = 0;
                    ShowSearchMatches();
                }
                ContinueSearchSlices();
            });
        });
    }
    m_searchSlices->start(Pinyin::ready() ? 0 : kPinyinPollMs);
}

void FrmMain::StopSearchSlices() {
    if (m_searchSlices && m_searchSlices->isActive()) {
        m_searchSlices->stop();
        Stb->setPanelText(1, QString());
    }
}

void FrmMain::ForgetSearchIndex(const RecordsetPtr& rs) {
    StopSearchSlices();
    if (rs)
        Pinyin::prepare(); // long before the search box is first used
    m_shownRs = rs;
    m_searchIndex.reset();
    m_searchedText.clear();
    m_searchResults.clear();
    m_searchMatches.reset();
    m_searchWithin.reset();
}

void FrmMain::ApplyQuickSearch() {
    const QString text = txtQuickSearch ? txtQuickSearch->text().trimmed().toLower() : QString();
    if (text.isEmpty() || !EnsureSearchIndex()) {
        m_searchMatches.reset();
        m_searchWithin.reset();
        ContinueSearchSlices();
        if (m_searchedText.isEmpty())
            return; // nothing narrowed, nothing to undo
        Grid->setRowFilter(nullptr);
        m_searchedText.clear();
        ShowRowCount(Grid->Rows() - 1);
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
                kResultBytesKept / std::max(1, m_searchIndex->rowCount()), 8, kResultsKept);
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
    SearchFurther(kRowsSearchedAtOnce, clock);
    ShowSearchMatches();
    ContinueSearchSlices();
}

void FrmMain::ShowSearchMatches() {
    const int stored = m_shownRs->storedRowCount();
    Grid->setRowFilter([matches = m_searchMatches, stored](int key) {
        // Rows added to the grid by hand have no record behind them and stay; rows not
        // searched yet are shown once they are found.
        return key < 0 || key >= stored ||
               (size_t(key) < matches->size() && (*matches)[size_t(key)]);
    });
    ShowRowCount(Grid->Rows() - 1);
}

void FrmMain::ShowRowCount(long count) {
    // While rows are read the panel counts them; the rows shown meanwhile (the old list, or the
    // search box's share of it) are not the list's count, which the end of the read gives.
    if (m_loader->isFetching())
        return;
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {QString::number(count)};
    Stb->setPanelText(3, s.oPub->GetResFormatString(
                             QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.rstcount"), s.ResParams));
}

void FrmMain::RevealQuickSearchRow(const QString& key) {
    if (!txtQuickSearch || txtQuickSearch->text().isEmpty() || key.isEmpty() || m_KeyCol <= 0)
        return;
    for (int row = 1; row < Grid->Rows(); ++row)
        if (Grid->TextMatrix(row, m_KeyCol).trimmed() == key.trimmed())
            return;
    txtQuickSearch->clear();
}

} // namespace tarvo
