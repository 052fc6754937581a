#include "FrmHistory.h"

#include "AdoTypes.h"
#include "ArchiveSession.h"
#include "BesideWork.h"
#include "ClassRegistry.h"
#include "ComponentApp.h"
#include "ErrorHandling.h"
#include "Grid.h"
#include "GridModel.h"
#include "HistoryValues.h"
#include "IHistory.h"
#include "Resources.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

#include <array>
#include <set>

namespace tarvo {

namespace {

constexpr int kAlignCentre = 4;
constexpr int kTextSize = 255;
constexpr int kColumnCount = FrmHistory::ColumnCount;

struct ColumnSpec {
    const char* caption;
    const char* field;
    int twips;
};
const ColumnSpec kColumns[] = {
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "时间"), "dWhen", 2600},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "操作员"), "cUserName", 1400},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "登录账户"), "cSessionUser", 1400},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "操作"), "cAction", 900},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "编码"), "cKeyValue", 1400},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "字段"), "cField", 2000},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "原值"), "cOldValue", 3000},
    {QT_TRANSLATE_NOOP("tarvo::FrmHistory", "新值"), "cNewValue", 3000},
};
static_assert(std::size(kColumns) == kColumnCount - 1);

struct Command {
    const char* key;
    int picture;
    const char* text;
};
const Command kCommands[] = {
    {"Print", 105, QT_TRANSLATE_NOOP("tarvo::FrmHistory", "打印")},
    {"Preview", 123, QT_TRANSLATE_NOOP("tarvo::FrmHistory", "预览")},
    {"SaveFile", 125, QT_TRANSLATE_NOOP("tarvo::FrmHistory", "输出")},
    {"Exit", 120, QT_TRANSLATE_NOOP("tarvo::FrmHistory", "退出")},
};

QString actionText(const QString& action) {
    if (action == u"Add")
        return FrmHistory::tr("增加");
    if (action == u"Modify")
        return FrmHistory::tr("修改");
    if (action == u"Delete")
        return FrmHistory::tr("删除");
    return action;
}

} // namespace

/// The rows read, as the grid shows them; the filter picks which of them it shows.
class HistoryRows : public suite::GridSource {
public:
    using Row = std::array<QString, kColumnCount - 1>;
    QVector<Row> rows;

    int rowCount() const override { return int(rows.size()); }
    QString text(int row, int col) const override {
        return row >= 0 && row < rows.size() && col >= 1 && col < kColumnCount
                   ? rows[row][col - 1]
                   : QString();
    }
};

FrmHistory::FrmHistory(ComVarPtr var, QVariant key)
    : m_ComVar(std::move(var)), m_key(std::move(key)), m_rows(std::make_shared<HistoryRows>()),
      Tlb(new QToolBar(this)), cboField(new QComboBox(this)), cboUser(new QComboBox(this)),
      cboAction(new QComboBox(this)), dtFrom(new QDateEdit(this)), dtTo(new QDateEdit(this)),
      txtFind(new QLineEdit(this)), Grid(new suite::Grid(this)), Stb(new QLabel(this)) {
    setObjectName(QStringLiteral("FrmHistory"));
    const QString title = m_key.isNull()
                              ? tr("%1 修改记录").arg(m_ComVar->m_ArchiveChName)
                              : tr("%1 修改记录：%2").arg(m_ComVar->m_RecordName, m_key.toString());
    setWindowTitle(title);
    skipErrors([&] { setWindowIcon(LoadResPicture(135, PictureKind::Bitmap)); });
    Grid->setObjectName(QStringLiteral("Grid"));
    Stb->setObjectName(QStringLiteral("Stb"));
    BuildToolbar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(Tlb);
    layout->addWidget(BuildFilterRow());
    layout->addWidget(Grid, 1);
    layout->addWidget(Stb);
    Stb->setContentsMargins(8, 0, 8, 0);
    SetUpGrid();
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);
    Prn = createObject<IPrintControl>(QStringLiteral("PRINTCONTROLLib.PrintControl"));
    if (Prn)
        Prn->place(this, [this](const QVariant& first, const QVariant& second) {
            ArchiveSession& s = ArchiveSession::current();
            s.oPub->SavePrnStyle(s.SrvDB, printStyleName(), first.toString() + second.toString());
        });
    resize(1000, 520);
}

FrmHistory::~FrmHistory() = default;

int FrmHistory::rowCount() const {
    return m_rows->rowCount();
}

void FrmHistory::BuildToolbar() {
    Tlb->setObjectName(QStringLiteral("Tlb"));
    Tlb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (const Command& c : kCommands) {
        QAction* a = Tlb->addAction(tr(c.text));
        a->setObjectName(QString::fromLatin1(c.key));
        skipErrors([&] { a->setIcon(LoadResPicture(c.picture, PictureKind::Bitmap)); });
        const QString key = QString::fromLatin1(c.key);
        connect(a, &QAction::triggered, this, [this, key] { reportErrors([&] { DoCommand(key); }); });
    }
}

QWidget* FrmHistory::BuildFilterRow() {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("FilterRow"));
    // Two lines: in one, the English captions and a field list's longest caption make the
    // window wider than a small screen.
    auto* lines = new QVBoxLayout(row);
    lines->setContentsMargins(8, 4, 8, 4);
    auto* choices = new QHBoxLayout;
    auto* range = new QHBoxLayout;
    lines->addLayout(choices);
    lines->addLayout(range);
    const auto labelled = [&](QHBoxLayout* h, const QString& caption, QWidget* w,
                              const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        auto* label = new QLabel(caption, row);
        label->setBuddy(w);
        h->addWidget(label);
        h->addWidget(w);
    };
    labelled(choices, tr("字段"), cboField, "cboField");
    labelled(choices, tr("操作员"), cboUser, "cboUser");
    labelled(choices, tr("操作"), cboAction, "cboAction");
    labelled(range, tr("日期从"), dtFrom, "dtFrom");
    labelled(range, tr("到"), dtTo, "dtTo");
    labelled(range, tr("包含"), txtFind, "txtFind");
    txtFind->setPlaceholderText(tr("编码、字段或值中的文字"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setMinimumWidth(180);
    choices->addStretch();
    range->addStretch();
    for (QDateEdit* d : {dtFrom, dtTo}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setDate(QDate::currentDate());
        connect(d, &QDateEdit::dateChanged, this, &FrmHistory::ApplyFilter);
    }
    for (QComboBox* c : {cboField, cboUser, cboAction}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(c, &QComboBox::currentIndexChanged, this, &FrmHistory::ApplyFilter);
    }
    connect(txtFind, &QLineEdit::textChanged, this, &FrmHistory::ApplyFilter);
    return row;
}

void FrmHistory::SetUpGrid() {
    Grid->setCols(kColumnCount);
    Grid->setRows(1);
    Grid->setColWidth(0, 600);
    Grid->setTextMatrix(0, 0, tr("序号"));
    for (int c = 1; c < kColumnCount; ++c) {
        const ColumnSpec& shown = kColumns[c - 1];
        Grid->setTextMatrix(0, c, tr(shown.caption));
        Grid->setColWidth(c, shown.twips);
    }
    // One record's history needs no column for its key.
    if (!m_key.isNull())
        Grid->setColWidth(Key, 0);
    for (int c = 0; c < kColumnCount; ++c)
        Grid->setHeaderAlignment(c, kAlignCentre);
}

bool FrmHistory::reading() const {
    return m_read != nullptr;
}

void FrmHistory::ReadBeside() {
    auto service = createObject<IHistory>(QStringLiteral("TarvoSrvTrans.IHistory"));
    if (!service) {
        ReadEnded(tr("无法创建修改记录服务"));
        return;
    }
    // Nothing the window does waits on the server: until the rows are in, its commands and
    // filters wait, and only closing it is offered.
    Tlb->setEnabled(false);
    findChild<QWidget*>(QStringLiteral("FilterRow"))->setEnabled(false);
    Stb->setText(tr("正在读取修改记录…"));
    auto read = std::make_shared<QVector<HistoryRows::Row>>();
    auto work = [service, read, var = m_ComVar, key = m_key](const WorkProgress& progress) {
        ArchiveSession& session = ArchiveSession::current();
        // A window closed meanwhile does not wait for the rows.
        session.SrvDB->StopWhen(progress.stopAsked);
        const auto lifted = qScopeGuard([&session] { session.SrvDB->StopWhen({}); });
        QString error;
        RecordsetPtr rs = service->History(session.SrvDB, var->m_ArchiveEnName, key, error);
        if (!rs)
            throw ArchiveError(error);
        read->reserve(rs->RecordCount());
        HistoryValues values(var);
        qint64 done = 0;
        for (rs->MoveFirst(); !rs->Eof() && progress.goOn(done); rs->MoveNext(), ++done) {
            const QString name = rs->Value("cUserName").toString();
            const QString field = rs->Value("cFieldName").toString();
            read->push_back({rs->Value("dWhen").toString(),
                             name.isEmpty() ? rs->Value("cUserId").toString() : name,
                             rs->Value("cSessionUser").toString(),
                             actionText(rs->Value("cAction").toString()),
                             rs->Value("cKeyValue").toString(), rs->Value("cField").toString(),
                             values.shown(field, rs->Value("cOldValue").toString()),
                             values.shown(field, rs->Value("cNewValue").toString())});
        }
    };
    m_read = new BesideWork(carryingArchiveSession(std::move(work)), this);
    connect(m_read, &BesideWork::ended, this, [this, read](bool stopped, const QString& error) {
        std::exchange(m_read, nullptr)->deleteLater();
        if (stopped)
            return;
        if (error.isEmpty())
            m_rows->rows = std::move(*read);
        ReadEnded(error);
    });
}

void FrmHistory::ReadEnded(const QString& error) {
    Tlb->setEnabled(true);
    findChild<QWidget*>(QStringLiteral("FilterRow"))->setEnabled(true);
    if (!error.isEmpty()) {
        Stb->clear();
        ShowInfo(error);
        close();
        return;
    }
    FillFilterChoices();
    ApplyFilter();
}

void FrmHistory::FillFilterChoices() {
    const QSignalBlocker blockField(cboField);
    const QSignalBlocker blockUser(cboUser);
    const QSignalBlocker blockAction(cboAction);
    const QSignalBlocker blockFrom(dtFrom);
    const QSignalBlocker blockTo(dtTo);
    std::set<QString> fields;
    std::set<QString> users;
    QDate first = QDate::currentDate();
    QDate last = first;
    for (const auto& r : m_rows->rows) {
        fields.insert(r[Field - 1]);
        users.insert(r[Who - 1]);
        const QDate d = QDate::fromString(r[When - 1].left(10), Qt::ISODate);
        if (d.isValid()) {
            first = std::min(first, d);
            last = std::max(last, d);
        }
    }
    cboField->clear();
    cboField->addItem(tr("全部字段"));
    // Field captions are short in Chinese and long in English: the column fits the longest.
    int widest = 0;
    for (const QString& f : fields) {
        cboField->addItem(f, f);
        widest = std::max(widest, Grid->fontMetrics().horizontalAdvance(f));
    }
    Grid->setColWidth(Field, std::max(kColumns[Field - 1].twips,
                                      (widest + 12) * suite::Grid::twipsPerPixel()));
    cboUser->clear();
    cboUser->addItem(tr("全部操作员"));
    for (const QString& u : users)
        cboUser->addItem(u, u);
    cboAction->clear();
    cboAction->addItem(tr("全部操作"));
    for (const char* a : {"Add", "Modify", "Delete"}) {
        const QString text = actionText(QString::fromLatin1(a));
        cboAction->addItem(text, text);
    }
    dtFrom->setDate(first);
    dtTo->setDate(last);
}

void FrmHistory::ApplyFilter() {
    const QString field = cboField->currentData().toString();
    const QString user = cboUser->currentData().toString();
    const QString action = cboAction->currentData().toString();
    const QString from = dtFrom->date().toString(Qt::ISODate);
    const QString to = dtTo->date().toString(Qt::ISODate);
    const QString text = txtFind->text().trimmed();
    QVector<int> shown;
    for (int i = 0; i < m_rows->rows.size(); ++i) {
        const auto& r = m_rows->rows[i];
        const QString day = r[When - 1].left(10);
        if ((!field.isEmpty() && r[Field - 1] != field) ||
            (!user.isEmpty() && r[Who - 1] != user) ||
            (!action.isEmpty() && r[What - 1] != action) || day < from || day > to)
            continue;
        if (!text.isEmpty() &&
            !std::any_of(r.begin(), r.end(), [&](const QString& cell) {
                return cell.contains(text, Qt::CaseInsensitive);
            }))
            continue;
        shown << i;
    }
    Grid->setSource(m_rows, shown);
    Stb->setText(
        shown.size() == m_rows->rows.size()
            ? tr("共 %n 条", nullptr, int(shown.size()))
            : tr("共 %n 条，显示 %1 条", nullptr, int(m_rows->rows.size())).arg(shown.size()));
}

QVector<ListField> FrmHistory::listFields() const {
    QVector<ListField> fields;
    for (const ColumnSpec& c : kColumns)
        fields.push_back({QString::fromLatin1(c.field), tr(c.caption), ado::adVarWChar});
    return fields;
}

QString FrmHistory::archiveName() const {
    return m_ComVar->m_ArchiveEnName;
}

QString FrmHistory::printStyleName() const {
    return m_ComVar->m_ArchiveEnName + QStringLiteral(".history");
}

void FrmHistory::DoCommand(const QString& key) {
    const QString k = key.toLower();
    if (k == u"print" || k == u"preview" || k == u"savefile")
        PrintAll(k);
    else if (k == u"exit")
        close();
}

void FrmHistory::PrintAll(const QString& key) {
    ArchiveSession& s = ArchiveSession::current();
    if (!Prn)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "无法创建打印控件"));
    Prn->setVisible(false);
    if (Grid->Rows() <= 1) {
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.nodata")));
        return;
    }
    QString styleXml;
    s.oPub->GetPrnStyleFile(true, QString(), styleXml, printStyleName(), s.SrvDB, Grid);
    QString dataFile;
    s.oPub->GetPrnDataFile(false, dataFile, QString(), QString(), windowTitle(),
                           s.oLogin->cacc_id(), s.oLogin->cUserId(), s.oLogin->cUserName(),
                           nullptr, s.SrvDB, Grid);
    const auto removeData = qScopeGuard([&] { QFile::remove(dataFile); });
    if (Prn->SetDataStyleXML(dataFile, false, styleXml, true, QStringLiteral("Default")) != 0)
        return;
    if (key == u"print") {
        Prn->DoPrint();
    } else if (key == u"preview") {
        Prn->SetOwner(this);
        Prn->PrintPreview();
    } else {
        QVector<FieldInfo> columns;
        for (const ColumnSpec& c : kColumns)
            columns.push_back({QString::fromLatin1(c.field), ado::adVarWChar, kTextSize});
        RecordsetPtr types = std::make_shared<Recordset>(columns);
        QString first;
        QString second;
        s.oPub->GetTypeSize(first, second, types, Grid);
        qint32 flags = 0;
        int result = Prn->ExportToFile(flags, first, second, QString(), QString());
        s.oPub->PrintMsg(printStyleName(), result);
    }
}

void FrmHistory::showModal(QWidget* owner) {
    if (owner)
        setParent(owner, windowFlags() | Qt::Window);
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &FrmHistory::closed, &loop, &QEventLoop::quit);
    show();
    if (!isVisible())
        return;
    ReadBeside();
    if (isVisible())
        loop.exec();
}

void FrmHistory::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceOverOwner(*this);
}

void FrmHistory::closeEvent(QCloseEvent* event) {
    // A read still under way is of no use to a closed window; the session is free again once
    // it has stopped.
    if (m_read)
        delete std::exchange(m_read, nullptr);
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

} // namespace tarvo
