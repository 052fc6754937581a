#include "SaveXml.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <algorithm>
#include <iterator>

namespace tarvo::suite {

namespace {

/// A name of letters, digits and underscores, not starting with a digit, read from at up to
/// the closing '>'; empty when the text holds anything else there.
QStringView plainName(QStringView xml, qsizetype& at) {
    const qsizetype start = at;
    while (at < xml.size()) {
        const char16_t c = xml[at].unicode();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
        if (!letter && !(at > start && c >= u'0' && c <= u'9'))
            break;
        ++at;
    }
    if (at == start || at >= xml.size() || xml[at] != u'>')
        return {};
    return xml.mid(start, at++ - start);
}

/// The save XML in the one form the programs write it — a root of elements, each holding
/// plain text of the Basic Multilingual Plane outside the surrogates and private use, with
/// the five predefined entities — read without the general parser, which takes every other
/// text. Nothing when the text is not in that form.
std::optional<SaveRecord> parsePlain(QStringView xml) {
    qsizetype at = 0;
    if (!xml.startsWith(u'<'))
        return std::nullopt;
    ++at;
    SaveRecord rec;
    rec.fields.reserve(16);
    const QStringView root = plainName(xml, at);
    if (root.isEmpty())
        return std::nullopt;
    rec.root = root.toString();
    for (;;) {
        if (at + 1 >= xml.size() || xml[at] != u'<')
            return std::nullopt;
        ++at;
        if (xml[at] == u'/') {
            ++at;
            if (plainName(xml, at) != root || at != xml.size())
                return std::nullopt;
            return rec;
        }
        const QStringView column = plainName(xml, at);
        if (column.isEmpty())
            return std::nullopt;
        for (const auto& f : std::as_const(rec.fields))
            if (f.first.size() == column.size() &&
                QStringView(f.first).compare(column, Qt::CaseInsensitive) == 0)
                return std::nullopt;
        QString value;
        while (at < xml.size() && xml[at] != u'<') {
            qsizetype run = at;
            for (; run < xml.size(); ++run) {
                const char16_t c = xml[run].unicode();
                if (c < 0x20 || c >= 0xD800 || c == u'>' || c == u']')
                    return std::nullopt;
                if (c == u'<' || c == u'&')
                    break;
            }
            value += xml.mid(at, run - at);
            at = run;
            if (at == xml.size() || xml[at] == u'<')
                break;
            static const std::pair<const char16_t*, char16_t> kEntities[] = {
                {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'},
                {u"&apos;", u'\''}};
            const auto e = std::find_if(std::begin(kEntities), std::end(kEntities), [&](auto& k) {
                return xml.mid(at).startsWith(QStringView(k.first));
            });
            if (e == std::end(kEntities))
                return std::nullopt;
            value += QChar(e->second);
            at += QStringView(e->first).size();
        }
        if (at + 2 >= xml.size() || xml[at + 1] != u'/')
            return std::nullopt;
        at += 2;
        if (plainName(xml, at) != column)
            return std::nullopt;
        rec.fields.push_back({column.toString(), value});
    }
}

} // namespace

std::optional<SaveRecord> parseSaveXml(const QString& xml, QString& error) {
    if (xml.size() <= kMaxSaveXmlChars)
        if (auto plain = parsePlain(xml))
            return plain;
    return parseSaveXmlByParser(xml, error);
}

std::optional<SaveRecord> parseSaveXmlByParser(const QString& xml, QString& error) {
    if (xml.size() > kMaxSaveXmlChars) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "保存的数据超过 %1 个字符，不予保存").arg(kMaxSaveXmlChars);
        return std::nullopt;
    }
    QXmlStreamReader r(xml);
    SaveRecord rec;
    int depth = 0;
    QString column, value;
    auto fail = [&](const QString& why) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "保存的数据格式不正确：%1").arg(why);
        return std::nullopt;
    };
    while (!r.atEnd()) {
        switch (r.readNext()) {
        case QXmlStreamReader::DTD:
            return fail(QCoreApplication::translate("tarvo::suite::SaveService", "不接受文档类型定义"));
        case QXmlStreamReader::EntityReference:
            return fail(QCoreApplication::translate("tarvo::suite::SaveService", "不接受未定义的实体引用"));
        case QXmlStreamReader::ProcessingInstruction:
            return fail(QCoreApplication::translate("tarvo::suite::SaveService", "不接受处理指令"));
        case QXmlStreamReader::StartElement:
            if (!r.attributes().isEmpty())
                return fail(QCoreApplication::translate("tarvo::suite::SaveService", "元素“%1”不应带属性").arg(r.name()));
            if (depth == 0) {
                rec.root = r.name().toString();
            } else if (depth == 1) {
                column = r.name().toString();
                value.clear();
                for (const auto& f : rec.fields) {
                    if (f.first.compare(column, Qt::CaseInsensitive) == 0)
                        return fail(QCoreApplication::translate("tarvo::suite::SaveService", "字段“%1”出现了两次").arg(column));
                }
            } else {
                return fail(QCoreApplication::translate("tarvo::suite::SaveService", "字段“%1”中不应再有元素").arg(column));
            }
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            if (depth == 1)
                rec.fields.push_back({column, value});
            break;
        case QXmlStreamReader::Characters:
            if (depth == 2)
                value += r.text();
            else if (!r.isWhitespace())
                return fail(QCoreApplication::translate("tarvo::suite::SaveService", "字段之外不应有文字"));
            break;
        default:
            break;
        }
    }
    if (r.hasError())
        return fail(QCoreApplication::translate("tarvo::suite::SaveService", "第 %1 行第 %2 列：%3")
                        .arg(r.lineNumber())
                        .arg(r.columnNumber())
                        .arg(r.errorString()));
    if (rec.root.isEmpty())
        return fail(QCoreApplication::translate("tarvo::suite::SaveService", "没有根元素"));
    return rec;
}

} // namespace tarvo::suite
