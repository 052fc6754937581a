#pragma once

#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tarvo::suite {

/// What every printed page names besides the rows: the list, the account, who printed and when.
struct PrintDataHeader {
    QString title;
    QString account;
    QString userId;
    QString userName;
    QString date;
};

/// Writes the data XML of a print: the header, then one row at a time, so that a long list is
/// never held twice while it is written.
class PrintDataWriter {
public:
    PrintDataWriter(QString* out, const PrintDataHeader& header);
    void writeRow(const QStringList& cells);
    void finish();

private:
    QXmlStreamWriter m_w;
};

/// Reads the data XML of a print row by row, straight from the text.
class PrintDataReader {
public:
    explicit PrintDataReader(const QString& xml);
    /// False when the text is not print data.
    bool readHeader(PrintDataHeader& header);
    /// The next row's cells; false at the end or on malformed text (then error() says so).
    bool next(QStringList& cells);
    bool hasError() const { return m_r.hasError(); }

private:
    QXmlStreamReader m_r;
};

} // namespace tarvo::suite
