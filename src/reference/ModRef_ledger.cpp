// The routines of the reference module that lean on the general ledger's objects: the
// account-code reference and the calendar pop-up.
#include "ModRef.h"

#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "DatabaseName.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "IDatePicker.h"
#include "ILedger.h"

#include <QCoreApplication>

namespace tarvo::ModRef {

namespace {

template <typename T> std::shared_ptr<T> create(const char* progId) {
    auto object = createObject<T>(QString::fromLatin1(progId));
    if (!object)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "无法创建部件“%1”")
                               .arg(QString::fromLatin1(progId)));
    return object;
}

constexpr int kTwipsPerPixel = 15;

} // namespace

void ShowAccountCodeReference(suite::Edit& edit) {
    reportErrors([&] {
        const LoginPtr login = ArchiveSession::current().oLogin;
        if (!login)
            throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "没有登录信息"));
        auto pub = create<ILedgerPub>("ZzPub.clsPub");
        auto db = create<IMoxDatabase>("MoxDbKit.MoxDatabase");
        if (!db->OpenDatabase(login->MoxDbName(), false, false,
                              QStringLiteral(";PWD=") + login->SysPassword()))
            throw ArchiveError(
                QCoreApplication::translate("tarvo::Messages", "无法打开账套数据库“%1”")
                    .arg(shownDatabaseName(login->MoxDbName())));
        pub->setoLogin(login);
        if (!pub->InitPubs2(QStringLiteral("DP"), login->MoxSystemDb(), db, login->cacc_id(),
                            qint16(login->cIYear().toInt()), login->cUserId(), login->CurDate(),
                            login->SysPassword()))
            throw ArchiveError(
                QCoreApplication::translate("tarvo::Messages", "总账公共部件初始化失败"));
        pub->ViewVar()->Viewpara1 = edit.Text();
        auto reference = create<IKmRef>("KmRef.clsKmRef");
        auto view = create<ViewAbout>("ZzPub.clsViewAbout");
        reference->setNewLogIn(login);
        reference->setNewZwPub(pub);
        reference->RefDirect();
        view->Viewpara1 = pub->ViewVar()->Viewpara1;
        reference->DRSetAttrib(view);
        reference->DRReference();
        reference->DRGetAttrib(view);
        pub->setViewVar(view);
        if (view->Isreturn) {
            edit.setTag(view->Viewreturn1);
            edit.setText(view->Viewreturn2);
        }
    });
}

void ShowDatePicker(suite::Edit& edit, QWidget* container) {
    static thread_local std::shared_ptr<IDatePicker> picker;
    skipErrors([&] {
        if (!picker)
            picker =
                createObject<IDatePicker>(QStringLiteral("{0E7BC185-D60F-11D1-A073-000021893167}"));
        if (!picker || !container)
            return;
        const QPoint at = edit.mapTo(container, QPoint(0, 0)) * kTwipsPerPixel;
        picker->setLeft(at.x());
        picker->setTop(at.y() + edit.height() * kTwipsPerPixel + 100);
        if (picker->Top() + picker->Height() + 1000 > container->height() * kTwipsPerPixel)
            picker->setTop(at.y() - picker->Height());
        picker->Setup(QStringLiteral("-"));
        QWidget* window = container;
        const QString date = picker->Show(window);
        if (!date.isNull())
            edit.setText(date);
    });
}

} // namespace tarvo::ModRef
