#include "ImportPreview.h"

#include "ErrorHandling.h"
#include "FileDialogs.h"
#include "ImportPreviewModel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tarvo {

using Col = ImportPreviewModel;

ImportPreview::ImportPreview(const QString& title, QWidget* parent)
    : QDialog(parent), LblFile(new QLabel(this)),
      CmdFile(new QPushButton(tr("选择文件..."), this)), GrdPreview(new QTableView(this)),
      LblCounts(new QLabel(this)), ChkRefused(new QCheckBox(tr("只看拒绝的行"), this)),
      CmdImport(new QPushButton(tr("导入"), this)), CmdClose(new QPushButton(tr("关闭"), this)) {
    setWindowTitle(title);
    LblFile->setObjectName(QStringLiteral("LblFile"));
    CmdFile->setObjectName(QStringLiteral("CmdFile"));
    GrdPreview->setObjectName(QStringLiteral("GrdPreview"));
    LblCounts->setObjectName(QStringLiteral("LblCounts"));
    ChkRefused->setObjectName(QStringLiteral("ChkRefused"));
    CmdImport->setObjectName(QStringLiteral("CmdImport"));
    CmdClose->setObjectName(QStringLiteral("CmdClose"));
    GrdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdPreview->verticalHeader()->hide();
    GrdPreview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GrdPreview->verticalHeader()->setDefaultSectionSize(GrdPreview->fontMetrics().height() + 10);
    CmdImport->setEnabled(false);

    // The counts stand over the rows they count.
    auto* file = new QHBoxLayout;
    file->addWidget(LblFile, 1);
    file->addWidget(CmdFile);
    auto* counts = new QHBoxLayout;
    counts->addWidget(LblCounts, 1);
    counts->addWidget(ChkRefused);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdImport);
    buttons->addWidget(CmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addLayout(counts);
    layout->addWidget(GrdPreview, 1);
    layout->addLayout(buttons);
    resize(1200, 540);

    connect(CmdFile, &QPushButton::clicked, this, [this] { reportErrors([&] { chooseFile(); }); });
    connect(CmdImport, &QPushButton::clicked, this,
            [this] { reportErrors([&] { importRows(); }); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(ChkRefused, &QCheckBox::toggled, this, [this](bool on) {
        if (m_model)
            m_model->setRefusedOnly(on);
    });
}

ImportPreview::~ImportPreview() {
    // The rows go before the window's children do: nothing may ask for them any more.
    GrdPreview->setModel(nullptr);
}

void ImportPreview::showRows(std::unique_ptr<ImportPreviewRows> rows, bool mappingRow) {
    m_rows = std::move(rows);
    m_model = new ImportPreviewModel(*m_rows, mappingRow, this);
    GrdPreview->setModel(m_model);
}

QString ImportPreview::askForFile() {
    return suite::chooseFileToOpen(this, windowTitle(),
                                   m_path.isEmpty() ? QString() : QFileInfo(m_path).path(),
                                   tr("表格文件 (*.csv *.xlsx)"));
}

void ImportPreview::showFile(const QString& path) {
    m_path = path;
    LblFile->setText(QDir::toNativeSeparators(path));
}

void ImportPreview::done(int result) {
    stopChecking();
    QDialog::done(result);
}

void ImportPreview::keyPressEvent(QKeyEvent* event) {
    if (m_check && event->key() == Qt::Key_Escape) {
        m_check->stop();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ImportPreview::startBeside(BesideWork::Work work,
                                std::function<void(bool, const QString&)> ended) {
    stopChecking();
    CmdFile->setEnabled(false);
    m_check = new BesideWork(std::move(work), this);
    connect(m_check, &BesideWork::ended, this,
            [this, ended = std::move(ended)](bool stopped, const QString& thrown) {
                std::exchange(m_check, nullptr)->deleteLater();
                CmdFile->setEnabled(true);
                ended(stopped, thrown);
            });
}

void ImportPreview::stopChecking() {
    if (!m_check)
        return;
    m_check->stopAndWait();
    delete std::exchange(m_check, nullptr);
    CmdFile->setEnabled(true);
}

void ImportPreview::showVerdicts(const QString& counts, bool storable) {
    m_model->verdictsChanged();
    GrdPreview->resizeColumnToContents(Col::ColLine);
    // The reasons can be long: the column shows the start, the tooltip all of it.
    GrdPreview->resizeColumnToContents(Col::ColVerdict);
    GrdPreview->resizeColumnToContents(Col::ColReason);
    GrdPreview->setColumnWidth(Col::ColReason,
                               std::clamp(GrdPreview->columnWidth(Col::ColReason), 260, 420));
    LblCounts->setText(counts);
    CmdImport->setEnabled(storable);
}

void ImportPreview::sizeColumnsFrom(int column) {
    if (column >= m_model->columnCount())
        return;
    // Each column measures a thousand rows: one column per turn of the window's events.
    GrdPreview->resizeColumnToContents(column);
    QMetaObject::invokeMethod(this, [this, column] { sizeColumnsFrom(column + 1); },
                              Qt::QueuedConnection);
}

} // namespace tarvo
