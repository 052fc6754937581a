#pragma once

#include "HostObject.h"
#include "PrintedList.h"
#include "WorkProgress.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class QWidget;

namespace tarvo {

/// The suite's print control "PRINTCONTROLLib.PrintControl", placed on a list window: it takes
/// the list's data and print style as XML and prints, previews, sets up the page and exports.
class IPrintControl : public HostObject {
public:
    /// The style event: the control hands over its current style in two parts, which joined
    /// as text give the style to store.
    using StyleEvent = std::function<void(const QVariant&, const QVariant&)>;

    /// Puts the control on a window; Parent() is that window.
    virtual void place(QWidget* parent, StyleEvent onStyle) = 0;
    virtual QWidget* Parent() const = 0;
    virtual bool Visible() const = 0;
    virtual void setVisible(bool visible) = 0;

    /// Takes the data and the style (each as text when its flag is True, else a file name)
    /// under a style name; 0 = taken, anything else = they cannot be used.
    virtual int SetDataStyleXML(QString& dataXml, bool dataIsText, QString& styleXml,
                                bool styleIsText, const QString& styleName) = 0;
    /// Page set-up dialog; -1 = cancelled, 0 = the page set-up changed.
    virtual int PageSetup() = 0;
    /// Event 0 raises the style event with the current style.
    virtual void TriggerEvent(int event) = 0;
    /// Print dialog, then the pages; -1 = cancelled, 0 = printed, 1 = failed.
    virtual int DoPrint() = 0;
    /// The window that owns the preview.
    virtual void SetOwner(QWidget* owner) = 0;
    virtual int PrintPreview() = 0;
    /// Exports to a file of the user's choice (or fileName, of type fileType, when given),
    /// with the columns' types and sizes; flags come back with the file type written
    /// (1 xlsx, 2 csv, 3 pdf). Result 0 = written, -1 = cancelled, anything else = failed.
    virtual int ExportToFile(qint32& flags, QString& columnTypes, QString& columnSizes,
                             const QString& fileName, const QString& fileType) = 0;
    /// Exports a list that no grid holds (a script's export) as ExportToFile exports the same
    /// data, in the style the print services gave for it: its rows go into the file as the list
    /// hands them over, never held or written anywhere else first (a PDF's pages are laid out
    /// from print data the control writes), into fileName or else the unattended export file.
    /// The result as ExportToFile's, or kEmptyList when the list had no row: nothing is written
    /// then. Passes on what the list throws, leaving no file; an older file stays as it was
    /// whenever none is written.
    virtual int ExportList(const PrintedList& list, const PrintedListStyle& style,
                           const QString& fileName) = 0;
    static constexpr int kEmptyList = 4;

    // DoPrint and ExportToFile in three steps, for a window that waits for the output in its
    // own event loop. Begin… asks what it must (the print dialog, the file) and gives the
    // command's result when it ends there, or nothing when the output is to be made; then
    // RunOutput makes it: plain blocking code, on a thread of the caller's choice, while
    // nothing else of the control is called; EndOutput, back on the calling thread, gives the
    // command's result (-1 when the output was asked to stop: it leaves no file).
    virtual std::optional<int> BeginPrint(QWidget* parent) = 0;
    virtual std::optional<int> BeginExport(qint32& flags, QString& columnTypes,
                                           QString& columnSizes, const QString& fileName,
                                           const QString& fileType) = 0;
    virtual void RunOutput(const WorkProgress& progress) = 0;
    virtual int EndOutput() = 0;
};

using PrintControlPtr = std::shared_ptr<IPrintControl>;

} // namespace tarvo
