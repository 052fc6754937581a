#pragma once

#include "../listwindow/ListWindowFixture.h"
#include "Eventually.h"
#include "FrmBranchImport.h"
#include "FrmImport.h"
#include "ImportPreviewModel.h"
#include "PrintControl.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStringEncoder>
#include <QTableView>
#include <QTemporaryDir>

/// The list of an archive with its import preview: files written for it, the preview's
/// columns read back, and what the archive stores.
struct ImportTest : ListWindowTest {
    QTemporaryDir dir;
    ImportTest() {
        h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    }
    ~ImportTest() override { tarvo::suite::setUnattendedExportPath({}); }

    /// Opens the preview of a file from the list and runs body on it while it is shown; the
    /// preview is closed afterwards unless body ended it.
    bool withPreview(tarvo::FrmMain& w, const QString& path,
                     const std::function<void(tarvo::FrmImport&)>& body) {
        return whenShown<tarvo::FrmImport>(body, [&] { w.ImportFile(path); });
    }
    /// The same for the branch directory's preview, once it has read and checked the file.
    bool withBranchPreview(tarvo::FrmMain& w, const QString& path,
                           const std::function<void(tarvo::FrmBranchImport&)>& body) {
        return whenShown<tarvo::FrmBranchImport>(body, [&] { w.ImportBranchFile(path); });
    }
    /// A column of the preview's data rows, as shown.
    static QStringList column(tarvo::ImportPreview& p, int col) {
        const auto* grid = qobject_cast<const tarvo::ImportPreviewModel*>(
            p.findChild<QTableView*>("GrdPreview")->model());
        QStringList out;
        for (int r = 0; grid && r < grid->rowCount(); ++r)
            if (grid->rowAt(r) >= 0)
                out << grid->index(r, col).data().toString();
        return out;
    }
    static QStringList verdicts(tarvo::ImportPreview& p) { return column(p, 1); }
    /// Waits for the check a changed mapping started.
    static void waitForCheck(tarvo::FrmImport& p) { EXPECT_EVENTUALLY(!p.checking()); }
    static QString counts(tarvo::ImportPreview& p) {
        return p.findChild<QLabel*>("LblCounts")->text();
    }
    static QPushButton* importButton(tarvo::ImportPreview& p) {
        return p.findChild<QPushButton*>("CmdImport");
    }
    QString write(const QString& name, const QString& text, const char* encoding) {
        QStringEncoder encoder(encoding);
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encoder(text));
        return f.fileName();
    }
    QString stored(const QString& field, const QString& code) {
        return h.scalar(QStringLiteral("select %1 from bank where cBCode = ?").arg(field), {code})
            .toString();
    }
};
