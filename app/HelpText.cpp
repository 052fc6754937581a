#include "HelpText.h"

#include "WideCharacters.h"

namespace {

bool wide(QChar c) {
    return tarvo::suite::isWideCharacter(c.unicode());
}

/// Marks a line may not start with.
bool closing(QChar c) {
    return QStringView(u"，、。．：；！？）」』】》〉”’").contains(c);
}

/// Marks a line may not end with.
bool opening(QChar c) {
    return QStringView(u"（「『【《〈“‘").contains(c);
}

/// A piece of text no line break may fall inside, and whether a blank stood before it.
struct Piece {
    QString text;
    bool blankBefore = false;
};

QList<Piece> piecesOf(QStringView paragraph) {
    QList<Piece> pieces;
    bool blank = false;
    for (const QChar c : paragraph) {
        if (c.isSpace()) {
            blank = true;
            continue;
        }
        const bool joins = !pieces.isEmpty() && !blank && [&] {
            const QChar before = pieces.last().text.back();
            if (closing(c) || opening(before))
                return true;
            return !wide(c) && !wide(before);
        }();
        if (joins)
            pieces.last().text += c;
        else
            pieces.push_back({QString(c), blank});
        blank = false;
    }
    return pieces;
}

} // namespace

int terminalWidth(QStringView text) {
    int columns = 0;
    for (const QChar c : text)
        columns += wide(c) ? 2 : 1;
    return columns;
}

QStringList wrapForTerminal(const QString& text, int width) {
    QStringList lines;
    for (const QStringView paragraph : QStringView(text).split(u'\n')) {
        QString line;
        for (const Piece& piece : piecesOf(paragraph)) {
            const QString joined = line.isEmpty()      ? piece.text
                                   : piece.blankBefore ? line + u' ' + piece.text
                                                       : line + piece.text;
            if (!line.isEmpty() && terminalWidth(joined) > width) {
                lines << line;
                line = piece.text;
            } else {
                line = joined;
            }
        }
        lines << line;
    }
    return lines;
}

QString helpText(const QString& usage, const QString& description, const QString& optionsHeading,
                 const QList<QCommandLineOption>& options, int width) {
    QList<QPair<QString, QString>> rows;
    int nameWidth = 0;
    for (const QCommandLineOption& option : options) {
        if (option.flags() & QCommandLineOption::HiddenFromHelp)
            continue;
        QStringList names;
        for (const QString& name : option.names()) {
            // "-?" answers the habit of other systems; on this one help leaves it out.
            if (name != u"?")
                names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        }
        QString shown = names.join(u", ");
        if (!option.valueName().isEmpty())
            shown += QStringLiteral(" <%1>").arg(option.valueName());
        nameWidth = std::max(nameWidth, terminalWidth(shown));
        rows.push_back({shown, option.description()});
    }
    const QString indent(2, u' ');
    const int column = int(indent.size()) + nameWidth + 2;
    QStringList out{usage};
    if (!description.isEmpty())
        out << wrapForTerminal(description, width);
    out << QString() << optionsHeading;
    for (const auto& [shown, text] : rows) {
        const QStringList lines = wrapForTerminal(text, std::max(20, width - column));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString lead = i == 0 ? indent + shown : QString();
            out << (lead + QString(column - terminalWidth(lead), u' ') + lines[i]);
        }
    }
    return out.join(u'\n') + u'\n';
}
