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
#include <QWidgetAction>

namespace tarvo {

namespace {
// Pixels: the box takes what room the buttons leave, within these bounds, so that it stays
// on the toolbar of a window of the size it opens with.
constexpr int kBoxMinWidth = 120;
constexpr int kBoxMaxWidth = 260;
constexpr int kResultsKept = 64;
} // namespace

void FrmMain::PlaceQuickSearch() {
    if (!m_quickSearchAction) {
        txtQuickSearch = new QuickSearchEdit(this);
        txtQuickSearch->setMinimumWidth(kBoxMinWidth);
        txtQuickSearch->setMaximumWidth(kBoxMaxWidth);
        txtQuickSearch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_quickSearchAction = new QWidgetAction(this);
        m_quickSearchAction->setDefaultWidget(txtQuickSearch);
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
    }
    // Straight after the designed buttons, before the ones added to them: when the window is
    // narrow, the toolbar's overflow takes those first and the box stays in sight.
    const QList<QAction*> actions = Tlb->actions();
    const qsizetype exit = actions.indexOf(findChild<QAction*>(QStringLiteral("Tlb_Exit")));
    QAction* before = exit >= 0 ? actions.value(exit + 1) : nullptr;
    Tlb->insertSeparator(before);
    Tlb->insertAction(before, m_quickSearchAction);
}

void FrmMain::retranslateQuickSearch() {
    if (!txtQuickSearch)
        return;
    txtQuickSearch->setPlaceholderText(tr("搜索 编码/名称/账号/拼音"));
    txtQuickSearch->setToolTip(txtQuickSearch->placeholderText());
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
