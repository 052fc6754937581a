#include "CardControl.h"

#include "BuildVariant.h"
#include "CardWidgets.h"
#include "Edit.h"
#include "ErrorHandling.h"

#include <QApplication>
#include <QLabel>
#include <QResizeEvent>

#include <algorithm>
#include <map>
#include <vector>

namespace tarvo {

ControlList CardControl::controls() const {
    return findChildren<QWidget*>();
}

namespace {

/// The field a caption stands in front of: the nearest control to its right on its line.
QWidget* fieldAfter(const QLabel* label) {
    const QRect caption = label->geometry();
    QWidget* field = nullptr;
    for (QWidget* w : label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect r = w->geometry();
        const bool sameLine = r.top() < caption.bottom() && r.bottom() > caption.top();
        if (w != label && sameLine && r.left() >= caption.left() + caption.width() / 2 &&
            (!field || r.left() < field->x()))
            field = w;
    }
    return field;
}

} // namespace

void CardControl::fitCaptions() {
    // The fields of a frame that start at one x form a column. A column moves right as far as
    // its widest caption needs, all its fields together, so that they still line up.
    using Column = std::pair<QWidget*, int>;
    std::map<Column, int> moves;
    std::vector<std::pair<QLabel*, Column>> captions;
    for (QLabel* label : findChildren<QLabel*>()) {
        // A taller font than the design's keeps its descenders.
        const int tall = label->fontMetrics().height();
        if (label->height() < tall)
            label->setGeometry(label->x(), label->y() - (tall - label->height()) / 2,
                               label->width(), tall);
        if (label->text().isEmpty())
            continue;
        const int more = label->fontMetrics().horizontalAdvance(label->text()) + 4 - label->width();
        QWidget* field = fieldAfter(label);
        if (!field) {
            if (more > 0)
                label->resize(label->width() + more, label->height());
            continue;
        }
        const Column column{label->parentWidget(), field->x()};
        captions.emplace_back(label, column);
        moves[column] = std::max(moves[column], more);
    }
    for (const auto& [column, more] : moves) {
        if (more <= 0)
            continue;
        QList<QWidget*> fields;
        for (QWidget* w : column.first->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->x() == column.second && !qobject_cast<QLabel*>(w))
                fields << w;
        // No room to take: keep the fields usable.
        if (std::any_of(fields.begin(), fields.end(),
                        [more = more](QWidget* f) { return f->width() - more < f->width() / 2; }))
            continue;
        for (QWidget* f : fields)
            f->setGeometry(f->x() + more, f->y(), f->width() - more, f->height());
        for (const auto& [label, at] : captions)
            if (at == column)
                label->resize(label->width() + more, label->height());
    }
}

void CardControl::reportEditsChangedByUser() {
    for (suite::Edit* edit : findChildren<suite::Edit*>())
        connect(edit, &suite::Edit::UserChange, this, &CardControl::ActiveSaveBtn);
}

void CardControl::placeTwips(QWidget* control, int left, int top, int width, int height) {
    control->setProperty("tarvo.twips", QRect(left, top, width, height));
    control->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

int CardControl::pixels(int twips) {
    return twips / 15;
}

void CardControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize fixed(pixels(kWidthTwips), pixels(kHeightTwips));
    if (event->size() != fixed)
        resize(fixed);
}

void CardControl::layOut(IPub& pub, const char* layoutKey) {
    if (isEarlierBuild())
        pub.UCtrlLayout(controls(), QString::fromLatin1(layoutKey));
    else
        pub.SetConPosition(controls());
}

QWidget* CardControl::activeControl() const {
    QWidget* focus = QApplication::focusWidget();
    return focus && isAncestorOf(focus) ? focus : nullptr;
}

void CardControl::styleControls(IPub& pub, int helpId) {
    for (QWidget* control : controls()) {
        skipErrors([&] {
            QFont f = control->font();
            f.setFamily(isEarlierBuild() ? pub.m_FontName() : pub.FontName());
            f.setPointSizeF(isEarlierBuild() ? pub.m_FontSize() : pub.FontSize());
            f.setStyleStrategy(QFont::PreferNoShaping);
            control->setFont(f);
        });
        if (auto* edit = qobject_cast<suite::Edit*>(control)) {
            if (edit->Property() == 1)
                edit->setProperty(0);
            edit->setHelpContextId(helpId);
        } else if (auto* label = qobject_cast<suite::Label*>(control);
                   label && label->Tag() == u"1") {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, QColor::fromRgb(pub.MustInputColor()));
            label->setPalette(p);
        }
    }
}

void CardControl::reportKeyDown(IPub* pub, int keyCode, int shift) {
    QWidget* active = activeControl();
    if (active && pub && pub->ConKeyDown(active, keyCode, shift))
        Q_EMIT ActiveSaveBtn();
}

} // namespace tarvo
