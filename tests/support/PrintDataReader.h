#pragma once

#include "PrintData.h"

#include <QXmlStreamReader>

/// Reads the data XML of a print with a general XML reader, row by row: what the print data
/// writer writes must read as XML, not only as the product's own reader lays it out.
class PrintDataReader {
public:
    explicit PrintDataReader(const QString& xml) : m_r(xml) {}

    /// False when the text is not print data.
    bool readHeader(tarvo::suite::PrintDataHeader& header) {
        if (!m_r.readNextStartElement() || m_r.name() != u"PrintData")
            return false;
        const auto a = m_r.attributes();
        header.title = a.value(QLatin1String("title")).toString();
        header.account = a.value(QLatin1String("account")).toString();
        header.userId = a.value(QLatin1String("user")).toString();
        header.userName = a.value(QLatin1String("userName")).toString();
        header.date = a.value(QLatin1String("date")).toString();
        return true;
    }

    /// The next row's cells; false at the end or on malformed text (then hasError()).
    bool next(QStringList& cells) {
        cells.clear();
        if (!m_r.readNextStartElement())
            return false;
        if (m_r.name() != u"R") {
            m_r.raiseError(QStringLiteral("unexpected element"));
            return false;
        }
        while (m_r.readNextStartElement()) {
            if (m_r.name() != u"C") {
                m_r.raiseError(QStringLiteral("unexpected element"));
                return false;
            }
            cells << m_r.readElementText();
        }
        return !m_r.hasError();
    }

    bool hasError() const { return m_r.hasError(); }

private:
    QXmlStreamReader m_r;
};
