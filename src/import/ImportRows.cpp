#include "ImportRows.h"

#include "AccountNumberRule.h"
#include "ArchiveSession.h"
#include "Edit.h"
#include "FileBranches.h"
#include "TextCharacters.h"
#include "UnionBankNo.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace tarvo {

namespace {

/// The lookups of a bank by its code and by its name, both filled by ImportRows::readBanks
/// where the session keeps no copy of the banks.
constexpr const char* kBankCodes = "select cBankCode, cBankCode from aa_bank";
constexpr const char* kBankNames = "select cBankName, cBankCode from aa_bank";
constexpr const char* kEndCodes = "select cCode, cCode from code where bEnd = 1";
constexpr const char* kEndNames = "select ccode_name, cCode from code where bEnd = 1";
constexpr const char* kCurrencyNames = "select cexch_name, cexch_name from foreigncurrency";
constexpr const char* kCurrencyCodes = "select cexch_code, cexch_name from foreigncurrency";

/// How the session's copy of a reference table answers a lookup, so that a check reads the
/// tables only when they may have changed: the column the value is looked for in, the column
/// answering, and whether only end-level rows count.
struct KeptLookup {
    const char* sql;
    const char* table;
    const char* column;
    const char* answer;
    bool endOnly;
};
constexpr KeptLookup kKeptLookups[] = {
    {kBankCodes, "aa_bank", "cBankCode", "cBankCode", false},
    {kBankNames, "aa_bank", "cBankName", "cBankCode", false},
    {kEndCodes, "code", "cCode", "cCode", true},
    {kEndNames, "code", "ccode_name", "cCode", true},
    {kCurrencyNames, "foreigncurrency", "cexch_name", "cexch_name", false},
    {kCurrencyCodes, "foreigncurrency", "cexch_code", "cexch_name", false},
};

const KeptLookup* keptLookup(const char* sql) {
    for (const KeptLookup& k : kKeptLookups)
        if (k.sql == sql)
            return &k;
    return nullptr;
}

struct FieldSpec {
    const char* field;
    const char* source; ///< null: the field itself
};
// The fields in the order the cards write them into the save XML.
constexpr FieldSpec kBankFields[] = {
    {"cBankCode", nullptr},    {"cBankName", nullptr},        {"bIndFixLen", nullptr},
    {"iIndAccNoLen", nullptr}, {"iIndAutoInputLen", nullptr}, {"cIndUnitcode", nullptr},
    {"bComdFixLen", nullptr},  {"iComAccNoLen", nullptr},
};
constexpr FieldSpec kAccountFields[] = {
    {"cBCode", nullptr},          {"cBAccount", nullptr},
    {"cAccName", nullptr},        {"dOpenAccDate", nullptr},
    {"cCurrencyName", nullptr},   {"bBflag", nullptr},
    {"bPwdMng", nullptr},         {"cBName", nullptr},
    {"cBankCode", nullptr},       {"cProvinceName", nullptr},
    {"cCountyName", nullptr},     {"cOpenAccAddr", nullptr},
    {"iAccProperty", nullptr},    {"cCode", nullptr},
    {"fCurBalance", nullptr},     {"cCustomerNo", nullptr},
    {"cOrgNo", nullptr},          {"cUnionBankNo", nullptr},
    {"iSignFlag", nullptr},       {"cBankCode", "AA_Bank.cBankName"},
    {"cCode", "Code.ccode_name"},
};

struct MustInput {
    const char* archive;
    const char* field;
    const char* message;
};
constexpr MustInput kMustInput[] = {
    {"aa_bank", "cBankCode", "Tarvo.AA.ARCHIVE.COMMON.cbankcode_notnull"},
    {"aa_bank", "cBankName", "Tarvo.AA.ARCHIVE.COMMON.cbankcode_notnull"},
    {"bank", "cBCode", "Tarvo.AA.ARCHIVE.COMMON.cbcode_notnull"},
    {"bank", "cBAccount", "Tarvo.AA.ARCHIVE.COMMON.cbaccount_notnull"},
    {"bank", "cCurrencyName", "Tarvo.AA.ARCHIVE.COMMON.ccurrencyname"},
    {"bank", "cBName", "Tarvo.AA.ARCHIVE.COMMON.cbname_notnull"},
    {"bank", "cBankCode", "Tarvo.AA.ARCHIVE.COMMON.bank_cbankcode_notnull"},
};

/// Fields holding codes and numbers: a spreadsheet that takes them for numbers rewrites them.
const char* const kCodeFields[] = {"cBankCode", "cIndUnitcode", "cBCode", "cBAccount",
                                   "cCode",     "cCustomerNo",  "cOrgNo", "cUnionBankNo"};

/// What spreadsheets write for a number too long to show ("2E+017", "1.23456789012346E+022"):
/// the sign after the E tells it from an account number that carries a letter E.
bool inExponentNotation(const QString& text) {
    if (!text.contains(u'E', Qt::CaseInsensitive))
        return false;
    static const QRegularExpression pattern(QStringLiteral("^[0-9](\\.[0-9]+)?[Ee][+-][0-9]+$"));
    return pattern.match(text.trimmed()).hasMatch();
}

/// The lengths of account numbers in the bank card take two digits at most.
const char* const kLengthFields[] = {"iIndAccNoLen", "iIndAutoInputLen", "iComAccNoLen"};

bool is(const QString& a, const char* b) {
    // Called for every field of every row: most names differ in length already.
    const QLatin1String name(b);
    return a.size() == name.size() && a.compare(name, Qt::CaseInsensitive) == 0;
}

/// Undoes the apostrophe an export puts before a text a spreadsheet would take for a formula;
/// the cards refuse apostrophes, so no stored text begins with one.
QString withoutFormulaGuard(const QString& text) {
    if (text.size() > 1 && text[0] == u'\'' && QStringLiteral("=+-@\t\r").contains(text[1]))
        return text.mid(1);
    return text;
}

/// The only code a lookup found, or none when it found none or several.
QString only(const QStringList& codes) {
    return codes.size() == 1 ? codes.first() : QString();
}

} // namespace

ImportRows::ImportRows(const QString& archive, const QVector<ListField>& listFields)
    : m_archive(archive.toLower()) {
    const bool banks = m_archive == u"aa_bank";
    m_root = banks ? QStringLiteral("AA_Bank") : QStringLiteral("Bank");
    const FieldSpec* begin = banks ? std::begin(kBankFields) : std::begin(kAccountFields);
    const FieldSpec* end = banks ? std::end(kBankFields) : std::end(kAccountFields);
    for (const FieldSpec* s = begin; s != end; ++s) {
        ImportField f;
        f.field = QString::fromLatin1(s->field);
        f.source = s->source ? QString::fromLatin1(s->source) : f.field;
        f.caption = f.source;
        for (const ListField& lf : listFields) {
            // The list names the archive's own columns with or without the table in front.
            const QString own = lf.field.section(u'.', -1);
            const bool ownTable =
                !lf.field.contains(u'.') ||
                lf.field.section(u'.', 0, 0).compare(m_archive, Qt::CaseInsensitive) == 0;
            if (lf.field.compare(f.source, Qt::CaseInsensitive) == 0 ||
                (!s->source && ownTable && own.compare(f.field, Qt::CaseInsensitive) == 0))
                f.caption = lf.caption;
        }
        m_fields << f;
    }
    for (const ImportField& f : std::as_const(m_fields))
        m_fills << int(std::find_if(m_fields.cbegin(), m_fields.cend(),
                                    [&](const ImportField& own) { return own.source == f.field; }) -
                       m_fields.cbegin());
    for (const MustInput& m : kMustInput)
        for (int i = 0; i < m_fields.size(); ++i)
            if (is(m_archive, m.archive) && is(m_fields[i].source, m.field))
                m_mustInput.append({i, QString::fromLatin1(m.message)});
}

int ImportRows::match(const QString& header) const {
    const QString h = header.trimmed();
    if (h.isEmpty())
        return -1;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].caption.compare(h, Qt::CaseInsensitive) == 0)
            return i;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].source.compare(h, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVector<int> ImportRows::matchAll(const QStringList& headers) const {
    QVector<int> mapping;
    for (const QString& h : headers) {
        const int f = match(h);
        mapping << (mapping.contains(f) ? -1 : f);
    }
    return mapping;
}

int ImportRows::keyField() const {
    return 0;
}

QString ImportRows::keyCaption() const {
    return m_fields[keyField()].caption;
}

QString ImportRows::refusalOf(const ImportField& f, const QString& value) const {
    if (const auto unsafe = suite::TextCharacters::firstUnsafe(value))
        return tr("“%1”中含有不能使用的字符 %2")
            .arg(f.caption, suite::TextCharacters::describe(*unsafe));
    for (const char* code : kCodeFields)
        if (is(f.field, code) && inExponentNotation(value))
            return tr("%1“%2”是电子表格改写成的科学计数法，原%1已丢失")
                .arg(f.caption, value.trimmed());
    if (f.field.startsWith(u'c')) {
        const QString refused = suite::Edit::standardBadstr();
        for (const QChar c : value)
            if (refused.contains(c))
                return tr("“%1”中含有不能使用的字符 %2（不能使用 < > ' \" | & , 这些字符）")
                    .arg(f.caption, QString(c));
    }
    if (is(f.field, "cUnionBankNo") && !acceptableUnionBankNo(value.trimmed()))
        return tr("%1“%2”应为 12 位数字，或不填").arg(f.caption, value.trimmed());
    for (const char* length : kLengthFields)
        if (is(f.field, length) && !value.isEmpty() &&
            (value.size() > 2 || !std::all_of(value.begin(), value.end(),
                                              [](QChar c) { return c >= u'0' && c <= u'9'; })))
            return tr("“%1”只能是不超过两位的数字，不能是“%2”").arg(f.caption, value);
    if (is(f.field, "cIndUnitcode") &&
        !std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return tr("“%1”只能由数字组成，不能是“%2”").arg(f.caption, value);
    return {};
}

QString ImportRows::storedText(const ImportField& f, const QString& shown, IClsCommon& db,
                               QString& refusal) const {
    ArchiveSession& s = ArchiveSession::current();
    const QString value = withoutFormulaGuard(shown);
    const QString t = value.trimmed();
    if (f.field.startsWith(u'b')) {
        if (t.isEmpty() || t == s.YesNoText.value(0) || t == u"0" || is(t, "false"))
            return QStringLiteral("0");
        if (t == s.YesNoText.value(1) || t == u"1" || is(t, "true"))
            return QStringLiteral("1");
        refusal = tr("“%1”只能是“%2”或“%3”，不能是“%4”")
                      .arg(f.caption, s.YesNoText.value(1), s.YesNoText.value(0), t);
        return {};
    }
    if (is(f.field, "iSignFlag")) {
        // The list shows the stored 1 as the first text and everything else as the second.
        if (t.isEmpty() || t == u"0" || t == s.SignFlagText.value(1))
            return QStringLiteral("0");
        if (t == u"1" || t == s.SignFlagText.value(0))
            return QStringLiteral("1");
        refusal = tr("“%1”只能是“%2”或“%3”，不能是“%4”")
                      .arg(f.caption, s.SignFlagText.value(0), s.SignFlagText.value(1), t);
        return {};
    }
    if (is(f.field, "iAccProperty") && !t.isEmpty()) {
        // The list shows the property's text; its stored code is taken as well.
        const auto text = s.AccPropertyText.indexOf(t);
        if (text >= 0)
            return QString::number(text);
        bool number = false;
        if (const int code = t.toInt(&number);
            number && code >= 0 && code < s.AccPropertyText.size())
            return QString::number(code);
        refusal = tr("“%1”只能是这些之一：%2；不能是“%3”")
                      .arg(f.caption, s.AccPropertyText.join(tr("、")), t);
        return {};
    }
    if (is(f.source, "AA_Bank.cBankName") && !t.isEmpty()) {
        // As the card does, a bank's code is taken where its name is shown: files from other
        // systems carry the code, and a code matching exactly wins over a name.
        if (!lookUp(db, kBankCodes, t).isEmpty())
            return t;
        const QStringList& codes = lookUp(db, kBankNames, t);
        const auto found = codes.size();
        if (found != 1)
            refusal = found == 0 ? tr("银行档案中没有名为“%1”的银行").arg(t)
                                 : tr("银行档案中有多个名为“%1”的银行，请改用银行编码").arg(t);
        return only(codes);
    }
    if (is(f.source, "Code.ccode_name") && !t.isEmpty()) {
        if (!lookUp(db, kEndCodes, t).isEmpty())
            return t;
        const QStringList& codes = lookUp(db, kEndNames, t);
        const auto found = codes.size();
        if (found != 1)
            refusal = found == 0 ? tr("会计科目中没有名为“%1”的末级科目").arg(t)
                                 : tr("会计科目中有多个名为“%1”的末级科目，请改用科目编码").arg(t);
        return only(codes);
    }
    if (is(f.field, "cCurrencyName") && !t.isEmpty()) {
        // Files from other systems often hold the currency's code (CNY) instead of its name.
        if (lookUp(db, kCurrencyNames, value).isEmpty()) {
            const QStringList& names = lookUp(db, kCurrencyCodes, t);
            if (names.size() == 1)
                return names.first();
        }
    }
    refusal = refusalOf(f, value);
    // A payment names the branch by these twelve digits alone: blanks around them are a slip.
    return is(f.field, "cUnionBankNo") ? t : value;
}

ImportRow ImportRows::record(const QStringList& cells, const QVector<int>& mapping, int line,
                             IClsCommon& db, const FileBranches* branches) const {
    ImportRow row;
    row.line = line;
    QVector<std::optional<QString>> values(m_fields.size());
    // Own columns first: a code in the file counts over the name of what it names.
    for (const bool named : {false, true}) {
        for (int c = 0; c < mapping.size(); ++c) {
            const int i = mapping[c];
            if (i < 0 || (m_fields[i].source != m_fields[i].field) != named)
                continue;
            const int own = m_fills[i];
            if (named && values[own] && !values[own]->trimmed().isEmpty())
                continue;
            const QString text = storedText(m_fields[i], cells.value(c), db, row.refusal);
            if (!row.refusal.isEmpty())
                return row;
            values[own] = text;
        }
    }
    ArchiveSession& s = ArchiveSession::current();
    if (!values[keyField()])
        values[keyField()] = QString();
    if (branches)
        row.hint = fillFromDirectory(values, *branches, db);
    for (const auto& [i, message] : m_mustInput) {
        if (values[i] && values[i]->trimmed().isEmpty()) {
            row.refusal = s.oPub->GetResString(message);
            return row;
        }
    }
    row.key = *values[keyField()];
    // Sized once: a long file makes as many of these as it has rows.
    qsizetype size = 2 * m_root.size() + 5;
    for (int i = 0; i < m_fields.size(); ++i)
        if (values[i])
            size += 2 * m_fields[i].field.size() + 5 + values[i]->size();
    QString& xml = row.xml;
    xml.reserve(size);
    xml += u'<';
    xml += m_root;
    xml += u'>';
    QString number;
    QString bank;
    for (int i = 0; i < m_fields.size(); ++i) {
        const ImportField& f = m_fields[i];
        if (f.source != f.field || !values[i])
            continue;
        const QString& value = *values[i];
        xml += u'<';
        xml += f.field;
        xml += u'>';
        const bool plain = std::none_of(value.cbegin(), value.cend(), [](QChar c) {
            return c == u'<' || c == u'>' || c == u'&' || c == u'"';
        });
        xml += plain ? value : value.toHtmlEscaped();
        xml += u"</";
        xml += f.field;
        xml += u'>';
        if (is(f.field, "cBAccount"))
            number = value;
        else if (is(f.field, "cBankCode"))
            bank = value;
    }
    xml += u"</";
    xml += m_root;
    xml += u'>';
    if (m_archive == u"bank" && !number.isEmpty() && !bank.isEmpty())
        row.note = ruleOf(db, bank).mismatch(*s.oPub, number);
    return row;
}

int ImportRows::fieldIndex(const char* field) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].source == m_fields[i].field && is(m_fields[i].field, field))
            return i;
    return -1;
}

QString ImportRows::fillFromDirectory(QVector<std::optional<QString>>& values,
                                      const FileBranches& branches, IClsCommon& db) const {
    const int codeField = fieldIndex("cUnionBankNo");
    if (codeField < 0 || !values[codeField] || values[codeField]->isEmpty() || !branches.present())
        return {};
    const QString& code = *values[codeField];
    const QString& caption = m_fields[codeField].caption;
    const BranchEntry* branch = branches.branch(code);
    if (!branch)
        return tr("%1“%2”不在联行号目录中：目录可能比银行的通知旧，请核对").arg(caption, code);
    if (branch->retiredOn.isValid())
        return tr("%1“%2”在联行号目录中已于 %3 停用，请核对")
            .arg(caption, code, branch->retiredOn.toString(Qt::ISODate));
    const FileBranches::StoredFields* stored = branches.account(*values[keyField()]);
    const QString head = branch->bankCode.isEmpty() ? code.left(3) : branch->bankCode;
    const std::array<QString, FileBranches::kFilled.size()> given = {
        branch->name, lookUp(db, kBankCodes, head).isEmpty() ? QString() : head,
        regionNamed(db, branch->province, true), regionNamed(db, branch->city, false)};
    QStringList filled;
    for (size_t k = 0; k < given.size(); ++k) {
        const int i = fieldIndex(FileBranches::kFilled[k]);
        if (i < 0 || given[k].isEmpty())
            continue;
        // A column the file leaves out keeps what is stored: only an empty one is filled.
        const bool empty = values[i] ? values[i]->trimmed().isEmpty()
                                     : !stored || stored->at(k).trimmed().isEmpty();
        if (!empty)
            continue;
        values[i] = given[k];
        filled << m_fields[i].caption;
    }
    return filled.isEmpty() ? QString() : tr("%1已按联行号填写").arg(filled.join(tr("、")));
}

QString ImportRows::regionNamed(IClsCommon& db, const QString& name, bool province) const {
    for (const QString& candidate : regionNameCandidates(name)) {
        const RecordsetPtr rs =
            db.ReferenceRows(QStringLiteral("hr_ct007"), QStringLiteral("vdescription"), candidate);
        if (!rs)
            return {};
        const int level = rs->fieldIndex(QStringLiteral("ilevels"));
        for (; !rs->Eof(); rs->MoveNext())
            if ((rs->Value(level).toInt() == 0) == province)
                return candidate;
    }
    return {};
}

void ImportRows::readBanks(IClsCommon& db) const {
    if (m_banksRead)
        return;
    m_banksRead = true;
    Lookup& codes = m_lookups[kBankCodes];
    Lookup& names = m_lookups[kBankNames];
    codes = {{}, true};
    names = {{}, true};
    m_rules.clear();
    QString sql =
        QStringLiteral("select cBankCode, cBankName, bComdFixLen, iComAccNoLen from aa_bank");
    for (const RecordsetPtr rs = db.OpenX(sql); rs && !rs->Eof(); rs->MoveNext()) {
        const QString code = rs->Value(0).toString();
        const QString name = rs->Value(1).toString();
        codes.codes[code] << code;
        names.codes[name] << code;
        m_rules.insert(code,
                       AccountNumberRule::of(name, rs->Value(2).toInt(), rs->Value(3).toInt()));
    }
}

AccountNumberRule ImportRows::ruleOf(IClsCommon& db, const QString& bank) const {
    if (const auto known = m_rules.constFind(bank); known != m_rules.cend())
        return *known;
    if (!m_banksRead) {
        if (const RecordsetPtr rs =
                db.ReferenceRows(QStringLiteral("aa_bank"), QStringLiteral("cBankCode"), bank)) {
            AccountNumberRule rule;
            if (!rs->Eof())
                rule = AccountNumberRule::of(rs->Value(QStringLiteral("cBankName")).toString(),
                                             rs->Value(QStringLiteral("bComdFixLen")).toInt(),
                                             rs->Value(QStringLiteral("iComAccNoLen")).toInt());
            return *m_rules.insert(bank, rule);
        }
        readBanks(db);
    }
    return m_rules.value(bank);
}

const QStringList& ImportRows::lookUp(IClsCommon& db, const char* sql, const QString& value) const {
    static const QStringList none;
    Lookup& table = m_lookups[sql];
    if (const auto found = table.codes.constFind(value); found != table.codes.cend())
        return *found;
    if (table.whole)
        return none;
    if (const KeptLookup* kept = keptLookup(sql)) {
        const RecordsetPtr rs =
            db.ReferenceRows(QLatin1String(kept->table), QLatin1String(kept->column), value);
        if (rs) {
            QStringList& codes = table.codes[value];
            const int answer = rs->fieldIndex(QLatin1String(kept->answer));
            const int end = kept->endOnly ? rs->fieldIndex(QStringLiteral("bEnd")) : -1;
            for (; !rs->Eof(); rs->MoveNext())
                if (end < 0 || rs->Value(end).toInt() == 1)
                    codes << rs->Value(answer).toString();
            return codes;
        }
    }
    if (sql == kBankCodes || sql == kBankNames) {
        readBanks(db);
    } else {
        table.codes.clear();
        table.whole = true;
        QString text = QString::fromLatin1(sql);
        for (const RecordsetPtr rs = db.OpenX(text); rs && !rs->Eof(); rs->MoveNext())
            table.codes[rs->Value(0).toString()] << rs->Value(1).toString();
    }
    // Looked up again: reading the banks adds lookups, which may have moved this one.
    const Lookup& read = m_lookups[sql];
    const auto found = read.codes.constFind(value);
    return found == read.codes.cend() ? none : *found;
}

void ImportRows::forgetLookups() {
    m_lookups.clear();
    m_rules.clear();
    m_banksRead = false;
}

std::optional<QString> ImportRows::valueOf(const ImportRow& row, const char* field) const {
    const QString open = u'<' + QLatin1String(field) + u'>';
    const qsizetype start = row.xml.indexOf(open);
    if (start < 0)
        return std::nullopt;
    const qsizetype begin = start + open.size();
    const qsizetype end = row.xml.indexOf(u'<', begin);
    QString value = row.xml.mid(begin, end - begin);
    if (!value.contains(u'&'))
        return value;
    // record() escaped the value as toHtmlEscaped() does.
    return value.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString ImportRows::captionOf(const char* field) const {
    for (const ImportField& f : m_fields)
        if (f.source == QLatin1String(field))
            return f.caption;
    return QString::fromLatin1(field);
}

} // namespace tarvo
