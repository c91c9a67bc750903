#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace quorvane {

// The objects of a PDF file through its cross-reference tables, enough to read their
// dictionaries and streams. Cross-reference streams are not read.
class PdfObjects {
public:
    explicit PdfObjects(const QByteArray& bytes) : m_bytes(bytes) {}

    // Reads the tables, the last one first; false when they cannot be read.
    bool read();

    // Where the last table starts, and its trailer.
    qsizetype xref() const { return m_xref; }
    const QByteArray& trailer() const { return m_trailer; }
    // The objects in use.
    QList<int> numbers() const { return m_offsets.keys(); }
    int generation(int object) const { return m_offsets.value(object).second; }

    // The dictionary that opens object `object`, or nothing.
    QByteArray dictionary(int object) const;
    // The decoded data of stream object `object`, or nothing; `sizeHint` is the decoded size
    // when known.
    std::optional<QByteArray> stream(int object, qsizetype sizeHint = 0) const;

    // The number that the first group of `pattern` finds in `text`, such as an object's.
    static std::optional<int> numberIn(const QByteArray& text, const QString& pattern);
    static bool isSpace(char c);

private:
    // The unsigned integer at `pos`, after white space; `pos` moves past it.
    std::optional<qsizetype> number(qsizetype& pos) const;
    bool readSection(qsizetype at);
    qsizetype dictionaryStart(int object) const;
    // Just past the ">>" that closes the dictionary at `start`, strings skipped.
    qsizetype dictionaryEnd(qsizetype start) const;
    std::optional<qsizetype> lengthOf(const QByteArray& dict) const;

    QByteArray m_bytes;
    QHash<int, std::pair<qsizetype, int>> m_offsets;
    QByteArray m_trailer;
    QByteArray m_sectionTrailer;
    qsizetype m_xref = -1;
};

} // namespace quorvane
