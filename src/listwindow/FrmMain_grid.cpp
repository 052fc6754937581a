// The list grid: columns from the column set-up, rows from a record set.
#include "AdoTypes.h"
#include "ArchiveSession.h"
#include "ColumnSetup.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ListGridSource.h"
#include "ListQuickSearch.h"
#include "ShownValues.h"
#include "StatusBar.h"

namespace tarvo {

namespace {
constexpr int kAlignCentre = 4;
constexpr int kSerialColumnWidth = 600; // twips: room for six digits
} // namespace

void FrmMain::LoadColumnSettings(suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    if (!chooseColumnSetup(*m_ComVar))
        return;
    skipErrors([&] { m_Cols = s.oColSet->GetColProperties(); });
    skipErrors([&] { grid->setCols(s.oColSet->iCols() + 1); });
    grid->setColWidth(0, kSerialColumnWidth);
    skipErrors([&] { grid->setAllowUserResizing(s.oColSet->IsLock() ? 0 : 1); });
    skipErrors([&] {
        const int k = s.oColSet->GetFixedCols() + 1;
        if (grid->Cols() > k)
            grid->setFixedCols(k);
    });
    m_OrderBy.clear();
    grid->setTextMatrix(
        0, 0, s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.serialnumber")));
    if (m_Cols) {
        for (int i = 1; i <= m_Cols->Count(); ++i) {
            const ColumnItem& c = m_Cols->Item(i);
            grid->setTextMatrix(0, i, c.Caption);
            grid->setColAlignment(i, c.iAlign);
            grid->setColWidth(i, c.bDisp.toBool() ? c.iColWidth : 0);
            if (!c.cOrder.isEmpty())
                m_OrderBy += c.cFld + u' ' + c.cOrder + u',';
        }
    }
    if (!m_OrderBy.isEmpty())
        m_OrderBy.chop(1);
    for (int c = 0; c < grid->Cols(); ++c)
        grid->setHeaderAlignment(c, kAlignCentre);

    QString sql;
    skipErrors([&] { sql = s.oColSet->GetSqlString(); });
    const QStringList items = sql.split(u',');
    m_KeyCol = int(items.size()) + 1;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].toLower() == m_ComVar->m_KeyFldName.toLower()) {
            m_KeyCol = i + 1;
            break;
        }
    }
    if (m_KeyCol >= grid->Cols()) {
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.selcolsetkey")));
        m_KeyCol = 0;
    }
}

void FrmMain::SaveColWidth(suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    skipErrors([&] {
        if (!m_Cols)
            return;
        for (int i = 1; i < grid->Cols() && i <= m_Cols->Count(); ++i)
            m_Cols->Item(i).iColWidth = grid->ColWidth(i);
    });
    skipErrors([&] {
        if (s.oColSet)
            s.oColSet->SaveColWidth();
    });
    m_Cols.reset();
}

void FrmMain::FillGrid(const RecordsetPtr& rs) {
    Grid->setRedraw(false);
    const long n = rs->RecordCount();
    const qint16 f = qint16(rs->FieldCount());
    m_fieldTypes.clear();
    for (int j = 0; j < f; ++j)
        m_fieldTypes << rs->FieldAt(j).type;
    m_listRs = n > 0 ? rs : nullptr;
    if (n == 0) {
        Grid->setSource(nullptr, {});
        m_quickSearch->rowsShown(nullptr, m_ComVar->m_KeyFldName);
        Grid->setRedraw(true);
        return;
    }
    Grid->setFixedRows(1);
    const ArchiveSession& s = ArchiveSession::current();
    m_fillSource = std::make_shared<ListGridSource>(rs, s.YesNoText, s.SignFlagText,
                                                    s.AccPropertyText);
    // The rows are in memory already (read beside the window): taking their order is a walk
    // over numbers, and the grid swaps them in at once, so that no command or key can come
    // between a half-taken list and the grid.
    QVector<int> rows;
    rows.reserve(int(n));
    rs->MoveFirst();
    for (int i = 1; i <= n; ++i) {
        rows.push_back(rs->currentRow());
        rs->MoveNext();
    }
    RepairGrid(rs, qint32(n), qint16(rs->FieldCount()));
    Grid->setSource(std::move(m_fillSource), std::move(rows));
    Grid->setRow(1);
    Grid->setCol(1);
    // A refresh keeps the list narrowed to what the search box holds.
    m_quickSearch->rowsShown(rs, m_ComVar->m_KeyFldName);
    Grid->setRedraw(true);
}

void FrmMain::ShowRowCount(long count) {
    // While rows are read the panel counts them; the rows shown meanwhile (the old list, or the
    // search box's share of it) are not the list's count, which the end of the read gives.
    if (m_load)
        return;
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {QString::number(count)};
    Stb->setPanelText(3, s.oPub->GetResFormatString(
                             QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.rstcount"), s.ResParams));
}

QVariant FrmMain::FormatGridTxt(const QVariant& value, const QString& sFieldName) {
    return ListGridSource::displayValue(value, sFieldName);
}

void FrmMain::RepairGrid(const RecordsetPtr& rs, qint32, qint16 nFldCount) {
    if (!m_fillSource)
        return;
    ArchiveSession& s = ArchiveSession::current();
    for (int j = 1; j <= nFldCount; ++j) {
        const FieldInfo& field = rs->FieldAt(j - 1);
        if (field.type == ado::adBoolean)
            m_fillSource->setShown(j, ListGridSource::Shown::YesNo);
        else if (field.name.toLower() == u"isignflag")
            m_fillSource->setShown(j, ListGridSource::Shown::SignFlag);
        else if (field.name.toLower() == u"iaccproperty")
            m_fillSource->setShown(j, ListGridSource::Shown::AccProperty);
        else if (ado::isAmount(field.type) && s.oPub &&
                 IsStyledAmount(*s.oPub, *m_ComVar, field.name))
            m_fillSource->setAmount(j, StyledDecimals(*s.oPub, *m_ComVar, field.name));
    }
}

QVector<ListField> FrmMain::listFields() const {
    QVector<ListField> fields;
    if (!m_Cols)
        return fields;
    for (int i = 1; i <= m_Cols->Count(); ++i)
        fields.push_back({m_Cols->Item(i).cFld, m_Cols->Item(i).Caption,
                          m_fieldTypes.value(i - 1, ado::adVarWChar)});
    return fields;
}

QString FrmMain::currentField() const {
    const int col = Grid->Col();
    if (!m_Cols || col < 1 || col > m_Cols->Count())
        return {};
    return m_Cols->Item(col).cFld;
}

} // namespace tarvo
