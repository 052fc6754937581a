#include "OtherArchiveCommand.h"

#include "HostApplication.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

namespace {
const QString kActionName = QStringLiteral("mOtherArchive");
} // namespace

OtherArchiveCommand::OtherArchiveCommand(const QString& archive, QStringList passedOn,
                                         Starter start, QObject* parent)
    : QObject(parent),
      m_other(archive.compare(u"aa_bank", Qt::CaseInsensitive) == 0 ? QStringLiteral("bank")
                                                                    : QStringLiteral("aa_bank")),
      m_passedOn(std::move(passedOn)), m_start(std::move(start)) {
    connect(&m_timer, &QTimer::timeout, this, &OtherArchiveCommand::poll);
    m_timer.start(100);
}

void OtherArchiveCommand::poll() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        QWidget* list =
            w->objectName() == u"FrmMain" ? w : w->findChild<QWidget*>(QStringLiteral("FrmMain"));
        if (list && list->isVisible()) {
            offerIn(*list);
            return;
        }
    }
}

void OtherArchiveCommand::offerIn(QWidget& listWindow) {
    auto* menu = listWindow.findChild<QMenu*>(QStringLiteral("mWindow"));
    if (!menu || menu->findChild<QAction*>(kActionName))
        return;
    m_timer.stop();
    menu->addSeparator();
    QAction* action = menu->addAction(m_other == u"bank" ? hostText("本单位开户银行(&B)")
                                                         : hostText("银行档案(&B)"));
    action->setObjectName(kActionName);
    connect(action, &QAction::triggered, this, &OtherArchiveCommand::open);
}

void OtherArchiveCommand::open() {
    const QStringList arguments = QStringList{QStringLiteral("--archive"), m_other} + m_passedOn;
    if (m_start(QCoreApplication::applicationFilePath(), arguments))
        return;
    QMessageBox::warning(
        QApplication::activeWindow(), QApplication::applicationDisplayName(),
        hostText("无法启动“%1”，请从桌面菜单打开。").arg(QCoreApplication::applicationFilePath()));
}
