#include "TableReader.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <unzip.h>

#include <cmath>
#include <memory>

namespace tarvo::suite {

namespace {

/// Larger files are no list of banks or accounts; refusing them keeps a stray archive or a
/// zip bomb from eating the memory.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
constexpr int kMaxColumns = 16384;
constexpr int kMaxRows = 1048576;

QString decoded(const QByteArray& bytes, bool& ok) {
    const QByteArray data = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    ok = !utf8.hasError();
    if (ok)
        return text;
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        return {};
    text = gb18030(data);
    ok = !gb18030.hasError();
    return text;
}

// ---- xlsx ----

using ZipPtr = std::unique_ptr<void, int (*)(unzFile)>;

/// One entry of the package; nothing when it is missing, damaged or implausibly large.
std::optional<QByteArray> zipEntry(unzFile zip, const QString& name) {
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return std::nullopt;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > quint64(kMaxFileBytes) || unzOpenCurrentFile(zip) != UNZ_OK)
        return std::nullopt;
    QByteArray data;
    data.reserve(qsizetype(info.uncompressed_size));
    char chunk[65536];
    int n = 0;
    while ((n = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0 && data.size() <= kMaxFileBytes)
        data.append(chunk, n);
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK && n == 0;
    if (!intact)
        return std::nullopt;
    return data;
}

/// The package's name for a part a relationship targets from the workbook.
QString partName(const QString& target) {
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

/// The text of a spreadsheet string, its "_xHHHH_" escapes of characters XML cannot carry
/// turned back into those characters.
QString spreadsheetText(const QString& text) {
    if (!text.contains(u"_x"))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool isHex = false;
        const ushort code = i + 7 <= text.size() && text.mid(i, 2) == u"_x" && text[i + 6] == u'_'
                                ? text.mid(i + 2, 4).toUShort(&isHex, 16)
                                : 0;
        if (isHex) {
            out += QChar(code);
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

/// The words of a string item (<si> or <is>), phonetic guides left out.
QString stringItem(QXmlStreamReader& xml) {
    QString text;
    const QString item = xml.name().toString();
    int phonetic = 0;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isEndElement() && xml.name() == item)
            break;
        if (xml.isStartElement() && xml.name() == u"rPh")
            ++phonetic;
        else if (xml.isEndElement() && xml.name() == u"rPh")
            --phonetic;
        else if (xml.isStartElement() && xml.name() == u"t" && phonetic == 0)
            text += spreadsheetText(xml.readElementText());
    }
    return text;
}

QStringList sharedStrings(const QByteArray& data) {
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings << stringItem(xml);
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
QVector<bool> dateStyles(const QByteArray& data) {
    QHash<int, QString> codes;
    QVector<bool> dates;
    QXmlStreamReader xml(data);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
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
};

/// The part of the first worksheet and the date system, from the workbook and its
/// relationships.
Workbook workbookOf(unzFile zip) {
    Workbook book;
    QString firstSheetId;
    if (const auto data = zipEntry(zip, QStringLiteral("xl/workbook.xml"))) {
        QXmlStreamReader xml(*data);
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            const auto a = xml.attributes();
            if (xml.name() == u"workbookPr" && (a.value(QLatin1String("date1904")) == u"1" ||
                                                a.value(QLatin1String("date1904")) == u"true"))
                book.epoch = QDate(1904, 1, 1);
            else if (xml.name() == u"sheet" && firstSheetId.isEmpty())
                for (const auto& attribute : a)
                    if (attribute.name() == u"id")
                        firstSheetId = attribute.value().toString();
        }
    }
    if (const auto data = zipEntry(zip, QStringLiteral("xl/_rels/workbook.xml.rels"))) {
        QXmlStreamReader xml(*data);
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship" &&
                xml.attributes().value(QLatin1String("Id")) == firstSheetId)
                book.sheetPart =
                    partName(xml.attributes().value(QLatin1String("Target")).toString());
    }
    if (book.sheetPart.isEmpty())
        book.sheetPart = QStringLiteral("xl/worksheets/sheet1.xml");
    return book;
}

TableText badWorkbook() {
    return {{},
            QCoreApplication::translate("tarvo::suite::TableReader",
                                        "文件不是有效的 Excel 工作簿（.xlsx），或已损坏")};
}

} // namespace

TableText readCsv(const QByteArray& bytes) {
    TableText out;
    bool ok = false;
    const QString text = decoded(bytes, ok);
    if (!ok) {
        out.error = QCoreApplication::translate("tarvo::suite::TableReader",
                                                "文件的编码既不是 UTF-8 也不是 GB18030，无法读取");
        return out;
    }
    if (text.contains(QChar(0))) {
        out.error = QCoreApplication::translate("tarvo::suite::TableReader",
                                                "文件中含有二进制内容，不是 CSV 文本文件");
        return out;
    }
    QStringList row;
    QString field;
    bool inQuotes = false;
    bool quoted = false;
    int line = 1;
    int quoteLine = 0;
    const auto endField = [&] {
        row << field;
        field.clear();
        quoted = false;
    };
    const auto endRow = [&] {
        endField();
        out.rows << row;
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                line += c == u'\n';
                field += c;
            }
        } else if (c == u'"' && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
            quoteLine = line;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endRow();
            ++line;
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        out.rows.clear();
        out.error = QCoreApplication::translate("tarvo::suite::TableReader",
                                                "第 %1 行开始的引号没有结束，文件不完整或格式有误")
                        .arg(quoteLine);
        return out;
    }
    if (!field.isEmpty() || !row.isEmpty() || quoted)
        endRow();
    return out;
}

TableText readXlsx(const QString& path) {
    ZipPtr zip(unzOpen64(QFile::encodeName(path).constData()), unzClose);
    if (!zip)
        return badWorkbook();
    const Workbook book = workbookOf(zip.get());
    const auto sheet = zipEntry(zip.get(), book.sheetPart);
    if (!sheet)
        return badWorkbook();
    const auto stringsData = zipEntry(zip.get(), QStringLiteral("xl/sharedStrings.xml"));
    const QStringList strings = stringsData ? sharedStrings(*stringsData) : QStringList();
    const auto stylesData = zipEntry(zip.get(), QStringLiteral("xl/styles.xml"));
    const QVector<bool> dates = stylesData ? dateStyles(*stylesData) : QVector<bool>();

    TableText out;
    QXmlStreamReader xml(*sheet);
    QStringList* row = nullptr;
    int column = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"row") {
            const int number = a.hasAttribute(QLatin1String("r"))
                                   ? a.value(QLatin1String("r")).toInt()
                                   : int(out.rows.size()) + 1;
            if (number < 1 || number > kMaxRows || number <= out.rows.size())
                return badWorkbook();
            out.rows.resize(number);
            row = &out.rows.last();
            column = 0;
        } else if (xml.name() == u"c" && row) {
            const int at =
                a.hasAttribute(QLatin1String("r")) ? columnOf(a.value(QLatin1String("r"))) : column;
            if (at < 0 || at >= kMaxColumns)
                return badWorkbook();
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString value;
            while (!xml.atEnd() && !(xml.isEndElement() && xml.name() == u"c")) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"v")
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == u"is")
                    value = stringItem(xml);
            }
            if (type == u"s") {
                bool ok = false;
                const int index = value.toInt(&ok);
                if (!ok || index < 0 || index >= strings.size())
                    return badWorkbook();
                value = strings[index];
            } else if (type == u"str" || type == u"inlineStr") {
                value = spreadsheetText(value);
            } else if (type.isEmpty() || type == u"n") {
                value = numberText(value, dates.value(style), book.epoch);
            }
            while (row->size() <= at)
                *row << QString();
            (*row)[at] = value;
            column = at + 1;
        }
    }
    if (xml.hasError())
        return badWorkbook();
    return out;
}

bool TableReader::Read(const QString& path, QVector<QStringList>& rows, QString& errText) {
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
        errText = QCoreApplication::translate("tarvo::suite::TableReader", "文件“%1”过大，无法导入")
                      .arg(info.fileName());
        return false;
    }
    TableText table = suffix == u"csv" ? readCsv(file.readAll()) : readXlsx(path);
    if (!table.error.isEmpty()) {
        errText = table.error;
        return false;
    }
    rows = std::move(table.rows);
    return true;
}

} // namespace tarvo::suite
