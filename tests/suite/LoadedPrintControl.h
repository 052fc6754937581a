#pragma once

#include "PrintControl.h"
#include "PrintData.h"
#include "PrintStyle.h"

#include <gtest/gtest.h>

/// A print control given a list as the list window hands it over: its style and rows, and the
/// types and sizes of its columns for an export.
struct LoadedPrintControl {
    tarvo::suite::PrintControl control;
    QString types;
    QString sizes;
    QString listName;
    QString styleXml;
    QVector<QStringList> rows;

    /// The rows under the page head of the list named listName; a test failure when the
    /// control refuses them.
    void loadList(const tarvo::suite::PrintStyle& style, const QString& listName,
                  const QVector<QStringList>& rows) {
        this->listName = listName;
        this->rows = rows;
        QString data;
        tarvo::suite::PrintDataWriter w(&data, {listName, "001", "demo", "演示", "2026-12-08"});
        for (const QStringList& row : rows)
            w.writeRow(row);
        w.finish();
        styleXml = style.toXml();
        QString taken = styleXml;
        ASSERT_EQ(control.SetDataStyleXML(data, true, taken, true, "Default"), 0);
    }

    int exportTo(const QString& path) {
        qint32 flags = 0;
        return control.ExportToFile(flags, types, sizes, path, QString());
    }

    /// The same list exported by another control straight from its rows, as a script exports
    /// a list that no grid holds.
    int exportListTo(const QString& path) {
        struct Row : tarvo::PrintedRow {
            const QStringList* cells = nullptr;
            void appendCell(int column, QByteArray& out) const override {
                out += cells->value(column).toUtf8();
            }
        };
        tarvo::PrintedList list;
        list.archiveName = listName;
        for (qsizetype c = 0; c < (rows.isEmpty() ? 0 : rows[0].size()); ++c)
            list.columns.push_back({});
        list.forEachRow = [this](const std::function<bool(const tarvo::PrintedRow&)>& eachRow) {
            Row row;
            for (const QStringList& cells : std::as_const(rows)) {
                row.cells = &cells;
                if (!eachRow(row))
                    return;
            }
        };
        tarvo::suite::PrintControl streaming;
        return streaming.ExportList(list, {styleXml, types, sizes, false}, path);
    }
};
