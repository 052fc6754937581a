#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tarvo {

/// Toneless lower-case pinyin of Chinese text, for finding names by their romanisation.
/// Characters are read one by one through ICU's Han-to-Latin transliteration and remembered
/// for the life of the thread; ICU reads each character alone, so the words of bank and place
/// names whose characters it reads otherwise (行 in 银行, 长 in 长沙 …) are put right from a
/// short table.
class Pinyin {
public:
    /// One entry per code point of text: the reading of a Han character ("hang"), or empty for
    /// any other character.
    static QVector<QByteArray> syllables(const QString& text);
    /// The reading of one Han character as ICU gives it, or empty.
    static QByteArray reading(char32_t codePoint);
    /// Sets ICU's transliteration up on a thread of its own (it takes a good part of a second),
    /// for the first thread that reads pinyin afterwards.
    static void prepare();
    /// Whether what prepare() started is done (or was taken by another thread), so that reading
    /// pinyin on this thread no longer waits for it.
    static bool ready();
};

} // namespace tarvo
