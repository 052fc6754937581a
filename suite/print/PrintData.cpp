#include "PrintData.h"

#include <algorithm>

namespace tarvo::suite {

namespace {

// XML 1.0 cannot carry most control characters; a stray one in a name must not make the whole
// list unprintable.
bool xmlUnsafe(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
}

QString xmlSafe(const QString& text) {
    if (std::none_of(text.begin(), text.end(), xmlUnsafe))
        return text;
    QString out = text;
    std::replace_if(out.begin(), out.end(), xmlUnsafe, QChar(0xFFFD));
    return out;
}

} // namespace

PrintDataWriter::PrintDataWriter(QString* out, const PrintDataHeader& header) : m_w(out) {
    m_w.writeStartElement(QStringLiteral("PrintData"));
    m_w.writeAttribute(QStringLiteral("title"), xmlSafe(header.title));
    m_w.writeAttribute(QStringLiteral("account"), xmlSafe(header.account));
    m_w.writeAttribute(QStringLiteral("user"), xmlSafe(header.userId));
    m_w.writeAttribute(QStringLiteral("userName"), xmlSafe(header.userName));
    m_w.writeAttribute(QStringLiteral("date"), xmlSafe(header.date));
}

void PrintDataWriter::writeRow(const QStringList& cells) {
    m_w.writeStartElement(QStringLiteral("R"));
    for (const QString& c : cells) {
        if (c.isEmpty()) {
            m_w.writeEmptyElement(QStringLiteral("C"));
            continue;
        }
        m_w.writeStartElement(QStringLiteral("C"));
        // A carriage return written as it is would come back as a plain line feed.
        const QString safe = xmlSafe(c);
        if (!safe.contains(u'\r')) {
            m_w.writeCharacters(safe);
        } else {
            qsizetype from = 0;
            for (qsizetype at = safe.indexOf(u'\r'); at >= 0; at = safe.indexOf(u'\r', from)) {
                m_w.writeCharacters(safe.mid(from, at - from));
                m_w.writeEntityReference(QStringLiteral("#13"));
                from = at + 1;
            }
            m_w.writeCharacters(safe.mid(from));
        }
        m_w.writeEndElement();
    }
    m_w.writeEndElement();
}

void PrintDataWriter::finish() {
    m_w.writeEndElement();
}

PrintDataReader::PrintDataReader(const QString& xml) : m_r(xml) {}

bool PrintDataReader::readHeader(PrintDataHeader& header) {
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

bool PrintDataReader::next(QStringList& cells) {
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

} // namespace tarvo::suite
