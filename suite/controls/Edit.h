#pragma once

#include <QLineEdit>

namespace tarvo::suite {

/// The suite's edit: a line edit that can refuse a set of characters (typed or pasted), with
/// the members the cards use besides its text: a tag (the code behind a name), a tooltip
/// text, a numeric property and a help context id.
class Edit : public QLineEdit {
    Q_OBJECT
public:
    explicit Edit(QWidget* parent = nullptr, const QString& name = {});

    QString Text() const { return text(); }
    void setTextValue(const QString& value) { setText(value); }
    /// The program's fill from a record: as setText, without the checks of typing, and an edit
    /// that already shows the value, with nothing to undo, only has its cursor and selection
    /// reset; laying the text out again is the dearest part of walking through records. A
    /// stored text longer than the edit takes is shown whole, never cut: cut, it would be saved
    /// cut. The edit's own limit returns with the first text within it.
    void fillText(const QString& value);
    QString Tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }
    QString UTooltipText() const { return m_tooltip; }
    void setUTooltipText(const QString& text);
    int Property() const { return m_property; }
    void setProperty(int value) { m_property = value; }
    int HelpContextId() const { return m_helpContextId; }
    void setHelpContextId(int id) { m_helpContextId = id; }

    /// Characters the edit refuses, however they come (typed, pasted, dropped, composed); the
    /// cards refuse < > ' " | & , in every code and text. Control characters, lone surrogates,
    /// noncharacters and bidirectional controls are refused whatever this holds. A digit validator
    /// set later takes the place of this one and admits none of them either; the suite's amount
    /// validator keeps refusing them as the user brings them in.
    QString badstr() const { return m_badstr; }
    void setBadstr(const QString& characters);

    /// Refused characters for text and code fields.
    static QString standardBadstr() { return QStringLiteral("<>'\"|&,"); }

    /// Why the edit refused the user's last input, in the session language ("" when it did not).
    QString refusalText() const;

Q_SIGNALS:
    /// The text changed, by the user or by the program.
    void Change();
    /// The user changed the text, however it came: typed, composed by an input method, pasted,
    /// dropped, cut, undone. Not raised for text the program sets, nor for input the edit refused.
    void UserChange();

private:
    /// Tells the user at the edit what was refused and why: refused input must not vanish
    /// without a word.
    void explainRefusal();

    /// The edit's limit while a longer stored text is shown; -1 when the limit is its own.
    int m_ownLimit = -1;

    QString m_tag;
    QString m_tooltip;
    QString m_badstr;
    int m_property = 0;
    int m_helpContextId = 0;
};

} // namespace tarvo::suite
