#pragma once

#include "../listwindow/ListWindowFixture.h"
#include "Eventually.h"
#include "FrmImport.h"
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
        bool shown = false;
        // The window's events turn while the file is read and checked, before the preview
        // shows: looked for at every turn until it does.
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<tarvo::FrmImport*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            look.stop();
            shown = true;
            body(*preview);
            if (preview->isVisible())
                preview->reject();
        });
        look.start(0);
        w.ImportFile(path);
        return shown;
    }
    static QStringList column(tarvo::FrmImport& p, int col) {
        const QAbstractItemModel* grid = p.findChild<QTableView*>("GrdPreview")->model();
        QStringList out;
        for (int r = 1; r < grid->rowCount(); ++r)
            out << grid->index(r, col).data().toString();
        return out;
    }
    static QStringList verdicts(tarvo::FrmImport& p) { return column(p, 1); }
    /// Waits for the check a changed mapping started.
    static void waitForCheck(tarvo::FrmImport& p) { EXPECT_EVENTUALLY(!p.checking()); }
    static QString counts(tarvo::FrmImport& p) { return p.findChild<QLabel*>("LblCounts")->text(); }
    static QPushButton* importButton(tarvo::FrmImport& p) {
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
