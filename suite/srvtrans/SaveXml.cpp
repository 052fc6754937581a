#include "SaveXml.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

namespace tarvo::suite {

std::optional<SaveRecord> parseSaveXml(const QString& xml, QString& error) {
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
