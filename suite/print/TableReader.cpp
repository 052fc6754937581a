#include "TableReader.h"

#include "ZipEntryDevice.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace tarvo::suite {

namespace {

/// Larger files are no list of banks or accounts; refusing them keeps a stray archive or a
/// zip bomb from eating the memory.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
constexpr int kMaxRows = 1048576;

TableText stoppedRead() {
    TableText table;
    table.stopped = true;
    return table;
}

QString tooLarge(const QString& what) {
    return QCoreApplication::translate("tarvo::suite::TableReader",
                                       "文件太大：%1超过 %2 MB，不是可以导入的表格")
        .arg(what)
        .arg(kMaxFileBytes / (1024 * 1024));
}

// ---- csv ----

/// RFC 4180 fields fed a piece of text at a time, so that a file is parsed as it is decoded.
class CsvParser {
public:
    explicit CsvParser(TableCollector& table) : m_table(table) {}

    bool feed(QStringView text) {
        for (qsizetype at = 0; at < text.size();) {
            // Most of a file is plain text between the separators: taken a run at a time,
            // not a character at a time.
            const qsizetype run = plainRun(text, at);
            if (run > at && !m_quotePending && !m_afterCr) {
                if (!append(text.sliced(at, run - at)))
                    return false;
                at = run;
                continue;
            }
            if (!take(text[at++]))
                return false;
        }
        return true;
    }

    bool finish() {
        if (m_quotePending) {
            m_quotePending = m_inQuotes = false;
        }
        if (m_inQuotes) {
            m_table.fail(
                QCoreApplication::translate("tarvo::suite::TableReader",
                                            "第 %1 行开始的引号没有结束，文件不完整或格式有误")
                    .arg(m_quoteLine));
            return false;
        }
        if (!m_field.isEmpty() || m_column > 0 || m_quoted)
            return endRow();
        return true;
    }

private:
    TableCollector& m_table;
    QString m_field;
    qint64 m_column = 0;
    qint64 m_row = 0;
    bool m_inQuotes = false;
    bool m_quoted = false;
    /// A quote inside quotes: a doubled quote if another follows, else the closing one.
    bool m_quotePending = false;
    bool m_afterCr = false;
    qint64 m_line = 1;
    qint64 m_quoteLine = 0;

    bool take(QChar c) {
        if (c.isNull()) {
            m_table.fail(QCoreApplication::translate("tarvo::suite::TableReader",
                                                     "文件中含有二进制内容，不是 CSV 文本文件"));
            return false;
        }
        const bool afterCr = std::exchange(m_afterCr, false);
        if (m_quotePending) {
            m_quotePending = false;
            if (c == u'"')
                return append(QStringView(&c, 1));
            m_inQuotes = false;
        }
        if (m_inQuotes) {
            if (c == u'"') {
                m_quotePending = true;
                return true;
            }
            m_line += c == u'\n';
            return append(QStringView(&c, 1));
        }
        if (c == u'"' && m_field.isEmpty() && !m_quoted) {
            m_inQuotes = m_quoted = true;
            m_quoteLine = m_line;
            return true;
        }
        if (c == u',')
            return endField();
        if (c == u'\n' && afterCr)
            return true;
        if (c == u'\n' || c == u'\r') {
            m_afterCr = c == u'\r';
            ++m_line;
            return endRow();
        }
        return append(QStringView(&c, 1));
    }

    /// Where the run of characters from at that need no decision ends: at a quote, a NUL or
    /// a line feed (take() counts the lines a broken quote is reported by), and outside quotes
    /// also at a separator or a carriage return.
    qsizetype plainRun(QStringView text, qsizetype at) const {
        for (; at < text.size(); ++at) {
            const char16_t c = text[at].unicode();
            if (c == u'"' || c == 0 || c == u'\n' || (!m_inQuotes && (c == u',' || c == u'\r')))
                break;
        }
        return at;
    }

    bool append(QStringView text) {
        if (m_field.size() + text.size() > TableCollector::kMaxCellChars) {
            m_table.fail(TableCollector::cellTooLong(m_row + (m_column == 0 ? 1 : 0), m_column));
            return false;
        }
        m_field += text;
        return true;
    }

    bool endField() {
        if (m_column == 0 && !m_table.startRow(++m_row))
            return false;
        const bool kept = m_table.cell(m_column++, m_field);
        m_field.clear();
        m_quoted = false;
        return kept;
    }

    bool endRow() {
        if (!endField())
            return false;
        m_column = 0;
        return m_table.endRow();
    }
};

/// The device's rows read in the decoder's encoding; nothing when the bytes are not in it.
std::optional<TableText> csvIn(QIODevice& device, QStringDecoder&& decoder,
                               const WorkProgress& progress) {
    if (!decoder.isValid())
        return std::nullopt;
    TableCollector table;
    CsvParser parser(table);
    while (!device.atEnd()) {
        if (!progress.goOn(device.pos()))
            return stoppedRead();
        const QByteArray chunk = device.read(1 << 16);
        if (chunk.isEmpty())
            break;
        const QString text = decoder(chunk);
        if (decoder.hasError())
            return std::nullopt;
        if (!parser.feed(text))
            return table.take();
    }
    // A line break after the end shows up a character the file breaks off in the middle of.
    (void)decoder(QByteArrayView("\n"));
    if (decoder.hasError())
        return std::nullopt;
    parser.finish();
    return table.take();
}

// ---- xlsx ----

using ZipPtr = std::unique_ptr<void, int (*)(unzFile)>;

TableText badWorkbook() {
    return {{},
            QCoreApplication::translate("tarvo::suite::TableReader",
                                        "文件不是有效的 Excel 工作簿（.xlsx），或已损坏")};
}

/// What the parser may read past the last token it reported, which bounds what it holds of
/// any one token. A cell's text at its cap fits in its longest spelling a writer gives it:
/// seven bytes a character ("_x000D_"; "&quot;" takes six, a Chinese character three).
constexpr qint64 kMaxTokenBytes = 8 * TableCollector::kMaxCellChars;
/// Far deeper than any part of a workbook nests; each level costs the parser memory.
constexpr int kMaxDepth = 64;

/// One part of the package parsed as it inflates; the first thing wrong in it (damage, size,
/// a document type, a text that is no text) ends the parse with its reason. Every read of the
/// part goes through next() and text(), which keep the parser within its bounds.
class PartParse {
public:
    PartParse(unzFile zip, const QString& name)
        : m_name(name), m_entry(zip, name, kMaxFileBytes, kMaxTokenBytes) {
        if (m_entry.isOpen())
            xml.setDevice(&m_entry);
    }

    bool found() const { return m_entry.state() != ZipEntryDevice::State::Missing; }

    /// The next token; false at the end or at the first error. A workbook has no document
    /// type: the entities one declares could swell a few bytes into gigabytes.
    bool next() {
        if (xml.atEnd())
            return false;
        xml.readNext();
        m_entry.mark();
        switch (xml.tokenType()) {
        case QXmlStreamReader::DTD:
            fail(QCoreApplication::translate(
                     "tarvo::suite::TableReader",
                     "文件中的 %1 含有文档类型声明（DOCTYPE），工作簿不应有，不予读取")
                     .arg(m_name));
            break;
        case QXmlStreamReader::StartElement:
            if (++m_depth > kMaxDepth)
                fail(QCoreApplication::translate(
                         "tarvo::suite::TableReader",
                         "文件已损坏：工作簿中的 %1 嵌套超过 %2 层，不是工作簿的 XML")
                         .arg(m_name)
                         .arg(kMaxDepth));
            if (tooLongAttribute())
                fail(tooLongText());
            break;
        case QXmlStreamReader::EndElement:
            --m_depth;
            break;
        default:
            break;
        }
        return !xml.hasError() && !xml.atEnd();
    }

    /// The text of the element just started, read to its end.
    QString text() {
        QString text = xml.readElementText();
        m_entry.mark();
        --m_depth;
        return text;
    }

    /// Whether the parse ended in a token longer than any text of a cell, which it was not
    /// let read to its end.
    bool tooLong() const { return m_entry.state() == ZipEntryDevice::State::StretchTooLong; }

    void fail(const QString& why) {
        if (m_reason.isEmpty())
            m_reason = why;
        xml.raiseError(why);
    }

    /// Why the part cannot be read; empty when it was read whole and intact.
    QString error() {
        if (m_entry.state() == ZipEntryDevice::State::TooLarge)
            return tooLarge(
                QCoreApplication::translate("tarvo::suite::TableReader", "工作簿中的 %1 解压后")
                    .arg(m_name));
        if (!m_reason.isEmpty())
            return m_reason;
        if (tooLong())
            return tooLongText();
        if (m_entry.state() != ZipEntryDevice::State::Open)
            return badWorkbook().error;
        if (xml.hasError())
            return QCoreApplication::translate(
                       "tarvo::suite::TableReader",
                       "文件已损坏：工作簿中的 %1 第 %2 行第 %3 列不是正确的 XML")
                .arg(m_name)
                .arg(xml.lineNumber())
                .arg(xml.columnNumber());
        if (m_entry.finish() != ZipEntryDevice::State::Open)
            return badWorkbook().error;
        return {};
    }

private:
    QString m_name;
    ZipEntryDevice m_entry;
    int m_depth = 0;
    qint64 m_lastTagEnd = 0;

public:
    QXmlStreamReader xml;

private:
    QString m_reason;

    bool tooLongAttribute() {
        // No attribute is longer than what was parsed since the last start tag ended: nearly
        // every tag is told apart by a compare.
        const qint64 since = std::exchange(m_lastTagEnd, xml.characterOffset());
        if (m_lastTagEnd - since <= TableCollector::kMaxCellChars)
            return false;
        const QXmlStreamAttributes attributes = xml.attributes();
        return std::any_of(attributes.begin(), attributes.end(), [](const auto& attribute) {
            return attribute.value().size() > TableCollector::kMaxCellChars;
        });
    }

    QString tooLongText() const {
        return QCoreApplication::translate("tarvo::suite::TableReader",
                                           "文件太大：工作簿中的 %1 有超过 %2 个字符的文字或属性")
            .arg(m_name)
            .arg(TableCollector::kMaxCellChars);
    }
};

/// The package's name for a part a relationship targets from the workbook.
QString partName(const QString& target) {
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

/// The text of a spreadsheet string, its "_xHHHH_" escapes of characters XML cannot carry
/// turned back into those characters. An escape of what is no character of any text (U+0000,
/// half of a surrogate pair alone) fails the part.
QString spreadsheetText(const QString& text, PartParse& part) {
    if (!text.contains(u"_x"))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool escape = i + 7 <= text.size() && text[i] == u'_' && text[i + 1] == u'x' &&
                            text[i + 6] == u'_' &&
                            std::all_of(text.begin() + i + 2, text.begin() + i + 6, isHexDigit);
        if (escape) {
            out += QChar(text.mid(i + 2, 4).toUShort(nullptr, 16));
            i += 6;
        } else {
            out += text[i];
        }
    }
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        const bool paired =
            c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate();
        if (paired) {
            ++i;
        } else if (c.isNull() || c.isSurrogate()) {
            const QString code = QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
            part.fail(QCoreApplication::translate(
                          "tarvo::suite::TableReader",
                          "文件中含有无效字符 U+%1（写作“_x%1_”），它不是文字中可以有的字符")
                          .arg(code));
            return {};
        }
    }
    return out;
}

/// The words of a string item (<si> or <is>), phonetic guides left out; nothing when they
/// are longer than a cell holds, read no further than that.
std::optional<QString> stringItem(PartParse& part) {
    QXmlStreamReader& xml = part.xml;
    QString text;
    const QString item = xml.name().toString();
    int phonetic = 0;
    while (part.next()) {
        if (xml.isEndElement() && xml.name() == item)
            break;
        if (xml.isStartElement() && xml.name() == u"rPh")
            ++phonetic;
        else if (xml.isEndElement() && xml.name() == u"rPh")
            --phonetic;
        else if (xml.isStartElement() && xml.name() == u"t" && phonetic == 0)
            text += spreadsheetText(part.text(), part);
        if (text.size() > TableCollector::kMaxCellChars)
            return std::nullopt;
    }
    if (part.tooLong())
        return std::nullopt;
    return text;
}

/// The shared strings as far as they can be read. A string longer than a cell holds ends them;
/// the sheet is then read for the first cell using it, which the refusal names.
struct SharedStrings {
    QStringList texts;
    qsizetype overlong = -1;
};

/// The shared strings, within the limits of what could be imported at once.
SharedStrings sharedStrings(PartParse& part) {
    SharedStrings strings;
    qint64 chars = 0;
    while (part.next()) {
        if (!part.xml.isStartElement() || part.xml.name() != u"si")
            continue;
        const std::optional<QString> text = stringItem(part);
        if (!text) {
            strings.overlong = strings.texts.size();
            break;
        }
        strings.texts << *text;
        chars += text->size();
        if (strings.texts.size() > TableCollector::kMaxCells ||
            chars > TableCollector::kMaxTextChars)
            part.fail(TableCollector::tooManyTexts());
    }
    return strings;
}

/// Whether a number format shows a date: the built-in date formats, or a format of its own
/// with day, month or year placeholders outside quoted text and brackets.
bool isDateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return true;
    if (code.isEmpty())
        return false;
    QString bare;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            ++bracket;
        else if (!quoted && c == u']')
            bracket = std::max(0, bracket - 1);
        else if (!quoted && c == u'\\')
            ++i;
        else if (!quoted && bracket == 0)
            bare += c.toLower();
    }
    return bare.contains(u'y') || bare.contains(u'd') ||
           (bare.contains(u'm') && !bare.contains(u'h') && !bare.contains(u's'));
}

/// Per cell style index: whether the style shows a date.
QVector<bool> dateStyles(PartParse& part) {
    // More styles than a spreadsheet program allows are no workbook's own.
    constexpr qsizetype kMaxStyles = 65536;
    QXmlStreamReader& xml = part.xml;
    QHash<int, QString> codes;
    QVector<bool> dates;
    bool inCellXfs = false;
    while (part.next()) {
        if (xml.isStartElement() && xml.name() == u"numFmt") {
            codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                         xml.attributes().value(QLatin1String("formatCode")).toString());
        } else if (xml.isStartElement() && xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (xml.isEndElement() && xml.name() == u"cellXfs") {
            inCellXfs = false;
        } else if (inCellXfs && xml.isStartElement() && xml.name() == u"xf") {
            const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
            dates << isDateFormat(id, codes.value(id));
        }
        if (codes.size() > kMaxStyles || dates.size() > kMaxStyles)
            part.fail(QCoreApplication::translate("tarvo::suite::TableReader",
                                                  "文件太大：工作簿的单元格格式多于 %1 种")
                          .arg(kMaxStyles));
    }
    return dates;
}

/// Zero-based column of a cell reference such as "AB12"; -1 when it has no letters.
int columnOf(QStringView ref) {
    int column = 0;
    int letters = 0;
    for (const QChar c : ref) {
        if (c < u'A' || c > u'Z')
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
        ++letters;
    }
    return letters == 0 || letters > 3 ? -1 : column - 1;
}

QString numberText(const QString& raw, bool isDate, const QDate& epoch) {
    bool ok = false;
    const double v = raw.toDouble(&ok);
    if (!ok)
        return raw;
    if (isDate && v >= 0 && v < 2958466)
        return epoch.addDays(qint64(std::floor(v))).toString(Qt::ISODate);
    // Past 15 digits a spreadsheet keeps no exact number and shows it as 2E+17: so does the
    // import, which can then tell a code or account number whose digits were lost.
    if (std::fabs(v) >= 1e15)
        return QString::number(v, 'G', 15);
    if (!raw.contains(u'E') && !raw.contains(u'e'))
        return raw;
    return QString::number(v, 'f', QLocale::FloatingPointShortest);
}

struct Workbook {
    QString sheetPart;
    QDate epoch{1899, 12, 30};
    QString error;
};

/// The part of the first worksheet and the date system, from the workbook and its
/// relationships; what stops the reading in error.
Workbook workbookOf(unzFile zip) {
    Workbook book;
    QString firstSheetId;
    {
        PartParse part(zip, QStringLiteral("xl/workbook.xml"));
        while (part.found() && part.next()) {
            if (!part.xml.isStartElement())
                continue;
            const auto a = part.xml.attributes();
            if (part.xml.name() == u"workbookPr" && (a.value(QLatin1String("date1904")) == u"1" ||
                                                     a.value(QLatin1String("date1904")) == u"true"))
                book.epoch = QDate(1904, 1, 1);
            else if (part.xml.name() == u"sheet" && firstSheetId.isEmpty())
                for (const auto& attribute : a)
                    if (attribute.name() == u"id")
                        firstSheetId = attribute.value().toString();
        }
        if (part.found())
            book.error = part.error();
    }
    if (!book.error.isEmpty())
        return book;
    PartParse part(zip, QStringLiteral("xl/_rels/workbook.xml.rels"));
    while (part.found() && part.next())
        if (part.xml.isStartElement() && part.xml.name() == u"Relationship" &&
            part.xml.attributes().value(QLatin1String("Id")) == firstSheetId)
            book.sheetPart =
                partName(part.xml.attributes().value(QLatin1String("Target")).toString());
    if (part.found())
        book.error = part.error();
    if (book.sheetPart.isEmpty())
        book.sheetPart = QStringLiteral("xl/worksheets/sheet1.xml");
    return book;
}

/// The cells of a worksheet into the table. A text longer than a cell holds refuses the file
/// by its cell's place, whether the table keeps that column or not.
/// Ends early, with stopped set, when progress asks it to.
void readSheet(PartParse& part, const SharedStrings& strings, const QVector<bool>& dates,
               const QDate& epoch, TableCollector& table, const WorkProgress& progress,
               bool& stopped) {
    QXmlStreamReader& xml = part.xml;
    qint64 rowNumber = 0;
    int column = 0;
    while (part.next()) {
        if (xml.isEndElement() && xml.name() == u"row") {
            if (!table.endRow())
                part.fail(table.error());
            if (!progress.goOn(rowNumber)) {
                stopped = true;
                return;
            }
        }
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"row") {
            const qint64 number = a.hasAttribute(QLatin1String("r"))
                                      ? a.value(QLatin1String("r")).toLongLong()
                                      : rowNumber + 1;
            if (number < 1 || number > kMaxRows || number <= rowNumber)
                return part.fail(badWorkbook().error);
            if (!table.startRow(number))
                return part.fail(table.error());
            rowNumber = number;
            column = 0;
        } else if (xml.name() == u"c" && rowNumber > 0) {
            const int at =
                a.hasAttribute(QLatin1String("r")) ? columnOf(a.value(QLatin1String("r"))) : column;
            if (at < 0 || at >= TableCollector::kMaxColumns)
                return part.fail(badWorkbook().error);
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            const auto tooLong = [&] { return TableCollector::cellTooLong(rowNumber, at); };
            QString value;
            while (!(xml.isEndElement() && xml.name() == u"c") && part.next()) {
                if (xml.isStartElement() && xml.name() == u"v") {
                    value = part.text();
                } else if (xml.isStartElement() && xml.name() == u"is") {
                    const std::optional<QString> text = stringItem(part);
                    if (!text)
                        return part.fail(tooLong());
                    value = *text;
                }
            }
            if (part.tooLong())
                return part.fail(tooLong());
            if (type == u"s") {
                bool ok = false;
                const int index = value.toInt(&ok);
                if (ok && index == strings.overlong)
                    return part.fail(tooLong());
                // Past a string too long to read the others are unknown: the file is refused.
                const bool unknown = strings.overlong >= 0 && index > strings.overlong;
                if (!ok || index < 0 || (index >= strings.texts.size() && !unknown))
                    return part.fail(badWorkbook().error);
                value = strings.texts.value(index);
            } else if (type == u"str") {
                value = spreadsheetText(value, part);
            } else if (type.isEmpty() || type == u"n") {
                value = numberText(value, dates.value(style), epoch);
            }
            if (!table.cell(at, value))
                return part.fail(table.error());
            column = at + 1;
        }
    }
}

} // namespace

TableText readCsv(QIODevice& device, const WorkProgress& progress) {
    // Valid UTF-8 is read as such; anything else is read again from the start as GB18030.
    if (auto table = csvIn(device, QStringDecoder(QStringConverter::Utf8), progress))
        return *std::move(table);
    if (device.seek(0))
        if (auto table = csvIn(device, QStringDecoder("GB18030"), progress))
            return *std::move(table);
    return {{},
            QCoreApplication::translate("tarvo::suite::TableReader",
                                        "文件的编码既不是 UTF-8 也不是 GB18030，无法读取")};
}

TableText readCsv(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readCsv(buffer);
}

TableText readXlsx(const QString& path, const WorkProgress& progress) {
    ZipPtr zip(unzOpen64(QFile::encodeName(path).constData()), unzClose);
    if (!zip)
        return badWorkbook();
    const Workbook book = workbookOf(zip.get());
    if (!book.error.isEmpty())
        return {{}, book.error};
    SharedStrings strings;
    {
        PartParse part(zip.get(), QStringLiteral("xl/sharedStrings.xml"));
        if (part.found()) {
            strings = sharedStrings(part);
            const QString error = part.error();
            if (!error.isEmpty() && strings.overlong < 0)
                return {{}, error};
        }
    }
    QVector<bool> dates;
    {
        PartParse part(zip.get(), QStringLiteral("xl/styles.xml"));
        if (part.found()) {
            dates = dateStyles(part);
            if (const QString error = part.error(); !error.isEmpty())
                return {{}, error};
        }
    }
    PartParse sheet(zip.get(), book.sheetPart);
    if (!sheet.found())
        return badWorkbook();
    TableCollector table;
    bool stopped = false;
    readSheet(sheet, strings, dates, book.epoch, table, progress, stopped);
    if (stopped)
        return stoppedRead();
    if (const QString error = sheet.error(); !error.isEmpty())
        return {{}, error};
    if (strings.overlong >= 0)
        return {{},
                QCoreApplication::translate(
                    "tarvo::suite::TableReader",
                    "文件太大：工作簿的第 %1 个共享字符串超过 %2 个字符，没有单元格使用它")
                    .arg(strings.overlong + 1)
                    .arg(TableCollector::kMaxCellChars)};
    return table.take();
}

bool TableReader::Read(const QString& path, QVector<QStringList>& rows, QString& errText,
                       const WorkProgress& progress) {
    rows.clear();
    const QFileInfo info(path);
    const QString suffix = info.suffix().toLower();
    if (suffix != u"csv" && suffix != u"xlsx") {
        errText =
            QCoreApplication::translate("tarvo::suite::TableReader", "只能导入 .csv 或 .xlsx 文件");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errText = QCoreApplication::translate("tarvo::suite::TableReader", "无法打开文件“%1”：%2")
                      .arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        errText = tooLarge(QStringLiteral("“%1”").arg(info.fileName()));
        return false;
    }
    TableText table = suffix == u"csv" ? readCsv(file, progress) : readXlsx(path, progress);
    if (table.stopped)
        return false;
    if (!table.error.isEmpty()) {
        errText = table.error;
        return false;
    }
    rows = std::move(table.rows);
    return true;
}

} // namespace tarvo::suite
