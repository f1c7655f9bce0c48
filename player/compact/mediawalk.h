#pragma once
// The media search's walk over folders, on a thread of its own so that the search window stays live.
//
// A folder is read whole, then its matching entries are listed, then its sub-folders are walked in
// name order: a folder's matches come before its sub-folders' (pre-order). The window takes what was
// found in batches (takeMatches) and shows the folder being read (folder) at its own pace.
//
// Folders whose name begins with "." are never entered. A folder reached twice (a symbolic link loop,
// a bind mount) is walked once; a folder that cannot be read is passed over.
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <string>
#include <thread>

// A file-search wildcard: "*" any run of characters, "?" one character, letters compared without
// regard to case. A pattern ending in ".*" also matches the name without that part, so "*.*" matches
// every name.
class Wildcard {
public:
    explicit Wildcard(const QString& pattern);
    bool matches(const QString& name) const;
    // `name` in the file system's bytes (read as TextFile::nameText does).
    bool matches(const char* name, size_t length) const;

private:
    bool ascii_ = true;
    std::string bytes_;  // the pattern, lower case, when it is ASCII
    QString folded_;     // the pattern, case-folded, otherwise
};

class MediaWalk : public QObject {
    Q_OBJECT
public:
    enum Mode {
        ListMatches,   // every entry matching the pattern is listed
        CountEntries,  // folders and files are counted
    };

    MediaWalk() = default;
    ~MediaWalk() override;  // stops the walk and waits for it

    // Walks `roots` (folders, each ending in "/") one after another. The entries "." and ".." of a root
    // are left out, as a drive's root folder has none.
    void start(const QStringList& roots, const QString& pattern, Mode mode);
    // The walk ends at its next check: before it reads the next folder or lists the next match.
    void stop() { stop_.store(true, std::memory_order_relaxed); }
    // Returns once the walk has ended (at once when it has).
    void wait();
    bool running() const { return running_.load(); }

    // What was listed since the last call, in the order found. A path whose bytes are not UTF-8 is
    // listed by its text and remembered with its bytes (TextFile::remember), so that it plays. Called on
    // the thread that started the walk.
    QStringList takeMatches();
    // The folder being read (ending in "/"), empty before the first.
    QString folder() const;
    // Counted folders (entered or not; "." and ".." are not counted) and other entries.
    qint64 folders() const { return folders_.load(); }
    qint64 files() const { return files_.load(); }

signals:
    // The walk has ended (it ran out of folders, or it was stopped). Raised on the walking thread.
    void finished();

private:
    struct Root {
        std::string bytes;
        QString text;
    };
    struct Foreign {
        QString text;
        QByteArray bytes;
    };
    void run(std::vector<Root> roots, Wildcard pattern, Mode mode);
    void publish(QStringList& batch, QList<Foreign>& foreign);

    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<qint64> folders_{0}, files_{0};
    mutable QMutex mutex_;
    QStringList pending_;           // guarded by mutex_
    QList<Foreign> pendingForeign_;  // guarded by mutex_: the paths of pending_ in other bytes than UTF-8
    QString folder_;                 // guarded by mutex_
};
