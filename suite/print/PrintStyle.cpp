#include "PrintStyle.h"

#include <QLocale>
#include <QSizeF>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace tarvo::suite {

namespace {

const QString kColumnsTag = QStringLiteral("Columns");

QString alignName(Qt::Alignment a) {
    if (a & Qt::AlignRight)
        return QStringLiteral("right");
    if (a & Qt::AlignHCenter)
        return QStringLiteral("center");
    return QStringLiteral("left");
}

Qt::Alignment alignFromName(QStringView name) {
    if (name == u"right")
        return Qt::AlignRight;
    if (name == u"center")
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

QString kindName(CellKind k) {
    switch (k) {
    case CellKind::Number:
        return QStringLiteral("number");
    case CellKind::Date:
        return QStringLiteral("date");
    case CellKind::Text:
        break;
    }
    return QStringLiteral("text");
}

CellKind kindFromName(QStringView name) {
    if (name == u"number")
        return CellKind::Number;
    if (name == u"date")
        return CellKind::Date;
    return CellKind::Text;
}

bool readPage(const QXmlStreamAttributes& a, QPageLayout& page) {
    bool known = false;
    const int id = a.value(QLatin1String("size")).toInt(&known);
    QPageSize size;
    if (known && id >= 0 && id < int(QPageSize::LastPageSize) && id != int(QPageSize::Custom))
        size = QPageSize(QPageSize::PageSizeId(id));
    else
        size = QPageSize(QSizeF(a.value(QLatin1String("width")).toDouble(),
                                a.value(QLatin1String("height")).toDouble()),
                         QPageSize::Millimeter);
    if (!size.isValid())
        return false;
    const auto orientation = a.value(QLatin1String("orientation")) == QLatin1String("landscape")
                                 ? QPageLayout::Landscape
                                 : QPageLayout::Portrait;
    const QMarginsF margins(
        a.value(QLatin1String("left")).toDouble(), a.value(QLatin1String("top")).toDouble(),
        a.value(QLatin1String("right")).toDouble(), a.value(QLatin1String("bottom")).toDouble());
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
        return false;
    page = QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
    return page.isValid();
}

} // namespace

std::optional<PrintStyle> PrintStyle::fromXml(const QString& xml) {
    PrintStyle style;
    bool sawPage = false;
    QXmlStreamReader r(xml);
    if (!r.readNextStartElement() || r.name() != u"PrintStyle")
        return std::nullopt;
    style.archive = r.attributes().value(QLatin1String("archive")).toString();
    while (r.readNextStartElement()) {
        if (r.name() == u"Page") {
            sawPage = readPage(r.attributes(), style.page);
            if (!sawPage)
                return std::nullopt;
            style.fitWidth = r.attributes().value(QLatin1String("fitWidth")) == u"1";
            r.skipCurrentElement();
        } else if (r.name() == u"Title") {
            style.title = r.readElementText();
        } else if (r.name() == kColumnsTag) {
            while (r.readNextStartElement()) {
                if (r.name() != u"Column")
                    return std::nullopt;
                const auto a = r.attributes();
                PrintColumn c;
                c.caption = a.value(QLatin1String("caption")).toString();
                c.widthTwips = a.value(QLatin1String("width")).toInt();
                c.align = alignFromName(a.value(QLatin1String("align")));
                c.kind = kindFromName(a.value(QLatin1String("kind")));
                c.decimals = a.hasAttribute(QLatin1String("decimals"))
                                 ? a.value(QLatin1String("decimals")).toInt()
                                 : -1;
                c.grouped = a.value(QLatin1String("grouping")) != u"none";
                if (c.widthTwips <= 0)
                    return std::nullopt;
                style.columns.push_back(c);
                r.skipCurrentElement();
            }
        } else {
            r.skipCurrentElement();
        }
    }
    if (r.hasError() || !sawPage || style.columns.isEmpty())
        return std::nullopt;
    return style;
}

QString PrintStyle::toXml() const {
    QString out;
    QXmlStreamWriter w(&out);
    w.writeStartElement(QStringLiteral("PrintStyle"));
    w.writeAttribute(QStringLiteral("archive"), archive);
    w.writeStartElement(QStringLiteral("Page"));
    w.writeAttribute(QStringLiteral("size"), QString::number(int(page.pageSize().id())));
    const QSizeF mm = page.pageSize().size(QPageSize::Millimeter);
    w.writeAttribute(QStringLiteral("width"), QString::number(mm.width()));
    w.writeAttribute(QStringLiteral("height"), QString::number(mm.height()));
    w.writeAttribute(QStringLiteral("orientation"), page.orientation() == QPageLayout::Landscape
                                                        ? QStringLiteral("landscape")
                                                        : QStringLiteral("portrait"));
    const QMarginsF m = page.margins(QPageLayout::Millimeter);
    w.writeAttribute(QStringLiteral("left"), QString::number(m.left()));
    w.writeAttribute(QStringLiteral("top"), QString::number(m.top()));
    w.writeAttribute(QStringLiteral("right"), QString::number(m.right()));
    w.writeAttribute(QStringLiteral("bottom"), QString::number(m.bottom()));
    if (fitWidth)
        w.writeAttribute(QStringLiteral("fitWidth"), QStringLiteral("1"));
    w.writeEndElement();
    w.writeTextElement(QStringLiteral("Title"), title);
    w.writeStartElement(kColumnsTag);
    for (const PrintColumn& c : columns) {
        w.writeStartElement(QStringLiteral("Column"));
        w.writeAttribute(QStringLiteral("caption"), c.caption);
        w.writeAttribute(QStringLiteral("width"), QString::number(c.widthTwips));
        w.writeAttribute(QStringLiteral("align"), alignName(c.align));
        w.writeAttribute(QStringLiteral("kind"), kindName(c.kind));
        if (c.decimals >= 0)
            w.writeAttribute(QStringLiteral("decimals"), QString::number(c.decimals));
        if (!c.grouped)
            w.writeAttribute(QStringLiteral("grouping"), QStringLiteral("none"));
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    return out;
}

std::pair<QString, QString> PrintStyle::split() const {
    const QString xml = toXml();
    const qsizetype at = xml.indexOf(u'<' + kColumnsTag);
    return {xml.left(at), xml.mid(at)};
}

QPageLayout PrintStyle::defaultPage(int totalWidthTwips) {
    const QMarginsF margins(15, 15, 15, 15);
    const QPageSize a4(QPageSize::A4);
    const double portraitTwips =
        (a4.size(QPageSize::Millimeter).width() - margins.left() - margins.right()) / 25.4 * 1440;
    return QPageLayout(
        a4, totalWidthTwips > portraitTwips ? QPageLayout::Landscape : QPageLayout::Portrait,
        margins, QPageLayout::Millimeter);
}

bool mayBeInNumber(char32_t c) {
    return c == 0x2212 || QChar::isSpace(c);
}

std::optional<double> parseNumber(const QString& text) {
    // Every white space is in the first plane: half a surrogate pair says no as well.
    if (std::any_of(text.cbegin(), text.cend(),
                    [](QChar c) { return c.unicode() >= 0x80 && !mayBeInNumber(c.unicode()); }))
        return std::nullopt;
    QString t = text.trimmed();
    t.remove(u',');
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString formatNumber(double value, int decimals, bool grouped) {
    // Made once: a long list formats a number or more per row.
    static const QLocale groups = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::DefaultNumberOptions);
        return l;
    }();
    static const QLocale plain = QLocale::c();
    const QLocale& c = grouped ? groups : plain;
    return decimals < 0 ? c.toString(value, 'f', QLocale::FloatingPointShortest)
                        : c.toString(value, 'f', decimals);
}

} // namespace tarvo::suite
