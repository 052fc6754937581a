#include "RecordingPub.h"

#include "Pub.h"

#include <QDomElement>
#include <QWidget>

namespace {
QString name(const QObject* o) {
    return o ? o->objectName() : QStringLiteral("null");
}
} // namespace

RecordingPub::~RecordingPub() {
    if (onDestroyed)
        onDestroyed(*this);
}

void RecordingPub::log(const QString& member, const QStringList& args) {
    const std::lock_guard lock(m_logging);
    calls << member + u'(' + args.join(u',') + u')';
}

QStringList RecordingPub::callsOf(const QString& member) const {
    QStringList out;
    for (const QString& c : calls)
        if (c.startsWith(member + u'('))
            out << c;
    return out;
}

QString RecordingPub::GetResString(const QString& key) {
    return QStringLiteral("res:") + key;
}

QString RecordingPub::GetResFormatString(const QString& key, const tarvo::ResParamList& values) {
    QString out = QStringLiteral("res:") + key;
    for (const QVariant& v : values)
        out += u'|' + v.toString();
    return out;
}

int RecordingPub::MsgBox(QString& prompt, int buttons, const QString& title) {
    log(QStringLiteral("MsgBox"), {prompt, QString::number(buttons), title});
    return msgBoxAnswer;
}

void RecordingPub::UtoLCase(QString& text) {
    text = text.toLower();
}

QVariant RecordingPub::GetRes(int number) {
    log(QStringLiteral("GetRes"), {QString::number(number)});
    return {};
}

bool RecordingPub::IsLockFun(tarvo::ClsCommonPtr& db, tarvo::LoginPtr& login,
                             const QString& archive, int mode) {
    log(QStringLiteral("IsLockFun"),
        {db ? QStringLiteral("db") : QStringLiteral("nodb"),
         login ? login->cUserId() : QStringLiteral("nologin"), archive, QString::number(mode)});
    return refusedLockModes.contains(mode);
}

QString RecordingPub::LockRefusal(tarvo::ClsCommonPtr& db, tarvo::LoginPtr& login,
                                  const QString& archive, int mode) {
    log(QStringLiteral("LockRefusal"),
        {db ? QStringLiteral("db") : QStringLiteral("nodb"),
         login ? login->cUserId() : QStringLiteral("nologin"), archive, QString::number(mode)});
    return refusedLockModes.contains(mode) ? QStringLiteral("res:Tarvo.SUITE.lock.held|") + archive
                                           : QString();
}

void RecordingPub::SetConPosition(const tarvo::ControlList& c) {
    log(QStringLiteral("SetConPosition"), {QString::number(c.size())});
}
void RecordingPub::UCtrlLayout(const tarvo::ControlList& c, const QString& key) {
    log(QStringLiteral("UCtrlLayout"), {QString::number(c.size()), key});
}
void RecordingPub::SetLabelCaption(tarvo::ClsCommonPtr&, const tarvo::ControlList& c,
                                   const QString& key) {
    log(QStringLiteral("SetLabelCaption"), {QString::number(c.size()), key});
}
void RecordingPub::SetIntLen(QWidget* e, int n) {
    log(QStringLiteral("SetIntLen"), {name(e), QString::number(n)});
}
void RecordingPub::SetDblLen(QWidget* e, const QVariant&, int d) {
    log(QStringLiteral("SetDblLen"), {name(e), QString::number(d)});
}
QVariant RecordingPub::GetEleVal(const QDomElement& style, const QString& element) {
    log(QStringLiteral("GetEleVal"), {style.tagName(), element});
    const QDomElement e = style.firstChildElement(element);
    return e.isNull() ? QVariant() : QVariant(e.text());
}
QString RecordingPub::FormatNum(const QVariant& v, int d) {
    log(QStringLiteral("FormatNum"), {v.toString(), QString::number(d)});
    return v.isNull() ? QString() : QString::number(v.toDouble(), 'f', d);
}
void RecordingPub::CheckValid(QWidget* a) {
    log(QStringLiteral("CheckValid"), {name(a)});
}
bool RecordingPub::ConKeyDown(QWidget* a, int& k, int& s) {
    log(QStringLiteral("ConKeyDown"), {name(a), QString::number(k), QString::number(s)});
    return false;
}
bool RecordingPub::FrmKeyDown(QWidget* w, int& k, int& s) {
    log(QStringLiteral("FrmKeyDown"), {name(w), QString::number(k), QString::number(s)});
    return false;
}
void RecordingPub::CreateMatchStr(QWidget* e, const QString& cols, QString& result,
                                  QString& table) {
    log(QStringLiteral("CreateMatchStr"), {name(e), cols, result, table});
    result = QStringLiteral("(match ") + cols + u')';
}
void RecordingPub::FrmUnitefont(QWidget* w) {
    log(QStringLiteral("FrmUnitefont"), {name(w)});
}
void RecordingPub::FormLayout(QWidget* w, const QString& k) {
    log(QStringLiteral("FormLayout"), {name(w), k});
}
void RecordingPub::FrmLoadInit(QWidget* w, const QString& n, tarvo::LoginPtr& l,
                               tarvo::ClsCommonPtr& db) {
    log(QStringLiteral("FrmLoadInit"),
        {name(w), n, l ? l->cUserId() : QString(), db ? QStringLiteral("db") : QString()});
}
void RecordingPub::HelpX(const QString& a, QWidget* w, tarvo::LoginPtr&, QObject* app, bool f) {
    log(QStringLiteral("HelpX"),
        {a, name(w), name(app), f ? QStringLiteral("True") : QStringLiteral("False")});
}
void RecordingPub::HelpShow(QObject* app, const QString& key, QWidget* w) {
    log(QStringLiteral("HelpShow"), {name(app), key, name(w)});
}
void RecordingPub::HelpHide(QObject* app, QString& key, QWidget* w) {
    log(QStringLiteral("HelpHide"), {name(app), key, name(w)});
}
void RecordingPub::hook(QWidget* w) {
    log(QStringLiteral("hook"), {name(w)});
}
void RecordingPub::Unhook(QWidget* w) {
    log(QStringLiteral("Unhook"), {name(w)});
}
void RecordingPub::FrmUnLoad() {
    log(QStringLiteral("FrmUnLoad"));
}
void RecordingPub::FrmOptInit(QWidget* w, int mode) {
    log(QStringLiteral("FrmOptInit"), {name(w), QString::number(mode)});
}
void RecordingPub::FrmOpt(QWidget* w, QString& key, const QString& n, const QVariant&,
                          tarvo::LoginPtr&, tarvo::ClsCommonPtr&) {
    log(QStringLiteral("FrmOpt"), {name(w), key, n});
}
void RecordingPub::frmResizeNew(QWidget* w) {
    log(QStringLiteral("frmResizeNew"), {name(w)});
    if (realLayout)
        tarvo::suite::Pub().frmResizeNew(w);
}
void RecordingPub::SetTlb(QWidget* t) {
    log(QStringLiteral("SetTlb"), {name(t)});
    if (realLayout)
        tarvo::suite::Pub().SetTlb(t);
}
void RecordingPub::SetMoxTlbStyleNew(QWidget* w, bool flag, QWidget* frame, QWidget*& card) {
    log(QStringLiteral("SetMoxTlbStyleNew"),
        {name(w), flag ? QStringLiteral("True") : QStringLiteral("False"), name(frame),
         name(card)});
}
void RecordingPub::MoxTlbResize(QWidget* w) {
    log(QStringLiteral("MoxTlbResize"), {name(w)});
}
void RecordingPub::ReRefreshMoxTlb(QWidget* w) {
    log(QStringLiteral("ReRefreshMoxTlb"), {name(w)});
}
bool RecordingPub::isSaveRs(QWidget* c, bool*, int*) {
    log(QStringLiteral("isSaveRs"), {name(c)});
    return true;
}
void RecordingPub::GridSort(QWidget* w, QWidget* g, int d) {
    log(QStringLiteral("GridSort"), {name(w), name(g), QString::number(d)});
}
void RecordingPub::GridSortNew(QWidget* w, QWidget* g, QString& item) {
    log(QStringLiteral("GridSortNew"), {name(w), name(g), item});
}
void RecordingPub::ShowPopupMenu(QWidget* w, QWidget* g, int& b, int& s, float& x, float& y) {
    log(QStringLiteral("ShowPopupMenu"), {name(w), name(g), QString::number(b), QString::number(s),
                                          QString::number(x), QString::number(y)});
}
void RecordingPub::MouseEvent(QWidget* w, int p, int& b, int& s, float& x, float& y,
                              const QString& k) {
    log(QStringLiteral("MouseEvent"),
        {name(w), QString::number(p), QString::number(b), QString::number(s), QString::number(x),
         QString::number(y), k});
    tarvo::suite::Pub().MouseEvent(w, p, b, s, x, y, k);
}
void RecordingPub::SetGridRow(QWidget* g, QVariant& key, const QString& caption) {
    log(QStringLiteral("SetGridRow"), {name(g), key.toString(), caption});
}
void RecordingPub::SetGridRow(QWidget* g, int& row, int& top) {
    log(QStringLiteral("SetGridRow"),
        {name(g), QString(), QString(), QString::number(row), QString::number(top)});
}
void RecordingPub::AddTrvNode(const QVariant& k, const QVariant& t, QWidget* tree) {
    log(QStringLiteral("AddTrvNode"), {k.toString(), t.toString(), name(tree)});
    tarvo::suite::Pub().AddTrvNode(k, t, tree);
}
QString RecordingPub::Find(tarvo::LoginPtr&, const QString& n, QWidget* w, QString& condition) {
    log(QStringLiteral("Find"), {n, name(w), condition});
    if (onFind)
        onFind(w);
    condition = findAnswer;
    return condition;
}
void RecordingPub::FindSet(tarvo::LoginPtr&, const QString& n, QWidget* w) {
    log(QStringLiteral("FindSet"), {n, name(w)});
}
void RecordingPub::FindPos(QWidget* w, QWidget* g) {
    log(QStringLiteral("FindPos"), {name(w), name(g)});
}
void RecordingPub::DeleteStart(QWidget* w) {
    log(QStringLiteral("DeleteStart"), {name(w)});
}
void RecordingPub::DeleteEnded(QWidget* w) {
    log(QStringLiteral("DeleteEnded"), {name(w)});
}
void RecordingPub::GetPrnStyleFile(bool flag, const QString& u, QString& style, const QString& a,
                                   tarvo::ClsCommonPtr& db, QWidget* g) {
    log(QStringLiteral("GetPrnStyleFile"), {a, name(g)});
    style = QStringLiteral("<style/>");
    if (realPrinting)
        tarvo::suite::Pub().GetPrnStyleFile(flag, u, style, a, db, g);
}
void RecordingPub::GetPrnDataFile(bool flag, QString& data, const QString& u1, const QString& u2,
                                  const QString& n, const QString& acc, const QString& user,
                                  const QString& userName, QObject* o, tarvo::ClsCommonPtr& db,
                                  QWidget* g, const tarvo::WorkProgress& progress) {
    log(QStringLiteral("GetPrnDataFile"), {n, acc, user, userName, name(g)});
    if (whileWritingData)
        whileWritingData(progress);
    data = QStringLiteral("<data/>");
    if (realPrinting)
        tarvo::suite::Pub().GetPrnDataFile(flag, data, u1, u2, n, acc, user, userName, o, db, g,
                                           progress);
}
void RecordingPub::GetTypeSize(QString& first, QString& second, tarvo::RecordsetPtr& rs,
                               QWidget* g) {
    log(QStringLiteral("GetTypeSize"),
        {rs ? QString::number(rs->FieldCount()) : QString(), name(g)});
    if (realPrinting)
        tarvo::suite::Pub().GetTypeSize(first, second, rs, g);
}
tarvo::PrintedListStyle RecordingPub::GetListPrintStyle(const tarvo::PrintedList& list,
                                                        tarvo::ClsCommonPtr& db) {
    log(QStringLiteral("GetListPrintStyle"), {list.archive, QString::number(list.columns.size())});
    if (realPrinting)
        return tarvo::suite::Pub().GetListPrintStyle(list, db);
    return {};
}
void RecordingPub::ExpectListPrintStyle(const QString& archive, const QString& userId,
                                        tarvo::ClsCommonPtr& db) {
    if (realPrinting)
        tarvo::suite::Pub().ExpectListPrintStyle(archive, userId, db);
}
void RecordingPub::SavePrnStyle(tarvo::ClsCommonPtr& db, const QString& a, const QString& style) {
    log(QStringLiteral("SavePrnStyle"), {a, style});
    if (realPrinting)
        tarvo::suite::Pub().SavePrnStyle(db, a, style);
}
void RecordingPub::PrintMsg(const QString& a, int& r) {
    log(QStringLiteral("PrintMsg"), {a, QString::number(r)});
}
