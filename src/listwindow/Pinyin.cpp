#include "Pinyin.h"

#include <QHash>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace tarvo {

namespace {

struct WordReading {
    const char16_t* word;
    const char* syllables; // one per character, separated by blanks
};

// Words of bank, branch and place names in which a character is not read the way it is read
// alone. Only what the transliteration gets wrong belongs here.
const WordReading kWords[] = {
    {u"银行", "yin hang"},   {u"分行", "fen hang"},    {u"支行", "zhi hang"},
    {u"总行", "zong hang"},  {u"工行", "gong hang"},   {u"农行", "nong hang"},
    {u"建行", "jian hang"},  {u"中行", "zhong hang"},  {u"交行", "jiao hang"},
    {u"招行", "zhao hang"},  {u"商行", "shang hang"},  {u"行号", "hang hao"},
    {u"长沙", "chang sha"},  {u"长春", "chang chun"},  {u"长安", "chang an"},
    {u"长城", "chang cheng"}, {u"长江", "chang jiang"}, {u"长治", "chang zhi"},
    {u"长白", "chang bai"},  {u"长兴", "chang xing"},  {u"长乐", "chang le"},
    {u"长宁", "chang ning"}, {u"重庆", "chong qing"},  {u"厦门", "xia men"},
    {u"六安", "lu an"},      {u"蚌埠", "beng bu"},     {u"成都", "cheng du"},
    {u"首都", "shou du"},    {u"都江堰", "du jiang yan"}, {u"单县", "shan xian"},
    {u"乐清", "yue qing"},   {u"番禺", "pan yu"},      {u"会计", "kuai ji"},
};

class Transliteration {
public:
    QByteArray reading(char32_t c) {
        const auto it = m_cache.constFind(c);
        if (it != m_cache.cend())
            return *it;
        QByteArray latin;
        if (QChar::script(c) == QChar::Script_Han && open()) {
            icu::UnicodeString s(static_cast<UChar32>(c));
            m_translit->transliterate(s);
            std::string utf8;
            s.toUTF8String(utf8);
            for (const char ch : utf8)
                if (ch >= 'a' && ch <= 'z')
                    latin += ch;
                else if (ch >= 'A' && ch <= 'Z')
                    latin += char(ch - 'A' + 'a');
        }
        m_cache.insert(c, latin);
        return latin;
    }

private:
    bool open() {
        if (!m_translit && !m_failed) {
            UErrorCode status = U_ZERO_ERROR;
            m_translit.reset(icu::Transliterator::createInstance(
                "Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
            if (U_FAILURE(status))
                m_translit.reset();
            m_failed = !m_translit;
        }
        return bool(m_translit);
    }

    std::unique_ptr<icu::Transliterator> m_translit;
    bool m_failed = false;
    QHash<char32_t, QByteArray> m_cache;
};

Transliteration& transliteration() {
    // ICU's transliterators must not be shared between threads.
    thread_local Transliteration t;
    return t;
}

} // namespace

QByteArray Pinyin::reading(char32_t codePoint) {
    return transliteration().reading(codePoint);
}

QVector<QByteArray> Pinyin::syllables(const QString& text) {
    const QList<uint> points = text.toUcs4();
    QVector<QByteArray> out;
    out.reserve(points.size());
    bool han = false;
    for (const uint c : points) {
        out.push_back(reading(c));
        han = han || !out.back().isEmpty();
    }
    if (!han)
        return out;
    for (const WordReading& w : kWords) {
        const QList<uint> word = QString::fromUtf16(w.word).toUcs4();
        const QList<QByteArray> readings = QByteArray(w.syllables).split(' ');
        auto at = points.cbegin();
        while ((at = std::search(at, points.cend(), word.cbegin(), word.cend())) !=
               points.cend()) {
            const auto i = at - points.cbegin();
            for (qsizetype k = 0; k < word.size(); ++k)
                out[i + k] = readings[k];
            at += word.size();
        }
    }
    return out;
}

} // namespace tarvo
