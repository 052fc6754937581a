#include "PrintData.h"

#include "Leftovers.h"

#include "Utf8Append.h"
#include "XmlUtf8.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <string_view>

namespace tarvo::suite {

namespace {

constexpr qsizetype kFlushAt = 1 << 16;
constexpr qint64 kReadChunk = 1 << 18;

bool isSpace(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

/// Character data (or an attribute's value) with its references resolved and its line ends
/// (in a value, its white space) normalised as an XML reader gives them; false on a reference
/// XML does not know.
bool decodeText(QByteArray& out, const char* p, const char* end, bool attribute) {
    while (p < end) {
        const char* mark = p;
        while (mark < end && *mark != '&' && *mark != '\r' &&
               !(attribute && (*mark == '\n' || *mark == '\t')))
            ++mark;
        out.append(p, mark - p);
        p = mark;
        if (p == end)
            return true;
        const char c = *p++;
        if (c != '&') {
            if (c == '\r' && p < end && *p == '\n')
                ++p;
            out += attribute ? ' ' : '\n';
            continue;
        }
        const char* semi = static_cast<const char*>(std::memchr(p, ';', size_t(end - p)));
        if (!semi || semi - p > 10)
            return false;
        const std::string_view name(p, size_t(semi - p));
        p = semi + 1;
        if (name == "lt") {
            out += '<';
        } else if (name == "gt") {
            out += '>';
        } else if (name == "amp") {
            out += '&';
        } else if (name == "quot") {
            out += '"';
        } else if (name == "apos") {
            out += '\'';
        } else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            uint u = 0;
            const auto [last, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), u, hex ? 16 : 10);
            if (digits.empty() || error != std::errc() || last != digits.data() + digits.size() ||
                u == 0 || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
                return false;
            appendUtf8(out, u);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

PrintDataWriter::PrintDataWriter(QString* out, const PrintDataHeader& header) : m_text(out) {
    begin(header);
}

PrintDataWriter::PrintDataWriter(QIODevice* out, const PrintDataHeader& header) : m_device(out) {
    begin(header);
}

void PrintDataWriter::begin(const PrintDataHeader& header) {
    const std::pair<const char*, const QString&> attributes[] = {{"title", header.title},
                                                                 {"account", header.account},
                                                                 {"user", header.userId},
                                                                 {"userName", header.userName},
                                                                 {"date", header.date}};
    m_buffer += "<PrintData";
    for (const auto& [name, value] : attributes) {
        m_buffer += ' ';
        m_buffer += name;
        m_buffer += "=\"";
        QByteArray utf8;
        appendUtf8(utf8, value);
        appendXmlAttributeUtf8(m_buffer, utf8);
        m_buffer += '"';
    }
    m_buffer += ">\n";
}

void PrintDataWriter::writeRow(const QStringList& cells) {
    beginRow();
    for (const QString& c : cells)
        writeCell(c);
    endRow();
}

void PrintDataWriter::beginRow() {
    m_buffer += "<R>";
}

void PrintDataWriter::writeCell(QStringView text) {
    if (text.isEmpty()) {
        m_buffer += "<C/>";
        return;
    }
    appendUtf8(beginCellUtf8(), text);
    endCellUtf8();
}

void PrintDataWriter::writeCellUtf8(QByteArrayView text) {
    if (!text.isValidUtf8())
        return writeCell(QString::fromUtf8(text));
    beginCellUtf8().append(text);
    endCellUtf8();
}

QByteArray& PrintDataWriter::beginCellUtf8() {
    m_buffer += "<C>";
    m_cellAt = m_buffer.size();
    return m_buffer;
}

void PrintDataWriter::endCellUtf8() {
    const QByteArrayView text = QByteArrayView(m_buffer).sliced(m_cellAt);
    if (text.isEmpty()) {
        m_buffer.truncate(m_cellAt - 3);
        m_buffer += "<C/>";
        return;
    }
    if (!isPlainXmlUtf8(text)) {
        const QByteArray cell = text.toByteArray();
        m_buffer.truncate(m_cellAt);
        appendXmlEscapedUtf8(m_buffer, cell);
    }
    m_buffer += "</C>";
}

void PrintDataWriter::endRow() {
    m_buffer += "</R>\n";
    if (m_device && m_buffer.size() >= kFlushAt)
        flush();
}

void PrintDataWriter::flush() {
    if (!m_failed && m_device->write(m_buffer) != m_buffer.size())
        m_failed = true;
    // Emptied, not cleared: the next rows reuse its memory.
    m_buffer.resize(0);
}

bool PrintDataWriter::finish() {
    m_buffer += "</PrintData>\n";
    if (m_text) {
        *m_text = QString::fromUtf8(m_buffer);
        m_buffer.clear();
        return true;
    }
    flush();
    return !m_failed;
}

PrintDataFileReader::PrintDataFileReader(const QString& path) : m_file(path) {
    m_error = !m_file.open(QIODevice::ReadOnly);
}

bool PrintDataFileReader::fill() {
    m_bufStart += m_at;
    m_buf.remove(0, m_at);
    m_at = 0;
    const QByteArray more = m_file.read(kReadChunk);
    if (more.isEmpty())
        return false;
    m_buf += more;
    return true;
}

int PrintDataFileReader::peek(qsizetype ahead) {
    while (m_at + ahead >= m_buf.size())
        if (!fill())
            return -1;
    return uchar(m_buf[m_at + ahead]);
}

bool PrintDataFileReader::take(const char* literal) {
    qsizetype n = 0;
    for (; literal[n]; ++n)
        if (peek(n) != uchar(literal[n]))
            return false;
    m_at += n;
    return true;
}

void PrintDataFileReader::skipSpace() {
    while (isSpace(peek()))
        ++m_at;
}

bool PrintDataFileReader::fail() {
    m_error = true;
    return false;
}

/// An attribute's value up to its closing quote, which follows it in the file.
bool PrintDataFileReader::readValue(QByteArray& out, char quote) {
    qsizetype looked = 0; // bytes after m_at without the quote
    const char* close = nullptr;
    while (!(close = static_cast<const char*>(std::memchr(
                 m_buf.constData() + m_at + looked, quote, size_t(m_buf.size() - m_at - looked))))) {
        looked = m_buf.size() - m_at;
        if (!fill())
            return fail();
    }
    const char* p = m_buf.constData() + m_at;
    if (std::memchr(p, '<', size_t(close - p)) || !decodeText(out, p, close, true))
        return fail();
    m_at = close - m_buf.constData();
    return true;
}

bool PrintDataFileReader::readName(QByteArray& out) {
    for (int c = peek();
         c >= 0 && (std::isalnum(c) || c == '_' || c == ':' || c == '-' || c == '.'); c = peek()) {
        out += char(c);
        ++m_at;
    }
    return !out.isEmpty() || fail();
}

bool PrintDataFileReader::readAttributes(PrintDataHeader& header, bool& empty) {
    for (;;) {
        const bool spaced = isSpace(peek());
        skipSpace();
        if (take("/>")) {
            empty = true;
            return true;
        }
        if (take(">"))
            return true;
        QByteArray name;
        if (!spaced || !readName(name))
            return fail();
        skipSpace();
        if (!take("="))
            return fail();
        skipSpace();
        const int quote = peek();
        if (quote != '"' && quote != '\'')
            return fail();
        ++m_at;
        QByteArray value;
        if (!readValue(value, char(quote)))
            return false;
        ++m_at;
        const QString text = QString::fromUtf8(value);
        if (name == "title")
            header.title = text;
        else if (name == "account")
            header.account = text;
        else if (name == "user")
            header.userId = text;
        else if (name == "userName")
            header.userName = text;
        else if (name == "date")
            header.date = text;
    }
}

bool PrintDataFileReader::readHeader(PrintDataHeader& header) {
    if (m_error)
        return false;
    take("\xEF\xBB\xBF");
    for (;;) {
        skipSpace();
        const char* close = take("<?") ? "?>" : take("<!--") ? "-->" : nullptr;
        if (!close)
            break;
        while (!take(close)) {
            if (peek() < 0)
                return fail();
            ++m_at;
        }
    }
    if (!take("<PrintData"))
        return fail();
    bool empty = false;
    if (!readAttributes(header, empty))
        return false;
    if (empty) {
        skipSpace();
        m_ended = true;
        return peek() < 0 || fail();
    }
    return true;
}

void PrintDataFileReader::bufferRow() {
    // The rows are read where they lie in the buffer, so the buffer first takes in the whole
    // row: up to the '>' of the first "</R" ahead (or the end of the file, where a cut-off row
    // is then found out).
    for (;;) {
        if (m_bufStart + m_at < m_rowEnd)
            return;
        const char* data = m_buf.constData();
        const qsizetype from = std::max(m_at, qsizetype(m_searched - m_bufStart));
        const std::string_view rest(data + from, size_t(m_buf.size() - from));
        const size_t close = rest.find("</R");
        if (close != std::string_view::npos) {
            const char* gt =
                static_cast<const char*>(std::memchr(rest.data() + close, '>', rest.size() - close));
            if (gt) {
                m_rowEnd = m_bufStart + (gt + 1 - data);
                return;
            }
        }
        // Looked at up to here; a "</R" whose '>' is still to come is looked at again.
        m_searched = m_bufStart + (close != std::string_view::npos
                                       ? from + qsizetype(close)
                                       : std::max(from, m_buf.size() - 3));
        if (!fill()) {
            m_rowEnd = m_bufStart + m_buf.size();
            return;
        }
    }
}

bool PrintDataFileReader::readRow() {
    m_spans.clear();
    m_decoded.clear();
    if (m_error || m_ended)
        return false;
    skipSpace();
    m_rowOffset = m_bufStart + m_at;
    if (take("</PrintData")) {
        skipSpace();
        m_ended = true;
        if (!take(">"))
            return fail();
        skipSpace();
        return peek() >= 0 && fail();
    }
    bufferRow();
    const char* p = m_buf.constData() + m_at;
    const char* end = m_buf.constData() + (m_rowEnd - m_bufStart);
    return readCells(p, end) || fail();
}

/// The cells of the row at p, which lies whole before end.
bool PrintDataFileReader::readCells(const char* p, const char* end) {
    const auto space = [&] {
        while (p < end && isSpace(uchar(*p)))
            ++p;
    };
    const auto take = [&](QByteArrayView literal) {
        if (end - p < literal.size() || std::memcmp(p, literal.data(), size_t(literal.size())))
            return false;
        p += literal.size();
        return true;
    };
    const auto done = [&] {
        m_at = p - m_buf.constData();
        return true;
    };
    if (!take("<R"))
        return false;
    space();
    if (take("/>"))
        return done();
    if (!take(">"))
        return false;
    for (;;) {
        space();
        if (take("</R")) {
            space();
            return take(">") && done();
        }
        if (!take("<C"))
            return false;
        space();
        if (take("/>")) {
            m_spans.push_back({false, 0, 0});
            continue;
        }
        if (!take(">"))
            return false;
        const char* lt = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!lt)
            return false;
        switch (scanXmlText(p, lt)) {
        case XmlText::Invalid:
            return false;
        case XmlText::Plain:
            m_spans.push_back({false, p - m_buf.constData(), lt - p});
            break;
        case XmlText::Marked: {
            const qsizetype at = m_decoded.size();
            if (!decodeText(m_decoded, p, lt, false))
                return false;
            m_spans.push_back({true, at, m_decoded.size() - at});
            break;
        }
        }
        p = lt;
        if (!take("</C"))
            return false;
        space();
        if (!take(">"))
            return false;
    }
}

bool PrintDataFileReader::next(PrintDataCells& cells) {
    cells.clear();
    if (!readRow())
        return false;
    for (const Span& s : m_spans)
        cells.push_back(
            QByteArrayView((s.decoded ? m_decoded.constData() : m_buf.constData()) + s.at, s.size));
    return true;
}

bool PrintDataFileReader::next(QStringList& cells) {
    cells.clear();
    PrintDataCells bytes;
    if (!next(bytes))
        return false;
    cells.reserve(bytes.size());
    for (const QByteArrayView b : bytes)
        cells << QString::fromUtf8(b);
    return true;
}

bool PrintDataFileReader::checkRows(qsizetype columns, const std::function<void()>& tick) {
    while (readRow()) {
        if (m_spans.size() != columns)
            return fail();
        if (tick)
            tick();
    }
    return !m_error;
}

bool PrintDataFileReader::seek(qint64 rowOffset) {
    if ((!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly)) || !m_file.seek(rowOffset))
        return fail();
    m_buf.clear();
    m_at = 0;
    m_bufStart = rowOffset;
    m_rowEnd = 0;
    m_searched = 0;
    m_ended = false;
    m_error = false;
    return true;
}

QString newPrintDataFile() {
    // The list's whole text lies in these files: what a killed run left goes first.
    static const QString prefix = QStringLiteral("tarvo-print-");
    static QTemporaryDir folder = [] {
        removeLeftovers(QDir::temp(), prefix);
        return QTemporaryDir(QDir::temp().filePath(ownedPrefix(prefix) + QStringLiteral("XXXXXX")));
    }();
    if (!folder.isValid())
        return {};
    QTemporaryFile file(folder.filePath(QStringLiteral("data-XXXXXX.xml")));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

} // namespace tarvo::suite
