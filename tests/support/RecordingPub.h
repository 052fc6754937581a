#pragma once

#include "IPub.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <mutex>

/// A public-services object that records every call the component makes into it, for tests of
/// the component's own calls (their order and arguments). Resource texts come back as
/// "res:<key>", formatted ones as "res:<key>|<value>|…", so messages can be matched exactly.
class RecordingPub : public tarvo::IPub {
public:
    ~RecordingPub() override;

    QStringList calls;
    /// Every call named like this, in order (e.g. "MsgBox", "IsLockFun").
    QStringList callsOf(const QString& member) const;

    QSet<int> refusedLockModes;
    int msgBoxAnswer = 1;
    QString locale = QStringLiteral("zh-CN");
    /// Called on destruction, to check when the session drops the object.
    std::function<void(const RecordingPub&)> onDestroyed;
    /// Called as the print data is written (on the thread that writes it), before the rows.
    std::function<void(const tarvo::WorkProgress&)> whileWritingData;

    QString GetResString(const QString& key) override;
    QString GetResFormatString(const QString& key, const tarvo::ResParamList& values) override;
    int MsgBox(QString& prompt, int buttons, const QString& title) override;
    QString M_LocaleId() const override { return locale; }
    void UtoLCase(QString& text) override;
    QVariant GetRes(int number) override;
    bool IsLockFun(tarvo::ClsCommonPtr& db, tarvo::LoginPtr& login, const QString& archive,
                   int mode) override;
    /// A refusal reads "res:Tarvo.SUITE.lock.held|<archive>".
    QString LockRefusal(tarvo::ClsCommonPtr& db, tarvo::LoginPtr& login, const QString& archive,
                        int mode) override;
    QString FontName() const override { return QStringLiteral("Noto Sans CJK SC"); }
    double FontSize() const override { return 9; }
    int FontCharSet() const override { return 134; }
    /// Another face than FontName's, so that a card shows which of the two it read.
    QString m_FontName() const override { return QStringLiteral("Noto Serif CJK SC"); }
    double m_FontSize() const override { return 10; }
    quint32 MustInputColor() const override { return 0x0000ff; }
    void SetConPosition(const tarvo::ControlList& controls) override;
    void UCtrlLayout(const tarvo::ControlList& controls, const QString& key) override;
    void SetLabelCaption(tarvo::ClsCommonPtr& db, const tarvo::ControlList& controls,
                         const QString& tableKey) override;
    void SetIntLen(QWidget* edit, int maxLength) override;
    void SetDblLen(QWidget* edit, const QVariant& omitted, int decimals) override;
    QVariant GetEleVal(const QDomElement& style, const QString& element) override;
    QString FormatNum(const QVariant& value, int decimals) override;
    void CheckValid(QWidget* active) override;
    bool ConKeyDown(QWidget* active, int& keyCode, int& shift) override;
    bool FrmKeyDown(QWidget* window, int& keyCode, int& shift) override;
    void CreateMatchStr(QWidget* edit, const QString& cols, QString& result,
                        QString& table) override;
    void FrmUnitefont(QWidget* window) override;
    void FormLayout(QWidget* window, const QString& key) override;
    void FrmLoadInit(QWidget* window, const QString& name, tarvo::LoginPtr& login,
                     tarvo::ClsCommonPtr& db) override;
    void HelpX(const QString& archive, QWidget* window, tarvo::LoginPtr& login, QObject* app,
               bool flag) override;
    void HelpShow(QObject* app, const QString& key, QWidget* window) override;
    void HelpHide(QObject* app, QString& key, QWidget* window) override;
    void hook(QWidget* window) override;
    void Unhook(QWidget* window) override;
    void FrmUnLoad() override;
    void FrmOptInit(QWidget* window, int mode) override;
    void FrmOpt(QWidget* window, QString& key, const QString& name, const QVariant& omitted,
                tarvo::LoginPtr& login, tarvo::ClsCommonPtr& db) override;
    void frmResizeNew(QWidget* window) override;
    void SetTlb(QWidget* toolbar) override;
    void SetMoxTlbStyleNew(QWidget* window, bool flag, QWidget* frame, QWidget*& card) override;
    void MoxTlbResize(QWidget* window) override;
    void ReRefreshMoxTlb(QWidget* window) override;
    bool isSaveRs(QWidget* card, bool* cancel, int* unloadMode) override;
    void GridSort(QWidget* window, QWidget* grid, int direction) override;
    void GridSortNew(QWidget* window, QWidget* grid, QString& item) override;
    void ShowPopupMenu(QWidget* window, QWidget* grid, int& button, int& shift, float& x,
                       float& y) override;
    void MouseEvent(QWidget* window, int phase, int& button, int& shift, float& x, float& y,
                    const QString& kind) override;
    void SetGridRow(QWidget* grid, QVariant& key, const QString& caption) override;
    void SetGridRow(QWidget* grid, int& row, int& topRow) override;
    void AddTrvNode(const QVariant& key, const QVariant& text, QWidget* tree) override;
    QString Find(tarvo::LoginPtr& login, const QString& name, QWidget* window,
                 QString& condition) override;
    void FindSet(tarvo::LoginPtr& login, const QString& name, QWidget* window) override;
    void FindPos(QWidget* window, QWidget* grid) override;
    void DeleteStart(QWidget* window) override;
    void DeleteEnded(QWidget* window) override;
    void GetPrnStyleFile(bool flag, const QString& unused, QString& styleXml,
                         const QString& archive, tarvo::ClsCommonPtr& db, QWidget* grid) override;
    void GetPrnDataFile(bool flag, QString& dataXml, const QString& u1, const QString& u2,
                        const QString& name, const QString& accId, const QString& userId,
                        const QString& userName, QObject* nullObject, tarvo::ClsCommonPtr& db,
                        QWidget* grid, const tarvo::WorkProgress& progress = {}) override;
    void GetTypeSize(QString& first, QString& second, tarvo::RecordsetPtr& rs,
                     QWidget* grid) override;
    tarvo::PrintedListStyle GetListPrintStyle(const tarvo::PrintedList& list,
                                              tarvo::ClsCommonPtr& db) override;
    void ExpectListPrintStyle(const QString& archive, const QString& userId,
                              tarvo::ClsCommonPtr& db) override;
    void SavePrnStyle(tarvo::ClsCommonPtr& db, const QString& archive,
                      const QString& style) override;
    void PrintMsg(const QString& archive, int& result) override;

    /// Answer given by Find (the condition); empty = cancelled.
    QString findAnswer;
    /// What the filter dialog does to the list besides answering (tells it of a cleared filter).
    std::function<void(QWidget* window)> onFind;
    /// Print services answer as the suite's own do (style, data, stored styles, messages)
    /// instead of with placeholders the print control refuses.
    bool realPrinting = false;
    /// Whether the window layout (frmResizeNew, SetTlb) is also done by the suite's own
    /// services, as a test of what a narrow or wide window shows needs.
    bool realLayout = false;

private:
    void log(const QString& member, const QStringList& args = {});
    /// The print data is written beside the window, which may call in meanwhile.
    std::mutex m_logging;
};
