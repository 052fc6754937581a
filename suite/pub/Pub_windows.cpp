// Window services of the public-services object: fonts, layout, options, help and key hooks.
#include "HelpViewer.h"
#include "KeyHook.h"
#include "OptionStore.h"
#include "Pub.h"
#include "SessionFont.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QWidget>

namespace tarvo::suite {

namespace {

const QString kToolbarText = QStringLiteral("listwindow.toolbartext");
const QString kStatusBar = QStringLiteral("listwindow.statusbar");
const QString kPrintNo = QStringLiteral("listwindow.printno");

QString optionKey(const QString& command) {
    const QString c = command.toLower();
    if (c == u"mtext")
        return kToolbarText;
    if (c == u"mstb")
        return kStatusBar;
    if (c == u"mprintno")
        return kPrintNo;
    return {};
}

void applyOptions(QWidget* window, const OptionStore& options) {
    const bool text = options.flag(kToolbarText, true);
    const bool status = options.flag(kStatusBar, true);
    const bool printNo = options.flag(kPrintNo, true);
    if (auto* tlb = window->findChild<QToolBar*>(QStringLiteral("Tlb")))
        tlb->setToolButtonStyle(text ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    if (auto* stb = window->findChild<QWidget*>(QStringLiteral("Stb")))
        stb->setVisible(status);
    window->setProperty("tarvo.printRowNumbers", printNo);
    for (const auto& [name, on] :
         {std::pair{"mText", text}, std::pair{"mStb", status}, std::pair{"mPrintNo", printNo}}) {
        if (auto* a = window->findChild<QAction*>(QString::fromLatin1(name))) {
            a->setCheckable(true);
            a->setChecked(on);
        }
    }
}

void styleToolbar(QWidget* toolbar) {
    auto* tlb = qobject_cast<QToolBar*>(toolbar);
    if (!tlb)
        return;
    tlb->setMovable(false);
    tlb->setFloatable(false);
    tlb->setIconSize(QSize(24, 24));
}

} // namespace

void Pub::FrmUnitefont(QWidget* window) {
    if (!window)
        return;
    QFont f = window->font();
    f.setFamilies(QStringList{FontName()} + sessionFontFamilies());
    f.setPointSizeF(FontSize() + 1.5); // the classic 9-point size, at today's screen densities
    window->setFont(f);
}

void Pub::FormLayout(QWidget* window, const QString&) {
    if (!window)
        return;
    window->setMinimumSize(640, 400);
    // The first layout gives the window its size; later ones keep what the user made of it.
    if (!window->property("tarvo.laidOut").toBool()) {
        window->setProperty("tarvo.laidOut", true);
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
        const QSize size(std::min(1100, area.width() - 40), std::min(680, area.height() - 40));
        window->resize(size);
        window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    m_laidOut.append(window);
}

bool Pub::printsRowNumbers(const ClsCommonPtr& db, const QString& userId) {
    return printsRowNumbers(OptionStore(db, userId));
}

bool Pub::printsRowNumbers(const OptionStore& options) {
    return options.flag(kPrintNo, true);
}

void Pub::ExpectFrmLoadInit(LoginPtr& login, ClsCommonPtr& db) {
    OptionStore(db, login ? login->cUserId() : QString()).askAhead();
}

void Pub::FrmLoadInit(QWidget* window, const QString& archiveName, LoginPtr& login,
                      ClsCommonPtr& db) {
    if (!window)
        return;
    window->setWindowTitle(archiveName);
    applyOptions(window, OptionStore(db, login ? login->cUserId() : QString()));
}

void Pub::HelpX(const QString& archive, QWidget* window, LoginPtr&, QObject*, bool) {
    if (!window)
        return;
    window->setProperty("tarvo.helpTopic", archive.toLower());
    if (!window->findChild<HelpKeyFilter*>(QString(), Qt::FindDirectChildrenOnly))
        window->installEventFilter(new HelpKeyFilter(window));
}

void Pub::HelpShow(QObject*, const QString& key, QWidget* window) {
    // Every command tells us what the user is doing, so that help can open on that subject.
    if (window)
        window->setProperty("tarvo.helpContext", key);
}

void Pub::HelpHide(QObject*, QString&, QWidget* window) {
    HelpViewer::hideFor(window);
}

void Pub::hook(QWidget* window) {
    if (!window)
        return;
    if (auto* hook = window->findChild<KeyHook*>(QStringLiteral("MoxFrmKeyHook")))
        hook->attach(window);
    m_hooked.append(window);
}

void Pub::Unhook(QWidget* window) {
    if (!window)
        return;
    if (auto* hook = window->findChild<KeyHook*>(QStringLiteral("MoxFrmKeyHook")))
        hook->detach();
    m_hooked.removeAll(window);
}

void Pub::FrmUnLoad() {
    m_hooked.removeAll(nullptr);
    m_laidOut.removeAll(nullptr);
    for (const auto& w : m_laidOut) {
        if (!w->isVisible())
            HelpViewer::hideFor(w);
    }
}

void Pub::FrmOptInit(QWidget* window, int) {
    if (auto* tlb = window ? window->findChild<QToolBar*>() : nullptr) {
        styleToolbar(tlb);
        tlb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    }
}

void Pub::FrmOpt(QWidget* window, QString& key, const QString&, const QVariant&, LoginPtr& login,
                 ClsCommonPtr& db) {
    const QString option = optionKey(key);
    if (!window || option.isEmpty())
        return;
    OptionStore options(db, login ? login->cUserId() : QString());
    options.setFlag(option, !options.flag(option, true));
    applyOptions(window, options);
}

void Pub::frmResizeNew(QWidget* window) {
    if (!window)
        return;
    const int width = window->width();
    int top = 0;
    if (auto* menu = window->findChild<QMenuBar*>(QStringLiteral("MenuBar"))) {
        menu->setGeometry(0, 0, width, menu->sizeHint().height());
        top = menu->height();
    }
    if (auto* tlb = window->findChild<QToolBar*>(QStringLiteral("Tlb"))) {
        tlb->setGeometry(0, top, width, tlb->sizeHint().height());
        top += tlb->height();
    }
    if (auto* pic = window->findChild<QWidget*>(QStringLiteral("Pic"))) {
        pic->setGeometry(0, top, width, pic->sizeHint().height());
    }
    if (auto* stb = window->findChild<QWidget*>(QStringLiteral("Stb"))) {
        const int h = stb->isVisibleTo(window) ? stb->sizeHint().height() : 0;
        stb->setGeometry(0, window->height() - h, width, h);
    }
}

void Pub::SetTlb(QWidget* toolbar) {
    styleToolbar(toolbar);
}

void Pub::SetMoxTlbStyleNew(QWidget* window, bool, QWidget* frame, QWidget*&) {
    if (!window)
        return;
    for (auto* tlb : window->findChildren<QToolBar*>())
        styleToolbar(tlb);
    if (frame)
        frame->setStyleSheet(QStringLiteral("background: palette(mid);"));
}

void Pub::MoxTlbResize(QWidget* window) {
    if (!window)
        return;
    for (auto* tlb : window->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        tlb->setGeometry(0, tlb->y(), window->width(), tlb->sizeHint().height());
}

namespace {

/// Repaints the toolbars under the widget. A hidden widget paints nothing, nor does anything
/// under it, so its subtree is left out: a card window refreshes at every step through its
/// records, and most of its widgets are the cards it does not show.
void updateShownToolbars(const QWidget* parent) {
    for (QObject* child : parent->children()) {
        if (!child->isWidgetType())
            continue;
        auto* widget = static_cast<QWidget*>(child);
        if (widget->isHidden())
            continue;
        if (auto* tlb = qobject_cast<QToolBar*>(widget))
            tlb->update();
        updateShownToolbars(widget);
    }
}

} // namespace

void Pub::ReRefreshMoxTlb(QWidget* window) {
    if (window)
        updateShownToolbars(window);
}

} // namespace tarvo::suite
