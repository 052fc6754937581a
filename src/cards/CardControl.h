#pragma once

#include "ComVar.h"
#include "IClsCommon.h"
#include "IPub.h"
#include "Recordset.h"

#include <QWidget>

#include <functional>

namespace tarvo {

/// What the card window asks of the card of an archive: set it up, empty it, show a stored
/// record, name the record's key, and check the input and turn it into the save XML.
class CardControl : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual bool Init(ClsCommonPtr& SrvDB, PubPtr& oPub, QString& sXml, ComVarPtr& var) = 0;
    virtual void Emptyallfields() = 0;
    virtual void FillAllFields(RecordsetPtr& RsCard) = 0;
    virtual QString KeyVal() const = 0;
    /// The save XML, or "" with bFlag False when the input was refused (the user was told).
    virtual QString GetSaveXml(bool& bFlag) = 0;
    /// On the thread that reads the record with the key beside the window, in the session it
    /// carries, just before the record is read: asks for what readAlong will read, so that a
    /// server answers it with the record. It must touch no control.
    virtual void readAhead(const QString& key) { (void)key; }
    /// Read with the stored record of the key, on the thread that reads it beside the window
    /// and in the session it carries: what the card shows besides the record's fields. It
    /// must touch no control; what it returns runs on the window's thread before
    /// FillAllFields. Empty when there is nothing to read.
    virtual std::function<void()> readAlong(const QString& key, const RecordsetPtr& record) {
        (void)key;
        (void)record;
        return {};
    }

    /// The card's child controls in their order, as the suite's layout services take them.
    ControlList controls() const;
    /// Places a control in twips; the suite's SetConPosition turns it into pixels.
    static void placeTwips(QWidget* control, int left, int top, int width, int height);
    /// Twips to pixels at the screen's resolution.
    static int pixels(int twips);

protected:
    /// Both cards have one size, whatever the window gives them.
    static constexpr int kWidthTwips = 11300;
    static constexpr int kHeightTwips = 6100;
    void resizeEvent(QResizeEvent* event) override;

    /// Places the card's controls through the suite: the earlier build names the layout key.
    void layOut(IPub& pub, const char* layoutKey);
    /// The card's control that has the focus, or null.
    QWidget* activeControl() const;
    /// The suite's font (as the build reads it) on every control; edits get the help id (and lose
    /// Property 1), must-input captions the must-input colour.
    void styleControls(IPub& pub, int helpId);
    /// A key went down in the card: the suite tells whether it changed the record.
    void reportKeyDown(IPub* pub, int keyCode, int shift);

    /// Every change the user makes in one of the card's edits, however the text arrives
    /// (typed, composed, pasted, dropped), raises ActiveSaveBtn; text the card sets does not.
    void reportEditsChangedByUser();

    /// Widens every caption label too narrow for its text (a longer language), taking the room
    /// from the fields to its right, so that no caption is cut and a column of fields stays
    /// lined up; gives every caption the height of its font.
    void fitCaptions();

Q_SIGNALS:
    /// The record may have changed: the card window enables its save button.
    void ActiveSaveBtn();
    /// Enter in the last field: the card window saves if it may.
    void SaveRs();
};

} // namespace tarvo
