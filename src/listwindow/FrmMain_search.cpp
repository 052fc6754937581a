// The quick search: the shown rows narrowed to those whose code, name or account number
// matches what the clerk types, names also by their pinyin.
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "QuickSearchEdit.h"
#include "QuickSearchIndex.h"
#include "StatusBar.h"

#include <QApplication>
#include <QScopeGuard>
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
        // Most of a second on a list of 100,000 accounts: show that the window works.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        m_searchIndex = std::make_unique<QuickSearchIndex>(
            *m_shownRs, QuickSearchIndex::fieldsOf(*m_shownRs, m_ComVar->m_KeyFldName));
    }
    return true;
}

void FrmMain::ForgetSearchIndex(const RecordsetPtr& rs) {
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
    std::shared_ptr<const std::vector<char>> matches = m_searchResults.value(text);
    if (!matches) {
        // A match of a text is always a match of every start of it.
        const std::vector<char>* within = nullptr;
        for (qsizetype n = text.size() - 1; n > 0 && !within; --n)
            if (const auto it = m_searchResults.constFind(text.left(n));
                it != m_searchResults.cend())
                within = it->get();
        matches = std::make_shared<const std::vector<char>>(m_searchIndex->match(text, within));
        if (m_searchResults.size() >= kResultsKept)
            m_searchResults.clear();
        m_searchResults.insert(text, matches);
    }
    m_searchedText = text;
    Grid->setRowFilter([matches](int key) {
        // Rows added to the grid by hand have no record behind them and stay.
        return key < 0 || size_t(key) >= matches->size() || (*matches)[size_t(key)];
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
