#pragma once

#include "Recordset.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QElapsedTimer;
class QThread;
class QTimer;
class QToolBar;
class QWidget;

namespace tarvo {
class QuickSearchEdit;
class SearchIndexReader;
struct SearchIndexBuild;
namespace suite {
class Grid;
class StatusBar;
} // namespace suite

/// The list window's quick search: the box at the right end of the toolbar's row, and the
/// shown rows narrowed to those whose code, name or account number matches what the clerk
/// types, names also by their pinyin. A long list's index is read on a thread of its own from
/// the box's first use, and searched as far as it is read.
class ListQuickSearch : public QObject {
    Q_OBJECT
public:
    /// countShown puts the count of the rows the grid shows in the status bar.
    ListQuickSearch(QWidget* window, QToolBar* toolbar, suite::Grid* grid,
                    suite::StatusBar* status, std::function<void()> countShown);
    ~ListQuickSearch() override;

    /// Puts the box on the window, once its toolbar is built.
    void place();
    /// Places the box at the right end of the toolbar's row and gives the toolbar the rest of
    /// the row.
    void placeBox();
    void retranslate();
    /// The grid shows rs's rows now (rs null: none): what was known of the rows before is
    /// forgotten, and the rows are narrowed to what the box holds. keyField is the list's key.
    void rowsShown(const RecordsetPtr& rs, const QString& keyField);
    /// A record just saved that the box hides: the box is emptied, so that the clerk sees the
    /// record and the list can stand on it. keyCol is the grid column of the key.
    void reveal(const QString& key, int keyCol);
    /// Runs work while the index's reader keeps off the shown rows, for work that moves where
    /// they are stored.
    void whileRowsHeld(const std::function<void()>& work);
    bool hasFocus() const;

private:
    QWidget* m_window;
    QToolBar* m_toolbar;
    suite::Grid* m_grid;
    suite::StatusBar* m_status;
    std::function<void()> m_countShown;
    QuickSearchEdit* m_box = nullptr;
    /// The record set of the rows shown, and what the quick search knows of it: worked out
    /// when the search is first used after a load, not at every refresh.
    RecordsetPtr m_shownRs;
    QString m_keyField;
    std::shared_ptr<SearchIndexBuild> m_build;
    /// The number of the last build handed to the reader: what it says of an earlier one is
    /// late.
    quint64 m_buildToken = 0;
    QThread* m_readerThread = nullptr;
    SearchIndexReader* m_reader = nullptr;
    /// The text the rows are narrowed by (small letters).
    QString m_searchedText;
    /// Per text searched since the load, per stored row its verdict: taking a letter back
    /// costs nothing, and a longer text looks only at the rows of the longest start it has.
    QHash<QString, std::shared_ptr<std::vector<char>>> m_searchResults;
    /// The verdicts of the text the rows are narrowed by (as far as they are searched), and
    /// those of the start of it they narrow, if any.
    std::shared_ptr<std::vector<char>> m_searchMatches;
    std::shared_ptr<const std::vector<char>> m_searchWithin;
    /// Searches the rows read but not yet searched a slice at a time between the window's
    /// events.
    QTimer* m_searchSlices = nullptr;
    int m_slicesSinceShown = 0;
    /// The status bar says how far the index or the search is.
    bool m_progressShown = false;

    /// Starts the index when there is none: a short list is read whole at once, a long one on
    /// the reader's thread from then on, searched as far as it is read.
    bool ensureIndex();
    void startReader();
    /// Searches rowsAtLeast more rows for the text typed, then on until the slice is over;
    /// true once every row read into the index is searched.
    bool searchFurther(int rowsAtLeast, const QElapsedTimer& clock);
    /// Searches on for a slice and shows the rows found every few slices.
    void searchSlice();
    /// Searches on between the window's events while anything read is left, saying how far
    /// the index and the search are in the status bar.
    void continueSlices();
    void stopSlices();
    /// Narrows the grid to the rows found.
    void showMatches();
    /// Lets go of the index, stopping its reading.
    void forgetIndex(const RecordsetPtr& rs);
    /// Narrows the grid to the rows matching the box, or shows them all again.
    void apply();
    /// Rows in the index, as far as the window may search it.
    int rowsIndexed() const;
};

} // namespace tarvo
