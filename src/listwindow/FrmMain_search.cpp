// The quick search: the shown rows narrowed to those whose code, name or account number
// matches what the clerk types, names also by their pinyin.
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
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
/// reading may hold the window before its events run again.
constexpr int kIndexStep = 512;
/// A list this short is read whole at once.
constexpr int kReadAtOnce = 2048;
/// How often a long list's index looks whether ICU is set up yet.
constexpr int kPinyinPollMs = 10;
constexpr int kIndexSliceMs = 25;
/// While the index is read, the list narrowed by what is typed takes the rows found every few
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
        ReadSearchSlice(); // a short list is read whole at once
    }
    return true;
}

bool FrmMain::ReadSearchSlice() {
    const int rows = m_shownRs->storedRowCount();
    if (rows <= kReadAtOnce) {
        m_searchIndex->addRows(*m_shownRs, rows);
    } else if (Pinyin::ready()) {
        QElapsedTimer clock;
        clock.start();
        do
            m_searchIndex->addRows(*m_shownRs, kIndexStep);
        while (m_searchIndex->rowCount() < rows && clock.elapsed() < kIndexSliceMs);
    }
    if (m_searchIndex->rowCount() < rows) {
        Stb->setPanelText(1, tr("正在建立搜索索引… %1%")
                                 .arg(qint64(m_searchIndex->rowCount()) * 100 / rows));
        if (!m_searchSlices) {
            m_searchSlices = new QTimer(this);
            connect(m_searchSlices, &QTimer::timeout, this, [this] {
                reportErrors([&] {
                    const bool complete = ReadSearchSlice();
                    if (!m_searchedText.isEmpty() &&
                        (complete || ++m_slicesSinceShown >= kSlicesBetweenShows)) {
                        m_slicesSinceShown = 0;
                        ApplyQuickSearch();
                    }
                });
            });
        }
        m_searchSlices->start(Pinyin::ready() ? 0 : kPinyinPollMs);
        return false;
    }
    m_searchIndex->finish();
    StopSearchSlices();
    return true;
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
}

void FrmMain::ApplyQuickSearch() {
    const QString text = txtQuickSearch ? txtQuickSearch->text().trimmed().toLower() : QString();
    if (text.isEmpty() || !EnsureSearchIndex()) {
        if (m_searchedText.isEmpty())
            return; // nothing narrowed, nothing to undo
        Grid->setRowFilter(nullptr);
        m_searchedText.clear();
        ShowRowCount(Grid->Rows() - 1);
        return;
    }
    std::shared_ptr<std::vector<char>> matches = m_searchResults.value(text);
    if (!matches) {
        // A match of a text is always a match of every start of it.
        const std::vector<char>* within = nullptr;
        for (qsizetype n = text.size() - 1; n > 0 && !within; --n)
            if (const auto it = m_searchResults.constFind(text.left(n));
                it != m_searchResults.cend())
                within = it->get();
        matches = std::make_shared<std::vector<char>>(m_searchIndex->match(text, within));
        const qsizetype kept = std::clamp<qsizetype>(
            kResultBytesKept / std::max(1, m_searchIndex->rowCount()), 8, kResultsKept);
        if (m_searchResults.size() >= kept)
            m_searchResults.removeIf([&](const auto& it) { return !text.startsWith(it.key()); });
        if (m_searchResults.size() >= kept)
            m_searchResults.clear();
        m_searchResults.insert(text, matches);
    } else {
        // Found while the index was still being read: the rows read since are looked at too.
        m_searchIndex->matchMore(text, *matches);
    }
    m_searchedText = text;
    const int stored = m_shownRs->storedRowCount();
    Grid->setRowFilter([matches, stored](int key) {
        // Rows added to the grid by hand have no record behind them and stay; rows the index
        // has not read yet are shown once it has found them.
        return key < 0 || key >= stored ||
               (size_t(key) < matches->size() && (*matches)[size_t(key)]);
    });
    ShowRowCount(Grid->Rows() - 1);
}

void FrmMain::ShowRowCount(long count) {
    // A count takes the plural forms of the session's language, which a resource text cannot.
    Stb->setPanelText(3, tr("共 %n 条记录", nullptr, int(count)));
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
