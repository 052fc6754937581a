#pragma once

#include <QHeaderView>

namespace tarvo::suite {

/// The grid's column headers. A caption too long for its column keeps its beginning and ends
/// in an ellipsis, and shows whole as a tool tip. The column the rows were last sorted by
/// carries the sort arrow until the rows are loaded anew. A header can be clicked; what a click
/// does is the list's to say (sectionClicked).
class GridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeader(QWidget* parent = nullptr);

    void setSortMark(int section, Qt::SortOrder order);
    /// The sorted column, or -1 when the rows stand as they were loaded.
    int sortMarkSection() const { return m_sortSection; }
    Qt::SortOrder sortMarkOrder() const { return m_sortOrder; }
    /// Whether a caption fits its column without being shortened.
    bool captionFits(int section) const;

    void setModel(QAbstractItemModel* model) override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    bool viewportEvent(QEvent* event) override;

private:
    int captionRoom(int section) const;
    int m_sortSection = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace tarvo::suite
