#pragma once

#include "FilterCondition.h"
#include "IPub.h"

#include <QPointer>
#include <QSet>

#include <memory>
#include <mutex>

namespace tarvo::suite {

class FunctionLock;
class OptionStore;

/// The public-services object "TarvoPub.IPub" of the embedded suite.
class Pub : public IPub {
public:
    Pub();
    ~Pub() override;

    // Resources and messages.
    QString GetResString(const QString& key) override;
    QString GetResFormatString(const QString& key, const ResParamList& values) override;
    int MsgBox(QString& prompt, int buttons, const QString& title) override;
    QString M_LocaleId() const override;
    void UtoLCase(QString& text) override;
    QVariant GetRes(int resourceNumber) override;

    bool IsLockFun(ClsCommonPtr& db, LoginPtr& login, const QString& archive, int mode) override;
    QString LockRefusal(ClsCommonPtr& db, LoginPtr& login, const QString& archive,
                        int mode) override;

    QString FontName() const override;
    double FontSize() const override;
    int FontCharSet() const override;
    QString m_FontName() const override { return FontName(); }
    double m_FontSize() const override { return FontSize(); }
    quint32 MustInputColor() const override;

    // Card controls and input.
    void SetConPosition(const ControlList& controls) override;
    void UCtrlLayout(const ControlList& controls, const QString& layoutKey) override;
    void SetLabelCaption(ClsCommonPtr& db, const ControlList& controls,
                         const QString& tableKey) override;
    void SetIntLen(QWidget* edit, int maxLength) override;
    void SetDblLen(QWidget* edit, const QVariant& omitted, int decimals) override;
    QVariant GetEleVal(const QDomElement& style, const QString& element) override;
    QString FormatNum(const QVariant& value, int decimals) override;
    void CheckValid(QWidget* activeControl) override;
    bool ConKeyDown(QWidget* activeControl, int& keyCode, int& shift) override;
    bool FrmKeyDown(QWidget* window, int& keyCode, int& shift) override;
    void CreateMatchStr(QWidget* edit, const QString& matchColumns, QString& result,
                        QString& table) override;

    // Window services.
    void FrmUnitefont(QWidget* window) override;
    void FormLayout(QWidget* window, const QString& layoutKey) override;
    void ExpectFrmLoadInit(LoginPtr& login, ClsCommonPtr& db) override;
    void FrmLoadInit(QWidget* window, const QString& archiveName, LoginPtr& login,
                     ClsCommonPtr& db) override;
    void HelpX(const QString& archive, QWidget* window, LoginPtr& login, QObject* app,
               bool flag) override;
    void HelpShow(QObject* app, const QString& key, QWidget* window) override;
    void HelpHide(QObject* app, QString& key, QWidget* window) override;
    void hook(QWidget* window) override;
    void Unhook(QWidget* window) override;
    void FrmUnLoad() override;
    void FrmOptInit(QWidget* window, int mode) override;
    void FrmOpt(QWidget* window, QString& key, const QString& archiveName, const QVariant& omitted,
                LoginPtr& login, ClsCommonPtr& db) override;
    void frmResizeNew(QWidget* window) override;
    void SetTlb(QWidget* toolbar) override;
    void SetMoxTlbStyleNew(QWidget* window, bool flag, QWidget* frame, QWidget*& card) override;
    void MoxTlbResize(QWidget* window) override;
    void ReRefreshMoxTlb(QWidget* window) override;
    bool isSaveRs(QWidget* cardWindow, bool* cancel, int* unloadMode) override;

    // Grid services.
    void GridSort(QWidget* window, QWidget* grid, int direction) override;
    void GridSortNew(QWidget* window, QWidget* grid, QString& item) override;
    void ShowPopupMenu(QWidget* window, QWidget* grid, int& button, int& shift, float& x,
                       float& y) override;
    void MouseEvent(QWidget* window, int phase, int& button, int& shift, float& x, float& y,
                    const QString& kind) override;
    void SetGridRow(QWidget* grid, QVariant& key, const QString& keyCaption) override;
    void SetGridRow(QWidget* grid, int& row, int& topRow) override;
    void AddTrvNode(const QVariant& nodeKey, const QVariant& nodeText, QWidget* tree) override;

    QString Find(LoginPtr& login, const QString& archiveConstName, QWidget* window,
                 QString& condition) override;
    void FindSet(LoginPtr& login, const QString& archiveConstName, QWidget* window) override;
    void FindPos(QWidget* window, QWidget* grid) override;
    void DeleteStart(QWidget* window) override;
    void DeleteEnded(QWidget* window) override;

    void GetPrnStyleFile(bool flag, const QString& unused, QString& styleXml,
                         const QString& archive, ClsCommonPtr& db, QWidget* grid) override;
    void GetPrnDataFile(bool flag, QString& dataXml, const QString& unused1, const QString& unused2,
                        const QString& archiveName, const QString& accId, const QString& userId,
                        const QString& userName, QObject* nullObject, ClsCommonPtr& db,
                        QWidget* grid, const WorkProgress& progress = {}) override;
    void GetTypeSize(QString& first, QString& second, RecordsetPtr& rs, QWidget* grid) override;
    PrintedListStyle GetListPrintStyle(const PrintedList& list, ClsCommonPtr& db) override;
    void ExpectListPrintStyle(const QString& archive, const QString& userId,
                              ClsCommonPtr& db) override;
    void SavePrnStyle(ClsCommonPtr& db, const QString& archive, const QString& style) override;
    void PrintMsg(const QString& archive, int& result) override;

    /// Whether the user prints a list's row numbers, as the list window's option says.
    static bool printsRowNumbers(const ClsCommonPtr& db, const QString& userId);
    static bool printsRowNumbers(const OptionStore& options);

    /// Windows hooked through hook() and not yet unhooked.
    bool isHooked(const QWidget* window) const;

private:
    FunctionLock* locksFor(const LoginPtr& login);
    FunctionLock* existingLocks();
    /// A connection for the user's options, when the caller hands us only the login.
    ClsCommonPtr optionsDatabase(const LoginPtr& login);
    ClsCommonPtr m_optionsDb;
    QString m_optionsDbName;
    /// The filter each list window applies, as its lines, for the filter dialog to open with:
    /// valid while the list still shows the description it was given.
    struct FilterInForce {
        QPointer<QWidget> window;
        QString description;
        QVector<FilterRow> lines;
    };
    QList<FilterInForce> m_filters;

private:
    std::unique_ptr<FunctionLock> m_locks;
    std::mutex m_locksMade;
    QString m_locksDb;
    QList<QPointer<QWidget>> m_hooked;
    QList<QPointer<QWidget>> m_laidOut;
};

} // namespace tarvo::suite
