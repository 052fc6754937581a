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

    /// The rows under the page head of the list named listName; a test failure when the
    /// control refuses them.
    void loadList(const tarvo::suite::PrintStyle& style, const QString& listName,
                  const QVector<QStringList>& rows) {
        QString data;
        tarvo::suite::PrintDataWriter w(&data, {listName, "001", "demo", "演示", "2026-12-08"});
        for (const QStringList& row : rows)
            w.writeRow(row);
        w.finish();
        QString styleXml = style.toXml();
        ASSERT_EQ(control.SetDataStyleXML(data, true, styleXml, true, "Default"), 0);
    }

    int exportTo(const QString& path) {
        qint32 flags = 0;
        return control.ExportToFile(flags, types, sizes, path, QString());
    }
};
