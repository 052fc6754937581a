#include "UnattendedExport.h"

#include "AccountSettings.h"
#include "AdoTypes.h"
#include "ArchiveSession.h"
#include "ChunksAhead.h"
#include "ClassRegistry.h"
#include "ColumnSetup.h"
#include "ErrorHandling.h"
#include "IPrintControl.h"
#include "ListGridSource.h"
#include "ListQuery.h"
#include "ListReadFailure.h"
#include "PrintedList.h"

#include <QCoreApplication>

namespace tarvo {

namespace {

/// Rows read and shown at a time: few enough that a chunk costs little memory, enough that
/// the per-chunk work is lost among its rows.
constexpr int kChunkRows = 4096;
/// The grid's alignment code of its row numbers.
constexpr int kAlignCentre = 4;

/// A row of a chunk, its cells shown by the chunk's source for the grid's column each printed
/// column stands for.
class ChunkRow : public PrintedRow {
public:
    ChunkRow(const ListGridSource& source, const QVector<int>& gridColumns)
        : m_source(source), m_gridColumns(gridColumns) {}
    void setRow(int row) { m_row = row; }
    void appendCell(int column, QByteArray& out) const override {
        m_source.appendUtf8(m_row, m_gridColumns[column], out);
    }

private:
    const ListGridSource& m_source;
    const QVector<int>& m_gridColumns;
    int m_row = 0;
};

QString res(const char* key) {
    return ArchiveSession::current().oPub->GetResString(QString::fromLatin1(key));
}

/// The list as the window's grid would show it: the columns the set-up shows, the rows of the
/// query read a chunk at a time, each chunk shown by the rules of the window's grid.
struct ListOutput {
    PrintedList list;
    QVector<int> gridColumns;
    RecordsetPtr shape;
    std::shared_ptr<ListGridSource> shapeSource;
    QString sql;
};

/// What the window learns before its first row: the query, the columns shown and how their
/// cells are shown. False, after saying why, when the list's columns cannot be had.
bool prepare(ComVar& comVar, ListOutput& out) {
    ArchiveSession& s = ArchiveSession::current();
    ColumnCollectionPtr cols;
    QString cFlds;
    skipErrors([&] { cols = s.oColSet->GetColProperties(); });
    skipErrors([&] { cFlds = s.oColSet->GetSqlString(); });
    const QString& archive = comVar.m_ArchiveEnName;
    QString columnsSql = listColumnsQuery(archive, cFlds);
    out.shape = s.SrvDB->OpenX(columnsSql);
    if (!out.shape || !cols || cols->Count() != out.shape->FieldCount()) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.conditionerror"));
        return false;
    }
    out.sql = listQuery(archive, cFlds, QString(), allRecordsFilter(), columnSetupOrder(*cols));
    out.shapeSource =
        std::make_shared<ListGridSource>(out.shape, s.YesNoText, s.SignFlagText, s.AccPropertyText);
    out.shapeSource->showAsList(s.oPub.get(), &comVar);
    PrintedList& list = out.list;
    list.archive = archive;
    list.archiveName = comVar.m_ArchiveChName;
    list.accId = s.oLogin->cacc_id();
    list.userId = s.oLogin->cUserId();
    list.userName = s.oLogin->cUserName();
    list.rowNumbers = {res("Tarvo.AA.ARCHIVE.COMMON.serialnumber"), kRowNumberWidth, kAlignCentre,
                       ado::adInteger, 4};
    for (int i = 1; i <= cols->Count(); ++i) {
        const ColumnItem& c = cols->Item(i);
        const FieldInfo& field = out.shape->FieldAt(i - 1);
        if (shownWidth(c) <= 0)
            continue;
        list.columns.push_back({c.Caption, shownWidth(c), c.iAlign, field.type, field.definedSize});
        out.gridColumns.push_back(i);
    }
    return true;
}

/// Reads the rows and hands each to eachRow until it returns false; throws, in the list's words,
/// when they stop. The next chunk is read while the rows of the last one are handed on.
void forEachRow(ListOutput& out, const std::function<bool(const PrintedRow&)>& eachRow) {
    const ArchiveSession& s = ArchiveSession::current();
    QVector<FieldInfo> fields;
    for (int f = 0; f < out.shape->FieldCount(); ++f)
        fields << out.shape->FieldAt(f);
    ChunksAhead chunks(s.SrvDB, out.sql, fields, kChunkRows);
    qint64 rowsRead = 0;
    while (const RecordsetPtr chunk = chunks.next()) {
        ListGridSource source(chunk, s.YesNoText, s.SignFlagText, s.AccPropertyText);
        source.showAs(*out.shapeSource);
        ChunkRow row(source, out.gridColumns);
        for (int r = 0; r < chunk->storedRowCount(); ++r) {
            row.setRow(r);
            ++rowsRead;
            if (!eachRow(row))
                return;
        }
    }
    if (chunks.failed())
        throw ArchiveError(listReadFailure(rowsRead, chunks.error()));
}

} // namespace

void expectUnattendedExport(const ComVar& comVar) {
    ArchiveSession& s = ArchiveSession::current();
    s.oColSet->ExpectColMode(comVar.m_ColSetArchiveEnName);
    s.oPub->ExpectListPrintStyle(comVar.m_ArchiveEnName, s.oLogin->cUserId(), s.SrvDB);
}

bool exportUnattended(ComVar& comVar) {
    ArchiveSession& s = ArchiveSession::current();
    if (!chooseColumnSetup(comVar))
        return false;
    reportErrors([&] { LoadAccountSettings(comVar); });
    const auto prn = createObject<IPrintControl>(QStringLiteral("PRINTCONTROLLib.PrintControl"));
    if (!prn)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "无法创建打印控件"));
    prn->place(nullptr, {});
    ListOutput out;
    if (!prepare(comVar, out))
        return false;
    out.list.forEachRow = [&out](const std::function<bool(const PrintedRow&)>& eachRow) {
        forEachRow(out, eachRow);
    };
    const PrintedListStyle style = s.oPub->GetListPrintStyle(out.list, s.SrvDB);
    int result = prn->ExportList(out.list, style, QString());
    if (result == IPrintControl::kEmptyList) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.nodata"));
        return false;
    }
    s.oPub->PrintMsg(comVar.m_ArchiveEnName, result);
    return result == 0;
}

} // namespace tarvo
