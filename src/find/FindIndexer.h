#pragma once

#include "find/FindIndex.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <condition_variable>
#include <deque>
#include <mutex>

class QThread;

// Reads the note and table files of a project's objects in a worker thread
// and hands each object's texts to the index in the thread that owns this
// object, in batches. The owner never waits for the worker: results that are
// ready are in the index at once, and done() says how far the reading is.
// Of a whole project, only the objects that have a folder are read: the
// worker lists the project folder once, and the others are done at once.
class FindIndexer : public QObject {
    Q_OBJECT
public:
    explicit FindIndexer(QObject* parent = nullptr);
    ~FindIndexer() override;

    const FindIndex& index() const { return m_index; }

    // Starts over for the project in folder with these objects; their names
    // are found at once, their notes and tables once read.
    void indexProject(const QString& folder, const QStringList& names);
    // Reads the note and table of the object in folder again; adds the object
    // when it is new.
    void refresh(const QString& folder, const QString& name);
    void remove(const QString& name);
    // A file the program has written: the note or table of an object of the
    // project in folder refreshes it.
    void fileSaved(const QString& folder, const QString& path);

    // How many objects of the present project were read, of how many queued.
    qsizetype done() const { return m_done; }
    qsizetype queued() const { return m_queued; }
    bool isReading() const { return m_done < m_queued; }

    // The texts of one object as read from its files in folder.
    static ObjectText read(const QString& folder, const QString& name);

signals:
    // The index changed: new results may be found.
    void indexChanged();

private:
    // The objects to read in folder; objects is how many of done() they
    // stand for. A whole project's names are read only where the project
    // folder holds a folder of that name, and each name once.
    struct Job {
        quint64 generation = 0;
        QString folder;
        QStringList names;
        qsizetype objects = 0;
        bool wholeProject = false;
    };
    void work();
    void readJob(Job job);
    bool isStale(quint64 generation);
    void send(quint64 generation, QList<ObjectText> texts, qsizetype objects);
    void receive(quint64 generation, QList<ObjectText> texts, qsizetype objects);

    FindIndex m_index;
    quint64 m_generation = 0;
    qsizetype m_done = 0;
    qsizetype m_queued = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    // The files are read on one core fewer than there are, at a low
    // priority, so that the board's first paint keeps a core: by the worker,
    // and, with more than two cores, by the threads of this pool with it.
    QThreadPool m_pool;
    bool m_pooled = false;
    QThread* m_thread;
};
