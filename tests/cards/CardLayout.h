#pragma once

#include <QLabel>
#include <QMap>
#include <QStringList>
#include <QWidget>

/// What a clerk would see wrong in a card's layout: a caption cut in width or height, or the
/// fields of one designed column of a frame standing at different places.
inline QStringList layoutFaults(const QWidget& card) {
    QStringList faults;
    QMap<QPair<const QWidget*, int>, QMap<int, QString>> columns;
    for (const QWidget* w : card.findChildren<QWidget*>()) {
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            const QFontMetrics fm = label->fontMetrics();
            if (fm.horizontalAdvance(label->text()) > label->width())
                faults << QStringLiteral("“%1” is cut short").arg(label->text());
            if (fm.height() > label->height())
                faults << QStringLiteral("“%1” loses its descenders").arg(label->text());
            continue;
        }
        const QVariant twips = w->property("tarvo.twips");
        if (twips.isValid() && !w->isHidden())
            columns[{w->parentWidget(), twips.toRect().x()}][w->x()] += w->objectName() + u' ';
    }
    for (const auto& xs : std::as_const(columns))
        if (xs.size() > 1) {
            QStringList at;
            for (auto it = xs.begin(); it != xs.end(); ++it)
                at << QStringLiteral("%1at x %2").arg(it.value()).arg(it.key());
            faults << at.join(QStringLiteral(", "));
        }
    return faults;
}
