#include "find/FindIndexer.h"

#include "formats/RichText.h"
#include "project/Project.h"
#include "tables/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// Objects read before their texts go to the index: small enough that results
// show while the rest is read (some 10 ms of reading), large enough to share
// among the cores.
constexpr int BatchObjects = 64;

} // namespace

FindIndexer::FindIndexer(QObject* parent) : QObject(parent)
{
    m_thread = QThread::create([this] { work(); });
    m_thread->setObjectName(QStringLiteral("FindIndexer"));
    m_thread->start(QThread::LowPriority);
}

FindIndexer::~FindIndexer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    // The worker never waits for this thread, so it ends after the object it reads.
    m_thread->wait();
    delete m_thread;
}

ObjectText FindIndexer::read(const QString& folder, const QString& name)
{
    ObjectText text = ObjectText::forName(name);
    // The text alone: the note window's document is not needed to find in
    // it, and a big note's text is held one byte a character where it can be.
    CompactText note;
    if (RichText::readTextFile(ProjectFiles::note(folder, name),
                               [&note](QStringView piece) { note.append(piece); }))
        text.setNote(std::move(note));

    QFile table(ProjectFiles::table(folder, name));
    if (table.open(QIODevice::ReadOnly)) {
        TableFile::Reader reader(table);
        int columns = 0;
        int rows = 0;
        TableFile::Columns cells;
        // A damaged table gives what could be read of it.
        if (reader.readColumnCount(&columns) && reader.readRowCount(columns, &rows)) {
            columns = std::max(columns, 1);
            rows = std::max(rows, 1);
            reader.readCells(columns, rows, &cells);
            text.setTable(cells, rows);
        }
    }
    return text;
}

void FindIndexer::indexProject(const QString& folder, const QStringList& names)
{
    m_index.reset(names);
    {
        std::lock_guard lock(m_mutex);
        ++m_generation;
        m_jobs.clear();
        for (const QString& name : m_index.names())
            m_jobs.push_back({m_generation, folder, name});
        m_queued = qsizetype(m_jobs.size());
        m_done = 0;
    }
    m_wake.notify_all();
    emit indexChanged();
}

void FindIndexer::refresh(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || name.isEmpty())
        return;
    m_index.add(name);
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({m_generation, folder, name});
        ++m_queued;
    }
    m_wake.notify_all();
    emit indexChanged();
}

void FindIndexer::remove(const QString& name)
{
    m_index.remove(name);
    emit indexChanged();
}

void FindIndexer::fileSaved(const QString& folder, const QString& path)
{
    const QString name = QFileInfo(path).dir().dirName();
    if (folder.isEmpty() || !m_index.contains(name))
        return;
    const QString saved = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (saved == QDir::cleanPath(QDir::fromNativeSeparators(ProjectFiles::note(folder, name))) ||
        saved == QDir::cleanPath(QDir::fromNativeSeparators(ProjectFiles::table(folder, name))))
        refresh(folder, name);
}

void FindIndexer::work()
{
    for (;;) {
        QList<Job> jobs;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            // A batch holds objects of one project only.
            const quint64 generation = m_jobs.front().generation;
            while (!m_jobs.empty() && jobs.size() < BatchObjects &&
                   m_jobs.front().generation == generation) {
                jobs.append(std::move(m_jobs.front()));
                m_jobs.pop_front();
            }
        }
        // The files of a batch are read on every core.
        QList<ObjectText> batch = QtConcurrent::blockingMapped(
            jobs, [](const Job& job) { return read(job.folder, job.name); });
        QMetaObject::invokeMethod(
            this,
            [this, generation = jobs.front().generation, batch = std::move(batch)] {
                receive(generation, batch);
            },
            Qt::QueuedConnection);
    }
}

void FindIndexer::receive(quint64 generation, QList<ObjectText> texts)
{
    // Results of a project left meanwhile are dropped, and so are those of
    // objects removed meanwhile.
    if (generation != m_generation)
        return;
    for (ObjectText& text : texts)
        m_index.update(std::move(text));
    m_done = std::min(m_queued, m_done + texts.size());
    emit indexChanged();
}
