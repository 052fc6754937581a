// The list grid: columns from the column set-up, rows from a record set.
#include "AdoTypes.h"
#include "ArchiveSession.h"
#include "ColumnSetup.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ListGridSource.h"
#include "ListLoader.h"
#include "ListQuickSearch.h"
#include "ShownValues.h"
#include "StatusBar.h"

namespace tarvo {

namespace {
constexpr int kAlignCentre = 4;
} // namespace

void FrmMain::LoadColumnSettings(suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    if (!chooseColumnSetup(*m_ComVar))
        return;
    skipErrors([&] { m_Cols = s.oColSet->GetColProperties(); });
    skipErrors([&] { grid->setCols(s.oColSet->iCols() + 1); });
    grid->setColWidth(0, kRowNumberWidth);
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
            grid->setColWidth(i, shownWidth(c));
        }
        m_OrderBy = columnSetupOrder(*m_Cols);
    }
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
    m_loader->FillGrid(rs);
}

void FrmMain::ShowRowCount(long count) {
    // While rows are read the panel counts them; the rows shown meanwhile (the old list, or the
    // search box's share of it) are not the list's count, which the end of the read gives.
    if (m_loader->isFetching())
        return;
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {QString::number(count)};
    Stb->setPanelText(3, s.oPub->GetResFormatString(
                             QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.rstcount"), s.ResParams));
}

QVariant FrmMain::FormatGridTxt(const QVariant& value, const QString& sFieldName) {
    return ListGridSource::displayValue(value, sFieldName);
}

QVector<ListField> FrmMain::listFields() const {
    QVector<ListField> fields;
    if (!m_Cols)
        return fields;
    for (int i = 1; i <= m_Cols->Count(); ++i)
        fields.push_back({m_Cols->Item(i).cFld, m_Cols->Item(i).Caption,
                          m_loader->fieldTypes().value(i - 1, ado::adVarWChar)});
    return fields;
}

QString FrmMain::currentField() const {
    const int col = Grid->Col();
    if (!m_Cols || col < 1 || col > m_Cols->Count())
        return {};
    return m_Cols->Item(col).cFld;
}

} // namespace tarvo
