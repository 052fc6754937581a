#include "Pinyin.h"

#include "SessionContext.h"

#include <QHash>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>

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

struct Word {
    QList<uint> chars;
    QList<QByteArray> readings;
};

const QVector<Word>& words() {
    static const QVector<Word> all = [] {
        QVector<Word> w;
        for (const WordReading& r : kWords)
            w.push_back({QString::fromUtf16(r.word).toUcs4(), QByteArray(r.syllables).split(' ')});
        return w;
    }();
    return all;
}

std::unique_ptr<icu::Transliterator> createTransliterator() {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
    if (U_FAILURE(status))
        t.reset();
    return t;
}

/// A transliterator set up ahead on a thread of its own, until a thread takes it.
struct Prepared {
    std::mutex mutex;
    std::future<std::unique_ptr<icu::Transliterator>> made;
    bool started = false;
};

Prepared& prepared() {
    static Prepared p;
    return p;
}

/// What is known of one character: its reading, and whether a word of the table starts with it.
struct Reading {
    QByteArray latin;
    bool startsWord = false;
};

class Transliteration {
public:
    const Reading& reading(char32_t c) {
        const auto it = m_cache.constFind(c);
        if (it != m_cache.cend())
            return *it;
        Reading r;
        if (QChar::script(c) == QChar::Script_Han && open()) {
            icu::UnicodeString s(static_cast<UChar32>(c));
            m_translit->transliterate(s);
            std::string utf8;
            s.toUTF8String(utf8);
            for (const char ch : utf8)
                if (ch >= 'a' && ch <= 'z')
                    r.latin += ch;
                else if (ch >= 'A' && ch <= 'Z')
                    r.latin += char(ch - 'A' + 'a');
            for (const Word& w : words())
                r.startsWord = r.startsWord || w.chars.front() == c;
        }
        return *m_cache.insert(c, r);
    }

    bool ready() {
        if (m_translit || m_failed)
            return true;
        Prepared& p = prepared();
        const std::lock_guard lock(p.mutex);
        if (!p.made.valid())
            return p.started; // taken by another thread: this one sets its own up
        return p.made.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }

private:
    bool open() {
        if (!m_translit && !m_failed) {
            {
                // One thread takes the transliterator set up ahead; any other sets its own up.
                Prepared& p = prepared();
                const std::lock_guard lock(p.mutex);
                if (p.made.valid())
                    m_translit = p.made.get();
            }
            if (!m_translit)
                m_translit = createTransliterator();
            m_failed = !m_translit;
        }
        return bool(m_translit);
    }

    std::unique_ptr<icu::Transliterator> m_translit;
    bool m_failed = false;
    QHash<char32_t, Reading> m_cache;
};

Transliteration& transliteration() {
    // ICU's transliterators must not be shared between threads.
    thread_local Transliteration t;
    return t;
}

} // namespace

QByteArray Pinyin::reading(char32_t codePoint) {
    return transliteration().reading(codePoint).latin;
}

void Pinyin::prepare() {
    Prepared& p = prepared();
    const std::lock_guard lock(p.mutex);
    if (!p.started) {
        p.started = true;
        p.made = std::async(std::launch::async, carryingSession(createTransliterator));
    }
}

bool Pinyin::ready() {
    return transliteration().ready();
}

QVector<QByteArray> Pinyin::syllables(const QString& text) {
    const QList<uint> points = text.toUcs4();
    QVector<QByteArray> out;
    out.reserve(points.size());
    Transliteration& t = transliteration();
    for (qsizetype i = 0; i < points.size(); ++i) {
        const Reading& r = t.reading(points[i]);
        out.push_back(r.latin);
        if (!r.startsWord)
            continue;
        for (const Word& w : words()) {
            if (w.chars.size() <= points.size() - i &&
                std::equal(w.chars.cbegin(), w.chars.cend(), points.cbegin() + i)) {
                // The word's later characters are read below as usual, then put right here.
                out.resize(i);
                out += w.readings;
                i += w.chars.size() - 1;
                break;
            }
        }
    }
    return out;
}

} // namespace tarvo
