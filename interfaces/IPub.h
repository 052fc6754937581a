#pragma once

#include "IClsCommon.h"
#include "ILogin.h"
#include "PrintedList.h"
#include "WorkProgress.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QDomElement;
class QObject;
class QWidget;

namespace tarvo {

/// Values for a formatted resource text: element 0 is the first value ("%1", 1-based in the
/// resource texts).
using ResParamList = QVariantList;
using ControlList = QList<QWidget*>;

/// The suite's public-services object: resource texts, messages, function locks and the
/// standard window, card and grid services the component's windows ask for.
class IPub : public HostObject {
public:
    // Resources and messages.
    virtual QString GetResString(const QString& key) = 0;
    virtual QString GetResFormatString(const QString& key, const ResParamList& values) = 0;
    /// Shows a message box; buttons and result use the classic codes (64 information with OK,
    /// 52 Yes/No with the exclamation icon; 1 OK, 6 Yes, 7 No).
    virtual int MsgBox(QString& prompt, int buttons, const QString& title) = 0;
    virtual QString M_LocaleId() const = 0;
    virtual void UtoLCase(QString& text) = 0;
    virtual QVariant GetRes(int resourceNumber) = 0;

    /// Function and edit locks. True = refused. Modes: 1 open, -1 close, 2 edit, -2 end edit.
    virtual bool IsLockFun(ClsCommonPtr& db, LoginPtr& login, const QString& archive, int mode) = 0;
    /// IsLockFun's request without its message box, for a thread beside the window: "" when
    /// granted (or given back), else the text IsLockFun would show. A window shows that text
    /// with MsgBox(text, 64, the resource Tarvo.AA.ARCHIVE.COMMON.information).
    virtual QString LockRefusal(ClsCommonPtr& db, LoginPtr& login, const QString& archive,
                                int mode) = 0;

    // Fonts and colours.
    virtual QString FontName() const = 0;
    virtual double FontSize() const = 0;
    virtual int FontCharSet() const = 0;
    /// The same font under the names the earlier build's card controls read.
    virtual QString m_FontName() const = 0;
    virtual double m_FontSize() const = 0;
    /// Colour of must-input captions as 0xRRGGBB.
    virtual quint32 MustInputColor() const = 0;

    // Card controls and input.
    virtual void SetConPosition(const ControlList& controls) = 0;
    /// The earlier build's placing of a card's controls, by the layout kept under the key.
    virtual void UCtrlLayout(const ControlList& controls, const QString& layoutKey) = 0;
    virtual void SetLabelCaption(ClsCommonPtr& db, const ControlList& controls,
                                 const QString& tableKey) = 0;
    virtual void SetIntLen(QWidget* edit, int maxLength) = 0;
    virtual void SetDblLen(QWidget* edit, const QVariant& omitted, int decimals) = 0;
    virtual QVariant GetEleVal(const QDomElement& style, const QString& element) = 0;
    virtual QString FormatNum(const QVariant& value, int decimals) = 0;
    virtual void CheckValid(QWidget* activeControl) = 0;
    virtual bool ConKeyDown(QWidget* activeControl, int& keyCode, int& shift) = 0;
    virtual bool FrmKeyDown(QWidget* window, int& keyCode, int& shift) = 0;
    virtual void CreateMatchStr(QWidget* edit, const QString& matchColumns, QString& result,
                                QString& table) = 0;

    // Window services.
    virtual void FrmUnitefont(QWidget* window) = 0;
    virtual void FormLayout(QWidget* window, const QString& layoutKey) = 0;
    virtual void FrmLoadInit(QWidget* window, const QString& archiveName, LoginPtr& login,
                             ClsCommonPtr& db) = 0;
    /// What FrmLoadInit will ask of the database goes to the server ahead, with the next
    /// question the session's connection sends.
    virtual void ExpectFrmLoadInit(LoginPtr& login, ClsCommonPtr& db) {
        (void)login;
        (void)db;
    }
    virtual void HelpX(const QString& archive, QWidget* window, LoginPtr& login, QObject* app,
                       bool flag) = 0;
    virtual void HelpShow(QObject* app, const QString& key, QWidget* window) = 0;
    virtual void HelpHide(QObject* app, QString& key, QWidget* window) = 0;
    virtual void hook(QWidget* window) = 0;
    virtual void Unhook(QWidget* window) = 0;
    virtual void FrmUnLoad() = 0;
    /// Window options of a card window (mode 1).
    virtual void FrmOptInit(QWidget* window, int mode) = 0;
    virtual void FrmOpt(QWidget* window, QString& key, const QString& archiveName,
                        const QVariant& omitted, LoginPtr& login, ClsCommonPtr& db) = 0;
    virtual void frmResizeNew(QWidget* window) = 0;
    virtual void SetTlb(QWidget* toolbar) = 0;
    /// Styles a card window's toolbar over its rule line; hands back the card it laid out.
    virtual void SetMoxTlbStyleNew(QWidget* window, bool flag, QWidget* frame, QWidget*& card) = 0;
    virtual void MoxTlbResize(QWidget* window) = 0;
    virtual void ReRefreshMoxTlb(QWidget* window) = 0;
    /// True = the card may be left; sets cancel when closing must stop.
    virtual bool isSaveRs(QWidget* cardWindow, bool* cancel = nullptr,
                          int* unloadMode = nullptr) = 0;

    // Grid services.
    virtual void GridSort(QWidget* window, QWidget* grid, int direction) = 0;
    virtual void GridSortNew(QWidget* window, QWidget* grid, QString& item) = 0;
    virtual void ShowPopupMenu(QWidget* window, QWidget* grid, int& button, int& shift, float& x,
                               float& y) = 0;
    virtual void MouseEvent(QWidget* window, int phase, int& button, int& shift, float& x, float& y,
                            const QString& kind) = 0;
    /// Selects the row whose column captioned keyCaption holds key.
    virtual void SetGridRow(QWidget* grid, QVariant& key, const QString& keyCaption) = 0;
    /// Puts the selection and the first visible row back.
    virtual void SetGridRow(QWidget* grid, int& row, int& topRow) = 0;
    virtual void AddTrvNode(const QVariant& nodeKey, const QVariant& nodeText, QWidget* tree) = 0;

    // Filter, locate, delete bracket.
    virtual QString Find(LoginPtr& login, const QString& archiveConstName, QWidget* window,
                         QString& condition) = 0;
    virtual void FindSet(LoginPtr& login, const QString& archiveConstName, QWidget* window) = 0;
    virtual void FindPos(QWidget* window, QWidget* grid) = 0;
    virtual void DeleteStart(QWidget* window) = 0;
    virtual void DeleteEnded(QWidget* window) = 0;

    // Printing and export.
    virtual void GetPrnStyleFile(bool flag, const QString& unused, QString& styleXml,
                                 const QString& archive, ClsCommonPtr& db, QWidget* grid) = 0;
    /// The grid's rows as print data: as text in dataXml when flag is True, else written to a
    /// new owner-only file whose name comes back in dataXml (the caller removes it when done).
    /// Told the rows written; asked to stop, it leaves no file and dataXml empty. The grid's
    /// rows are read, not changed: a window may run it beside itself while it holds the grid
    /// still.
    virtual void GetPrnDataFile(bool flag, QString& dataXml, const QString& unused1,
                                const QString& unused2, const QString& archiveName,
                                const QString& accId, const QString& userId,
                                const QString& userName, QObject* nullObject, ClsCommonPtr& db,
                                QWidget* grid, const WorkProgress& progress = {}) = 0;
    virtual void GetTypeSize(QString& first, QString& second, RecordsetPtr& rs, QWidget* grid) = 0;
    /// The style and column types of a list that no grid holds, as the above give them for a
    /// grid that shows the same columns; its rows go to the print control from the list itself
    /// (IPrintControl::ExportList).
    virtual PrintedListStyle GetListPrintStyle(const PrintedList& list, ClsCommonPtr& db) = 0;
    /// What GetListPrintStyle will ask of the database for the user's list of the archive goes
    /// to the server ahead, with the next question the session's connection sends.
    virtual void ExpectListPrintStyle(const QString& archive, const QString& userId,
                                      ClsCommonPtr& db) {
        (void)archive;
        (void)userId;
        (void)db;
    }
    virtual void SavePrnStyle(ClsCommonPtr& db, const QString& archive, const QString& style) = 0;
    virtual void PrintMsg(const QString& archive, int& result) = 0;
};

using PubPtr = std::shared_ptr<IPub>;

} // namespace tarvo
