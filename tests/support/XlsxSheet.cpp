#include "XlsxSheet.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <unzip.h>

namespace {

std::optional<QByteArray> entry(unzFile zip, const char* name) {
    if (unzLocateFile(zip, name, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    QByteArray out;
    char buffer[16384];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    unzCloseCurrentFile(zip);
    if (n < 0)
        return std::nullopt;
    return out;
}

/// A spreadsheet string with the "_xHHHH_" escapes of characters XML cannot hold undone.
QString unescape(const QString& text) {
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype from = 0;
    for (auto m = escape.globalMatch(text); m.hasNext();) {
        const auto hit = m.next();
        out += text.mid(from, hit.capturedStart() - from);
        out += QChar(char16_t(hit.captured(1).toUShort(nullptr, 16)));
        from = hit.capturedEnd();
    }
    return out + text.mid(from);
}

/// The text of an <si> or <is> element: all its <t> pieces.
QString stringItem(QXmlStreamReader& r) {
    QString text;
    const QString end = r.name().toString();
    while (!r.atEnd() && !(r.isEndElement() && r.name() == end)) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("t"))
            text += unescape(r.readElementText());
    }
    return text;
}

} // namespace

std::optional<XlsxSheet> XlsxSheet::read(const QString& path) {
    unzFile zip = unzOpen(QFile::encodeName(path).constData());
    if (!zip)
        return std::nullopt;
    const auto sheetXml = entry(zip, "xl/worksheets/sheet1.xml");
    const auto stringsXml = entry(zip, "xl/sharedStrings.xml");
    unzClose(zip);
    if (!sheetXml)
        return std::nullopt;

    QStringList shared;
    if (stringsXml) {
        QXmlStreamReader r(*stringsXml);
        while (!r.atEnd()) {
            r.readNext();
            if (r.isStartElement() && r.name() == QLatin1String("si"))
                shared << stringItem(r);
        }
    }

    XlsxSheet sheet;
    QXmlStreamReader r(*sheetXml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() &&
            (r.name() == QLatin1String("pageSetup") || r.name() == QLatin1String("pageSetUpPr"))) {
            for (const QXmlStreamAttribute& a : r.attributes())
                sheet.m_pageSetup.insert(a.name().toString(), a.value().toString());
            continue;
        }
        if (r.isStartElement() && r.name() == QLatin1String("col")) {
            const auto a = r.attributes();
            for (int c = a.value(QLatin1String("min")).toInt();
                 c > 0 && c <= a.value(QLatin1String("max")).toInt(); ++c)
                sheet.m_widths.insert(c, a.value(QLatin1String("width")).toDouble());
            continue;
        }
        if (!r.isStartElement() || r.name() != QLatin1String("c"))
            continue;
        const QString ref = r.attributes().value(QLatin1String("r")).toString();
        XlsxCell cell;
        cell.type = r.attributes().value(QLatin1String("t")).toString();
        if (cell.type.isEmpty())
            cell.type = QStringLiteral("n");
        while (!(r.isEndElement() && r.name() == QLatin1String("c")) && !r.atEnd()) {
            r.readNext();
            if (!r.isStartElement())
                continue;
            if (r.name() == QLatin1String("f"))
                cell.formula = true;
            else if (r.name() == QLatin1String("v"))
                cell.value = r.readElementText();
            else if (r.name() == QLatin1String("is"))
                cell.value = stringItem(r);
        }
        if (cell.type == QLatin1String("s"))
            cell.value = shared.value(cell.value.toInt());
        qsizetype digits = 0;
        while (digits < ref.size() && !ref[digits].isDigit())
            ++digits;
        sheet.m_lastRow = std::max(sheet.m_lastRow, ref.mid(digits).toInt());
        sheet.m_cells.insert(ref, cell);
    }
    if (r.hasError())
        return std::nullopt;
    return sheet;
}
