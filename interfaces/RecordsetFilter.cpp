#include "RecordsetFilter.h"

#include "AdoTypes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarvo {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

struct Token {
    enum Kind { Ident, Text, Number, Date, Null, And, Or, LParen, RParen, Oper, End } kind;
    QString text;
    Op op = Op::Eq;
};

QString syntaxError(const QString& filter) {
    return QCoreApplication::translate("tarvo::Recordset", "筛选条件格式不正确：%1").arg(filter);
}

class Lexer {
public:
    explicit Lexer(const QString& s) : m_s(s) {}

    Token next() {
        while (m_i < m_s.size() && m_s[m_i].isSpace())
            ++m_i;
        if (m_i >= m_s.size())
            return {Token::End, {}};
        const QChar c = m_s[m_i];
        if (c == u'(') {
            ++m_i;
            return {Token::LParen, QStringLiteral("(")};
        }
        if (c == u')') {
            ++m_i;
            return {Token::RParen, QStringLiteral(")")};
        }
        if (c == u'\'')
            return quoted();
        if (c == u'#')
            return date();
        if (c == u'[')
            return bracketed();
        if (c == u'=' || c == u'<' || c == u'>')
            return oper();
        if (c.isDigit() || ((c == u'-' || c == u'+' || c == u'.') && m_i + 1 < m_s.size() &&
                            (m_s[m_i + 1].isDigit() || m_s[m_i + 1] == u'.')))
            return number();
        if (c.isLetter() || c == u'_')
            return word();
        throw RecordsetError(syntaxError(m_s));
    }

private:
    const QString& m_s;
    int m_i = 0;

    Token quoted() {
        QString out;
        ++m_i;
        while (m_i < m_s.size()) {
            if (m_s[m_i] == u'\'') {
                if (m_i + 1 < m_s.size() && m_s[m_i + 1] == u'\'') {
                    out += u'\'';
                    m_i += 2;
                    continue;
                }
                ++m_i;
                return {Token::Text, out};
            }
            out += m_s[m_i++];
        }
        throw RecordsetError(syntaxError(m_s));
    }

    Token date() {
        const int end = m_s.indexOf(u'#', m_i + 1);
        if (end < 0)
            throw RecordsetError(syntaxError(m_s));
        Token t{Token::Date, m_s.mid(m_i + 1, end - m_i - 1).trimmed()};
        m_i = end + 1;
        return t;
    }

    Token bracketed() {
        const int end = m_s.indexOf(u']', m_i + 1);
        if (end < 0)
            throw RecordsetError(syntaxError(m_s));
        Token t{Token::Ident, m_s.mid(m_i + 1, end - m_i - 1)};
        m_i = end + 1;
        return t;
    }

    Token oper() {
        const QChar c = m_s[m_i++];
        const QChar n = m_i < m_s.size() ? m_s[m_i] : QChar();
        Token t{Token::Oper, {}};
        if (c == u'=') {
            t.op = Op::Eq;
        } else if (c == u'<' && n == u'>') {
            t.op = Op::Ne;
            ++m_i;
        } else if (c == u'<' && n == u'=') {
            t.op = Op::Le;
            ++m_i;
        } else if (c == u'>' && n == u'=') {
            t.op = Op::Ge;
            ++m_i;
        } else {
            t.op = c == u'<' ? Op::Lt : Op::Gt;
        }
        return t;
    }

    Token number() {
        const int start = m_i++;
        while (m_i < m_s.size() &&
               (m_s[m_i].isDigit() || m_s[m_i] == u'.' || m_s[m_i] == u'e' || m_s[m_i] == u'E'))
            ++m_i;
        return {Token::Number, m_s.mid(start, m_i - start)};
    }

    Token word() {
        const int start = m_i;
        while (m_i < m_s.size() &&
               (m_s[m_i].isLetterOrNumber() || m_s[m_i] == u'_' || m_s[m_i] == u'.'))
            ++m_i;
        const QString w = m_s.mid(start, m_i - start);
        const QString lw = w.toLower();
        if (lw == u"and")
            return {Token::And, w};
        if (lw == u"or")
            return {Token::Or, w};
        if (lw == u"null")
            return {Token::Null, w};
        if (lw == u"true" || lw == u"false")
            return {Token::Number, lw};
        if (lw == u"like") {
            Token t{Token::Oper, w};
            t.op = Op::Like;
            return t;
        }
        return {Token::Ident, w};
    }
};

QDateTime toDateTime(const QVariant& v) {
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().startOfDay();
    const QString s = v.toString().trimmed();
    for (const char* fmt : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd", "yyyy/M/d", "yyyy/M/d H:m:s",
                            "M/d/yyyy", "M/d/yyyy H:m:s"}) {
        const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(fmt));
        if (dt.isValid())
            return dt;
    }
    return {};
}

} // namespace

struct FilterExpression::Node {
    enum Kind { AndNode, OrNode, Compare } kind = Compare;
    /// The terms of an and / or chain, kept flat: a chain of any length costs no depth.
    std::vector<std::unique_ptr<Node>> terms;
    int field = -1;
    int fieldType = 0;
    Op op = Op::Eq;
    bool literalNull = false;
    QVariant literal;
    QRegularExpression like;
    /// An or chain of "field = value" over one field (a pick list's chosen keys) is looked up
    /// in a set of its values instead of compared term by term.
    bool keySet = false;
    bool numericKeys = false;
    QSet<QString> textKeys;
    QSet<double> numberKeys;

    bool eval(const QVector<QVariant>& row) const {
        switch (kind) {
        case AndNode:
            return std::all_of(terms.begin(), terms.end(),
                               [&](const auto& t) { return t->eval(row); });
        case OrNode:
            if (keySet)
                return inKeySet(row[field]);
            return std::any_of(terms.begin(), terms.end(),
                               [&](const auto& t) { return t->eval(row); });
        case Compare:
            break;
        }
        const QVariant& v = row[field];
        if (literalNull) {
            const bool isNull = v.isNull();
            return op == Op::Ne ? !isNull : (op == Op::Eq && isNull);
        }
        if (v.isNull())
            return false;
        if (op == Op::Like)
            return like.match(v.toString()).hasMatch();
        const int c = compare(v);
        switch (op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Gt:
            return c > 0;
        case Op::Le:
            return c <= 0;
        case Op::Ge:
            return c >= 0;
        case Op::Like:
            break;
        }
        return false;
    }

    bool inKeySet(const QVariant& v) const {
        if (v.isNull())
            return false;
        return numericKeys ? numberKeys.contains(v.toDouble())
                           : textKeys.contains(v.toString().toCaseFolded());
    }

    /// Turns an or chain into a key set when every term is an equality on the same text or
    /// numeric field with a value compared the same way one by one.
    void makeKeySet() {
        const Node& first = *terms.front();
        if (first.kind != Compare || first.op != Op::Eq || first.literalNull ||
            first.fieldType == ado::adBoolean || ado::isDate(first.fieldType) ||
            first.literal.typeId() == QMetaType::QDateTime)
            return;
        const bool numeric = ado::isNumeric(first.fieldType);
        for (const auto& t : terms) {
            if (t->kind != Compare || t->op != Op::Eq || t->literalNull || t->field != first.field)
                return;
            if (numeric) {
                bool ok = false;
                const double d = t->literal.toString().toDouble(&ok);
                if (!ok || std::isnan(d))
                    return;
            }
        }
        for (const auto& t : terms) {
            if (numeric)
                numberKeys.insert(t->literal.toString().toDouble());
            else
                textKeys.insert(t->literal.toString().toCaseFolded());
        }
        field = first.field;
        numericKeys = numeric;
        keySet = true;
        terms.clear();
    }

    int compare(const QVariant& v) const {
        if (fieldType == ado::adBoolean) {
            const bool a = v.toBool();
            const QString s = literal.toString().trimmed().toLower();
            const bool b = s == u"true" || (s != u"false" && s.toDouble() != 0);
            return int(a) - int(b);
        }
        if (ado::isNumeric(fieldType)) {
            bool ok = false;
            const double b = literal.toString().toDouble(&ok);
            if (ok) {
                const double a = v.toDouble();
                return a < b ? -1 : (a > b ? 1 : 0);
            }
        }
        if (ado::isDate(fieldType) || literal.typeId() == QMetaType::QDateTime) {
            const QDateTime a = toDateTime(v), b = toDateTime(literal);
            if (a.isValid() && b.isValid())
                return a < b ? -1 : (a > b ? 1 : 0);
        }
        return QString::compare(v.toString(), literal.toString(), Qt::CaseInsensitive);
    }
};

namespace {

class Parser {
public:
    Parser(const QString& text, const QVector<FieldInfo>& fields)
        : m_text(text), m_fields(fields), m_lex(text) {
        advance();
    }

    std::unique_ptr<FilterExpression::Node> parseAll() {
        auto n = orExpr();
        if (m_tok.kind != Token::End)
            fail();
        return n;
    }

private:
    using NodePtr = std::unique_ptr<FilterExpression::Node>;
    const QString& m_text;
    const QVector<FieldInfo>& m_fields;
    Lexer m_lex;
    Token m_tok{Token::End, {}};

    [[noreturn]] void fail() { throw RecordsetError(syntaxError(m_text)); }
    void advance() { m_tok = m_lex.next(); }

    /// Parentheses deeper than this are refused: nothing a person or a pick list writes needs
    /// them, and each level costs stack while parsing and evaluating.
    static constexpr int kMaxNesting = 100;
    int m_depth = 0;

    /// "a op b op c ..." as one node holding all its terms.
    template <typename Next>
    NodePtr chain(Token::Kind separator, FilterExpression::Node::Kind kind, Next next) {
        NodePtr n = (this->*next)();
        if (m_tok.kind != separator)
            return n;
        auto list = std::make_unique<FilterExpression::Node>();
        list->kind = kind;
        list->terms.push_back(std::move(n));
        while (m_tok.kind == separator) {
            advance();
            list->terms.push_back((this->*next)());
        }
        return list;
    }

    NodePtr orExpr() {
        NodePtr n = chain(Token::Or, FilterExpression::Node::OrNode, &Parser::andExpr);
        if (n->kind == FilterExpression::Node::OrNode)
            n->makeKeySet();
        return n;
    }

    NodePtr andExpr() {
        return chain(Token::And, FilterExpression::Node::AndNode, &Parser::factor);
    }

    NodePtr factor() {
        if (m_tok.kind == Token::LParen) {
            if (++m_depth > kMaxNesting)
                throw RecordsetError(
                    QCoreApplication::translate("tarvo::Recordset", "筛选条件的括号嵌套超过 %1 层")
                        .arg(kMaxNesting));
            advance();
            auto n = orExpr();
            if (m_tok.kind != Token::RParen)
                fail();
            advance();
            --m_depth;
            return n;
        }
        return comparison();
    }

    int resolve(const QString& name) {
        for (int i = 0; i < m_fields.size(); ++i) {
            if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        throw RecordsetError(
            QCoreApplication::translate("tarvo::Recordset", "筛选条件中的字段“%1”在记录集中不存在")
                .arg(name));
    }

    static QString likePattern(const QString& p) {
        QString rx;
        for (const QChar c : p) {
            if (c == u'*' || c == u'%')
                rx += QStringLiteral(".*");
            else
                rx += QRegularExpression::escape(QString(c));
        }
        return QRegularExpression::anchoredPattern(rx);
    }

    NodePtr comparison() {
        if (m_tok.kind != Token::Ident)
            fail();
        auto n = std::make_unique<FilterExpression::Node>();
        n->field = resolve(m_tok.text);
        n->fieldType = m_fields[n->field].type;
        advance();
        if (m_tok.kind != Token::Oper)
            fail();
        n->op = m_tok.op;
        advance();
        switch (m_tok.kind) {
        case Token::Text:
        case Token::Number:
            n->literal = m_tok.text;
            break;
        case Token::Date:
            n->literal = toDateTime(m_tok.text);
            if (!n->literal.toDateTime().isValid())
                fail();
            break;
        case Token::Null:
            if (n->op != Op::Eq && n->op != Op::Ne)
                fail();
            n->literalNull = true;
            break;
        default:
            fail();
        }
        if (n->op == Op::Like) {
            if (m_tok.kind != Token::Text)
                fail();
            n->like = QRegularExpression(likePattern(m_tok.text),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
        }
        advance();
        return n;
    }
};

} // namespace

FilterExpression::FilterExpression(std::unique_ptr<Node> root) : m_root(std::move(root)) {}
FilterExpression::~FilterExpression() = default;

std::shared_ptr<const FilterExpression> FilterExpression::parse(const QString& text,
                                                                const QVector<FieldInfo>& fields) {
    Parser p(text, fields);
    return std::shared_ptr<const FilterExpression>(new FilterExpression(p.parseAll()));
}

bool FilterExpression::matches(const QVector<QVariant>& row) const {
    return m_root->eval(row);
}

} // namespace tarvo
