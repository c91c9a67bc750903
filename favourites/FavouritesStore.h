#pragma once

#include "favourites/RememberedList.h"

#include <QObject>
#include <QString>

#include <memory>

struct sqlite3;

namespace quorvane {

enum class ListKind { Favourites, History };

// The user's favourites and the idioms looked at lately, kept in a small plain SQLite file
// of their own beside the settings, so they outlive a new import of the dictionary and
// need no write access to it. Every change is one transaction.
//
// The file is never given up for an empty one: a file that cannot be read (damaged, from a
// newer version, held by another program) is left alone, and a file that cannot be written
// (read-only, full disk) keeps what it had. In both cases the lists go on working in memory
// for the session and problem() says so, once. While open, the file is locked against
// every other writer.
class FavouritesStore : public QObject {
    Q_OBJECT
public:
    static constexpr int kHistoryLimit = 500;
    static constexpr int kFormatVersion = 1;

    // $XDG_DATA_HOME/Brevinn/Quorvane/favourites.sqlite
    static QString defaultPath();
    // One store per file in the process: windows opened one after another share it.
    static std::shared_ptr<FavouritesStore> shared(const QString& path);

    // Opens the file, creating it (and its folder) when missing. Never throws.
    explicit FavouritesStore(const QString& path, QObject* parent = nullptr);
    ~FavouritesStore() override;

    QString path() const { return m_path; }
    // Whether changes still reach the file.
    bool saving() const { return m_db != nullptr && !m_readOnly; }
    // What went wrong with the file, for the user; "" while all is well.
    QString problem() const { return m_problem; }
    // The problem the first time it is asked for, then "": the user hears of it once,
    // however many windows share the store.
    QString unreportedProblem();

    const RememberedList& list(ListKind kind) const {
        return kind == ListKind::Favourites ? m_favourites : m_history;
    }
    bool isFavourite(const IdiomKey& key) const { return m_favourites.contains(key); }

    // An idiom already in the favourites keeps its place and date.
    void setFavourite(const IdiomKey& key, bool favourite);
    // The idiom goes to the top of the history; the oldest beyond the limit drop out.
    void recordView(const IdiomKey& key);
    void remove(ListKind kind, const IdiomKey& key);
    void clear(ListKind kind);

Q_SIGNALS:
    void changed(ListKind kind);
    // A write failed; from now on changes stay in memory. Raised once.
    void problemOccurred(const QString& message);

private:
    void open();
    // Reads both lists; throws QuorvaneError.
    void load();
    void fail(const QString& message);
    // Runs statements as one transaction, each with its own bound texts and numbers.
    struct Statement;
    void write(std::initializer_list<Statement> statements);
    void closeFile();

    QString m_path;
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    bool m_wal = false; // the write-ahead log is ours to fold back at the close
    QString m_problem;
    bool m_reported = false;
    RememberedList m_favourites;
    RememberedList m_history;
};

} // namespace quorvane
