// Print services of the public-services object: the style and data of a list's printout,
// the types of its exported columns, stored page set-ups and the export's message.
#include "AdoTypes.h"
#include "Grid.h"
#include "IListWindow.h"
#include "OptionStore.h"
#include "PrintControl.h"
#include "PrintData.h"
#include "PrintStyle.h"
#include "PrintStyleStore.h"
#include "Pub.h"
#include "SuiteContext.h"
#include "WrittenDataFiles.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>

#include <cstdio>
#include <stdexcept>

namespace tarvo::suite {

namespace {

constexpr int kDefaultDecimals = 2;

Grid* printedGrid(QWidget* w) {
    auto* grid = qobject_cast<Grid*>(w);
    if (!grid)
        throw std::runtime_error(QCoreApplication::translate("tarvo::suite::Pub", "只能打印档案列表").toStdString());
    return grid;
}

/// Grid columns that reach paper and files: the row numbers when the user prints them, then
/// every shown column in grid order.
QVector<int> printedColumns(const Grid* grid) {
    QVector<int> cols;
    const QWidget* window = grid->window();
    const QVariant printNo = window ? window->property("tarvo.printRowNumbers") : QVariant();
    if (!printNo.isValid() || printNo.toBool())
        cols << 0;
    for (int c = 1; c < grid->Cols(); ++c)
        if (grid->ColWidth(c) > 0)
            cols << c;
    return cols;
}

QVector<ListField> fieldsOf(const Grid* grid) {
    for (QWidget* w = grid->parentWidget(); w; w = w->parentWidget())
        if (const auto* list = dynamic_cast<const IListWindow*>(w))
            return list->listFields();
    return {};
}

Qt::Alignment alignmentOf(int code) {
    switch (code / 3) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

/// Decimals of amounts in this account, as its setting gives them.
int accountDecimals(const std::optional<QString>& setting) {
    bool ok = false;
    const int d = setting ? setting->toInt(&ok) : kDefaultDecimals;
    return ok && d >= 0 && d <= 10 ? d : kDefaultDecimals;
}

/// A grid's column as it reaches paper and files: column 0, the row numbers, holds whole
/// numbers, centred.
PrintedColumn gridColumn(const Grid* grid, int c, const QVector<ListField>& fields) {
    return {grid->TextMatrix(0, c), grid->ColWidth(c), c == 0 ? 4 : grid->ColAlignment(c),
            c == 0 ? int(ado::adInteger) : fields.value(c - 1).adoType, 0};
}

/// The printout's style of columns, the first of them the row numbers when rowNumbers: the
/// page is the user's own set-up when one is stored, else one that the columns fit.
QString styleOf(const QVector<PrintedColumn>& columns, bool rowNumbers, const QString& archive,
                const PrintStyleStore::Stored& stored) {
    const int decimals = accountDecimals(stored.decimals);
    PrintStyle style;
    style.archive = archive.toLower();
    int totalWidth = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const bool numbers = rowNumbers && i == 0;
        PrintColumn column;
        column.caption = columns[i].caption;
        column.widthTwips = columns[i].widthTwips;
        column.align = numbers ? Qt::AlignHCenter : alignmentOf(columns[i].alignment);
        const int type = columns[i].adoType;
        if (ado::isNumeric(type)) {
            column.kind = CellKind::Number;
            column.decimals = ado::isWholeNumber(type) ? 0 : decimals;
            column.grouped = !numbers;
        } else if (ado::isDate(type)) {
            column.kind = CellKind::Date;
        }
        totalWidth += column.widthTwips;
        style.columns << column;
    }
    style.page = PrintStyle::defaultPage(totalWidth);
    // The user's own page set-up wins; the columns always follow the list as it is now.
    if (stored.style)
        if (const auto saved = PrintStyle::fromXml(*stored.style)) {
            style.page = saved->page;
            style.fitWidth = saved->fitWidth;
            style.title = saved->title;
        }
    return style.toXml();
}

} // namespace

void Pub::GetPrnStyleFile(bool, const QString&, QString& styleXml, const QString& archive,
                          ClsCommonPtr& db, QWidget* gridWidget) {
    const Grid* grid = printedGrid(gridWidget);
    const QVector<ListField> fields = fieldsOf(grid);
    const QVector<int> cols = printedColumns(grid);
    QVector<PrintedColumn> columns;
    for (int c : cols)
        columns << gridColumn(grid, c, fields);
    styleXml = styleOf(columns, !cols.isEmpty() && cols[0] == 0, archive,
                       PrintStyleStore(db).load(currentUser(), archive));
}

void Pub::GetPrnDataFile(bool flag, QString& dataXml, const QString&, const QString&,
                         const QString& archiveName, const QString& accId, const QString& userId,
                         const QString& userName, QObject*, ClsCommonPtr&, QWidget* gridWidget,
                         const WorkProgress& progress) {
    const Grid* grid = printedGrid(gridWidget);
    const QVector<int> cols = printedColumns(grid);
    const PrintDataHeader header{archiveName, accId, userId, userName,
                                 QDate::currentDate().toString(Qt::ISODate)};
    auto writeRows = [&](PrintDataWriter& writer) {
        for (int r = 1; r < grid->Rows(); ++r) {
            writer.beginRow();
            for (int c : cols) {
                grid->appendTextUtf8(r, c, writer.beginCellUtf8());
                writer.endCellUtf8();
            }
            writer.endRow();
            if (!progress.goOn(r))
                return false;
        }
        return true;
    };
    dataXml.clear();
    // Without the flag the data goes to a file, which the caller removes when done with it.
    if (!flag) {
        dataXml = writePrintDataFile(header, cols.size(), writeRows);
        return;
    }
    PrintDataWriter writer(&dataXml, header);
    if (!writeRows(writer)) {
        dataXml.clear();
        return;
    }
    if (!writer.finish())
        throw std::runtime_error(
            QCoreApplication::translate("tarvo::suite::Pub", "无法写入打印数据文件").toStdString());
}

void Pub::GetTypeSize(QString& first, QString& second, RecordsetPtr& rs, QWidget* gridWidget) {
    const Grid* grid = printedGrid(gridWidget);
    QStringList types;
    QStringList sizes;
    for (int c : printedColumns(grid)) {
        if (c == 0) {
            types << QString::number(ado::adInteger);
            sizes << QStringLiteral("4");
        } else if (rs && c - 1 < rs->FieldCount()) {
            types << QString::number(rs->FieldAt(c - 1).type);
            sizes << QString::number(rs->FieldAt(c - 1).definedSize);
        } else {
            types << QString::number(ado::adVarWChar);
            sizes << QStringLiteral("0");
        }
    }
    first = types.join(u',');
    second = sizes.join(u',');
}

PrintedListStyle Pub::GetListPrintStyle(const PrintedList& list, ClsCommonPtr& db) {
    QVector<PrintedColumn> columns = list.columns;
    // The row numbers' option comes along with the style: one round trip on a server.
    const OptionStore options(db, list.userId);
    const PrintStyleStore::Stored stored =
        PrintStyleStore(db).load(currentUser(), list.archive, &options);
    PrintedListStyle out;
    out.rowNumbers = printsRowNumbers(options);
    if (out.rowNumbers)
        columns.prepend(list.rowNumbers);
    QStringList types;
    QStringList sizes;
    for (const PrintedColumn& c : std::as_const(columns)) {
        types << QString::number(c.adoType);
        sizes << QString::number(c.definedSize);
    }
    out.columnTypes = types.join(u',');
    out.columnSizes = sizes.join(u',');
    out.styleXml = styleOf(columns, out.rowNumbers, list.archive, stored);
    return out;
}

void Pub::ExpectListPrintStyle(const QString& archive, const QString& userId, ClsCommonPtr& db) {
    const OptionStore options(db, userId);
    PrintStyleStore(db).askAhead(userId, archive, options);
}

void Pub::SavePrnStyle(ClsCommonPtr& db, const QString& archive, const QString& style) {
    if (!PrintStyle::fromXml(style))
        throw std::runtime_error(
            GetResString(QStringLiteral("Tarvo.Print.badstyle")).toStdString());
    PrintStyleStore(db).save(currentUser(), archive, style);
}

void Pub::PrintMsg(const QString&, int& result) {
    const ExportOutcome& outcome = lastExportOutcome();
    if (result == -1)
        return;
    QString text = result == 0
                       ? GetResFormatString(QStringLiteral("Tarvo.Print.exported"), {outcome.path})
                       : GetResFormatString(QStringLiteral("Tarvo.Print.exportfailed"),
                                            {outcome.path, outcome.error});
    MsgBox(text, 64, GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.information")));
}

} // namespace tarvo::suite
