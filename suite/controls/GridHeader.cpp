#include "GridHeader.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace tarvo::suite {

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setHighlightSections(false);
    setSectionsClickable(true);
    setTextElideMode(Qt::ElideRight);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(0);
}

void GridHeader::setModel(QAbstractItemModel* model) {
    if (this->model())
        disconnect(this->model(), nullptr, this, nullptr);
    QHeaderView::setModel(model);
    // Rows loaded anew stand in the order of the query, not in the order of the last sort.
    if (model)
        connect(model, &QAbstractItemModel::modelReset, this, [this] { setSortMark(-1, {}); });
}

void GridHeader::setSortMark(int section, Qt::SortOrder order) {
    m_sortSection = section;
    m_sortOrder = order;
    viewport()->update();
}

int GridHeader::captionRoom(int section) const {
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &opt, this);
    int room = sectionSize(section) - 2 * margin - 4;
    if (section == m_sortSection)
        room -= style()->pixelMetric(QStyle::PM_HeaderMarkSize, &opt, this) + margin;
    return room;
}

bool GridHeader::captionFits(int section) const {
    const QString caption = model() ? model()->headerData(section, orientation()).toString() : "";
    return fontMetrics().horizontalAdvance(caption) <= captionRoom(section);
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    opt.sortIndicator = logicalIndex != m_sortSection       ? QStyleOptionHeader::None
                        : m_sortOrder == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                            : QStyleOptionHeader::SortUp;
    if (!captionFits(logicalIndex)) {
        // Centred text wider than its room would lose both ends: keep the beginning instead.
        opt.text = opt.fontMetrics.elidedText(opt.text, Qt::ElideRight, captionRoom(logicalIndex));
        opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    painter->save();
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    painter->restore();
}

bool GridHeader::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int section = logicalIndexAt(help->pos());
        if (section >= 0 && !captionFits(section))
            QToolTip::showText(help->globalPos(),
                               model()->headerData(section, orientation()).toString(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QHeaderView::viewportEvent(event);
}

} // namespace tarvo::suite
