#include "data/Pinyin.h"

#include <QChar>
#include <QList>

#include <algorithm>

namespace quorvane::Pinyin {
namespace {
// Every syllable of Mandarin pinyin without tones, ü written v; "lue" and "nue" are the
// spellings many dictionaries print for lüe and nüe.
constexpr char16_t kTable[] =
    u"a ai an ang ao e ei en eng er o ou "
    u"ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu "
    u"pa pai pan pang pao pei pen peng pi pian piao pie pin ping po pou pu "
    u"ma mai man mang mao me mei men meng mi mian miao mie min ming miu mo mou mu "
    u"fa fan fang fei fen feng fo fou fu "
    u"da dai dan dang dao de dei den deng di dia dian diao die ding diu dong dou du duan dui "
    u"dun duo "
    u"ta tai tan tang tao te teng ti tian tiao tie ting tong tou tu tuan tui tun tuo "
    u"na nai nan nang nao ne nei nen neng ni nian niang niao nie nin ning niu nong nou nu nuan "
    u"nuo nv nve nue "
    u"la lai lan lang lao le lei leng li lia lian liang liao lie lin ling liu lo long lou lu "
    u"luan lun luo lv lve lue "
    u"ga gai gan gang gao ge gei gen geng gong gou gu gua guai guan guang gui gun guo "
    u"ka kai kan kang kao ke kei ken keng kong kou ku kua kuai kuan kuang kui kun kuo "
    u"ha hai han hang hao he hei hen heng hong hou hu hua huai huan huang hui hun huo "
    u"ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue jun "
    u"qi qia qian qiang qiao qie qin qing qiong qiu qu quan que qun "
    u"xi xia xian xiang xiao xie xin xing xiong xiu xu xuan xue xun "
    u"zha zhai zhan zhang zhao zhe zhei zhen zheng zhi zhong zhou zhu zhua zhuai zhuan zhuang "
    u"zhui zhun zhuo "
    u"cha chai chan chang chao che chen cheng chi chong chou chu chua chuai chuan chuang chui "
    u"chun chuo "
    u"sha shai shan shang shao she shei shen sheng shi shou shu shua shuai shuan shuang shui "
    u"shun shuo "
    u"ran rang rao re ren reng ri rong rou ru rua ruan rui run ruo "
    u"za zai zan zang zao ze zei zen zeng zi zong zou zu zuan zui zun zuo "
    u"ca cai can cang cao ce cen ceng ci cong cou cu cuan cui cun cuo "
    u"sa sai san sang sao se sen seng si song sou su suan sui sun suo "
    u"ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun "
    u"wa wai wan wang wei wen weng wo wu";

constexpr qsizetype kLongestSyllable = 6; // zhuang, chuang, shuang

const std::vector<QString>& sortedTable() {
    static const std::vector<QString> table = [] {
        std::vector<QString> list;
        for (QStringView word : QStringView(kTable).split(u' ', Qt::SkipEmptyParts))
            list.push_back(word.toString());
        std::sort(list.begin(), list.end());
        return list;
    }();
    return table;
}

bool inTable(QStringView syllable) {
    const std::vector<QString>& table = sortedTable();
    const auto found = std::lower_bound(
        table.begin(), table.end(), syllable,
        [](const QString& entry, QStringView key) { return QStringView(entry) < key; });
    return found != table.end() && QStringView(*found) == syllable;
}

bool isLetter(QChar c) {
    return c >= u'a' && c <= u'z';
}

int toneOfMark(char32_t mark) {
    switch (mark) {
    case 0x0304:
        return 1;
    case 0x0301:
        return 2;
    case 0x030C:
        return 3;
    case 0x0300:
        return 4;
    default:
        return 0;
    }
}

// Lower case, then canonical decomposition with the tone marks dropped and a diaeresis
// over u turning it into v. With `tones`, the tone a mark gives is kept for the letter
// it stands over, one entry per unit of `out`.
void appendPlain(QString& out, char32_t code, QList<quint8>* tones = nullptr) {
    const auto keep = [&] {
        if (tones)
            tones->resize(out.size(), 0);
    };
    if (code < 0x80) {
        out += QChar(char16_t(QChar::toLower(code)));
        keep();
        return;
    }
    if (code == 0x0251) { // ɑ, the single-storey a of pinyin type
        out += u'a';
        keep();
        return;
    }
    if (code == 0x0261) { // ɡ
        out += u'g';
        keep();
        return;
    }
    if (code >= 0x0300 && code <= 0x036F) {
        if (code == 0x0308 && out.endsWith(u'u'))
            out.back() = u'v';
        if (tones && !tones->isEmpty() && toneOfMark(code))
            tones->back() = quint8(toneOfMark(code));
        return;
    }
    const char32_t lower = QChar::toLower(code);
    if (QChar::decompositionTag(lower) == QChar::Canonical) {
        for (char32_t part : QChar::decomposition(lower).toUcs4())
            appendPlain(out, part, tones);
        return;
    }
    out += QChar::fromUcs4(lower);
    keep();
}

QString plainWithTones(QStringView text, QList<quint8>* tones) {
    QString out;
    out.reserve(text.size());
    const QList<uint> codes = text.toUcs4();
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (codes[i] == u':' && out.endsWith(u'u')) { // "lu:e", the keyboard spelling of lüe
            out.back() = u'v';
            continue;
        }
        appendPlain(out, codes[i], tones);
    }
    return out;
}

bool isBreak(char32_t code) {
    return QChar::isSpace(code) || QChar::isPunct(code) || QChar::isSymbol(code) ||
           code == 0x02BC; // ʼ, a modifier letter used as an apostrophe
}

// Splits `token` into table syllables, longest first, backing up where that leads nowhere.
// A syllable starting with a, o or e is written after an apostrophe when it follows
// another, so no split puts one there: "yie" is a slip, not "yi" and "e".
// `deadEnds` marks the positions from which no split exists, so the search stays linear.
bool split(QStringView token, qsizetype from, std::vector<bool>& deadEnds,
           std::vector<Syllable>& parts) {
    if (from == token.size())
        return true;
    const QChar next = token.at(from);
    if (deadEnds[size_t(from)] || (from > 0 && (next == u'a' || next == u'o' || next == u'e')))
        return false;
    for (qsizetype length = std::min(kLongestSyllable, token.size() - from); length > 0; --length) {
        const QStringView part = token.sliced(from, length);
        if (!isSyllable(part))
            continue;
        parts.push_back({part.toString(), true});
        if (split(token, from + length, deadEnds, parts))
            return true;
        parts.pop_back();
    }
    deadEnds[size_t(from)] = true;
    return false;
}

void addSyllables(QStringView token, bool lettersOnly, std::vector<Syllable>& out) {
    if (token.isEmpty())
        return;
    if (lettersOnly && isSyllable(token)) {
        out.push_back({token.toString(), true});
        return;
    }
    if (lettersOnly && token.size() > 1) {
        std::vector<bool> deadEnds(size_t(token.size()), false);
        std::vector<Syllable> parts;
        if (split(token, 0, deadEnds, parts)) {
            out.insert(out.end(), parts.begin(), parts.end());
            return;
        }
    }
    out.push_back({token.toString(), false});
}

// A syllable's tone is the mark over any of its letters; `tones` runs along the plain text.
void addToken(QStringView text, qsizetype start, qsizetype length, bool lettersOnly,
              const QList<quint8>& tones, std::vector<Syllable>& out) {
    const size_t first = out.size();
    addSyllables(text.sliced(start, length), lettersOnly, out);
    qsizetype at = start;
    for (size_t i = first; i < out.size(); ++i) {
        for (qsizetype k = at; k < at + out[i].text.size() && k < tones.size(); ++k)
            if (tones[k])
                out[i].tone = tones[k];
        at += out[i].text.size();
    }
}
} // namespace

QString plain(QStringView text) {
    return plainWithTones(text, nullptr);
}

bool isSyllable(QStringView syllable) {
    if (syllable.isEmpty() || syllable.size() > kLongestSyllable)
        return false;
    if (inTable(syllable))
        return true;
    // After j, q, x and y the ü is written u; accept v there too.
    const QChar first = syllable.front();
    if (!syllable.contains(u'v') ||
        !(first == u'j' || first == u'q' || first == u'x' || first == u'y'))
        return false;
    QString asU = syllable.toString();
    asU.replace(u'v', u'u');
    return inTable(asU);
}

const std::vector<QString>& syllableTable() {
    return sortedTable();
}

std::vector<Syllable> syllables(QStringView pinyin, ToneNumbers toneNumbers) {
    QList<quint8> tones;
    const QString text = plainWithTones(pinyin, &tones);
    std::vector<Syllable> out;
    qsizetype start = 0;
    bool lettersOnly = true;
    const QList<uint> codes = text.toUcs4();
    // Positions are kept in UTF-16 units so that tokens can be cut from `text`.
    qsizetype position = 0;
    for (const uint code : codes) {
        const qsizetype width = QChar::requiresSurrogates(code) ? 2 : 1;
        if (isBreak(code)) {
            addToken(text, start, position - start, lettersOnly, tones, out);
            start = position + width;
            lettersOnly = true;
        } else if (toneNumbers == ToneNumbers::Read && code >= u'0' && code <= u'5' &&
                   lettersOnly && position > start) {
            const size_t before = out.size();
            addToken(text, start, position - start, true, tones, out);
            if (out.size() > before)
                out.back().tone = code >= u'1' && code <= u'4' ? int(code - u'0') : 0;
            start = position + width;
        } else if (code < u'a' || code > u'z') {
            lettersOnly = false;
        }
        position += width;
    }
    addToken(text, start, text.size() - start, lettersOnly, tones, out);
    return out;
}

QString initials(const std::vector<Syllable>& syllables, int limit) {
    QString out;
    const size_t count = std::min(syllables.size(), size_t(std::max(limit, 0)));
    for (size_t i = 0; i < count; ++i)
        if (!syllables[i].text.isEmpty() && isLetter(syllables[i].text.front()))
            out += syllables[i].text.front();
    return out;
}

QString initials(QStringView pinyin, int limit) {
    return initials(syllables(pinyin), limit);
}

bool breaksSyllable(char32_t code) {
    return isBreak(code);
}

QString readingKey(QStringView reading) {
    QString key;
    key.reserve(reading.size());
    for (const Syllable& syllable : syllables(reading)) {
        if (!key.isEmpty())
            key += u' ';
        const qsizetype from = key.size();
        key += syllable.text;
        if (!syllable.known || syllable.text.size() < 2)
            continue;
        // After j, q, x and y a u is always ü; lue and nue are lüe and nüe.
        const QChar first = syllable.text.front();
        if ((first == u'j' || first == u'q' || first == u'x' || first == u'y' ||
             syllable.text == u"lue" || syllable.text == u"nue") &&
            syllable.text.at(1) == u'u')
            key[from + 1] = u'v';
    }
    return key;
}

std::pair<qsizetype, qsizetype> readingSpan(QStringView reading, int letters) {
    qsizetype start = -1;
    qsizetype end = 0;
    int seen = 0;
    bool afterU = false; // "u:" is one letter, as plain() reads it
    qsizetype position = 0;
    for (const uint code : reading.toUcs4()) {
        const qsizetype width = QChar::requiresSurrogates(code) ? 2 : 1;
        int count = 0;
        const bool joined = code == u':' && afterU;
        if (!joined) {
            const QString part = plain(reading.sliced(position, width));
            for (const QChar c : part)
                count += isBreak(c.unicode()) ? 0 : 1;
            if (!part.isEmpty())
                afterU = part.endsWith(u'u') && count > 0;
            else if (code == 0x0308)
                afterU = false; // the diaeresis made the u a v
        }
        if (seen >= letters) {
            // Only what belongs to the last letter may follow: marks and the ':' of "u:".
            if (count > 0 || (!joined && isBreak(code)))
                break;
            end = position + width;
        } else if (count > 0) {
            if (start < 0)
                start = position;
            seen += count;
            end = position + width;
        }
        position += width;
    }
    if (start < 0)
        return {0, 0};
    return {start, end - start};
}

} // namespace quorvane::Pinyin
