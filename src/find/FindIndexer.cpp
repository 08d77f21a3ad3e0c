#include "find/FindIndexer.h"

#include "formats/RichText.h"
#include "project/Project.h"
#include "tables/TableFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>
#include <utility>

namespace {

// Objects read before their texts go to the index: small enough that results
// show while the rest is read (some 10 ms of reading), large enough to share
// among the cores.
constexpr int BatchObjects = 64;

// Of names, those that have a folder in folder, each once, from one listing
// of it. Case aside, as a folder system that ignores it opens the files.
QStringList withFolders(const QString& folder, const QStringList& names)
{
    QSet<QString> folders;
    QDirIterator entries(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        entries.next();
        folders.insert(entries.fileName().toCaseFolded());
    }
    QStringList found;
    if (folders.isEmpty())
        return found;
    QSet<QString> taken;
    for (const QString& name : names) {
        if (folders.contains(name.toCaseFolded()) && !taken.contains(name)) {
            taken.insert(name);
            found.append(name);
        }
    }
    return found;
}

} // namespace

FindIndexer::FindIndexer(QObject* parent) : QObject(parent)
{
    // A blocking map reads on the calling thread too.
    m_pooled = QThread::idealThreadCount() > 2;
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 2));
    m_pool.setThreadPriority(QThread::LowPriority);
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
        // The names as given: the worker leaves out what the index did.
        if (!folder.isEmpty() && m_index.size() > 0)
            m_jobs.push_back({m_generation, folder, names, m_index.size(), true});
        m_queued = m_jobs.empty() ? 0 : m_index.size();
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
        m_jobs.push_back({m_generation, folder, {name}, 1, false});
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
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        readJob(std::move(job));
    }
}

bool FindIndexer::isStale(quint64 generation)
{
    std::lock_guard lock(m_mutex);
    return m_stopping || generation != m_generation;
}

void FindIndexer::readJob(Job job)
{
    // A whole project's names are let go of once those with a folder are known.
    const QStringList names =
        job.wholeProject ? withFolders(job.folder, std::exchange(job.names, {})) : job.names;
    // The objects without a folder have nothing to read.
    if (job.objects > names.size())
        send(job.generation, {}, job.objects - names.size());
    for (qsizetype from = 0; from < names.size(); from += BatchObjects) {
        // A project left meanwhile is read no further.
        if (isStale(job.generation))
            return;
        const QStringList batch = names.mid(from, BatchObjects);
        const auto readOne = [&job](const QString& name) { return read(job.folder, name); };
        QList<ObjectText> texts;
        if (m_pooled) {
            texts = QtConcurrent::blockingMapped(&m_pool, batch, readOne);
        } else {
            for (const QString& name : batch)
                texts.append(readOne(name));
        }
        send(job.generation, std::move(texts), batch.size());
    }
}

void FindIndexer::send(quint64 generation, QList<ObjectText> texts, qsizetype objects)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, texts = std::move(texts), objects] {
            receive(generation, texts, objects);
        },
        Qt::QueuedConnection);
}

void FindIndexer::receive(quint64 generation, QList<ObjectText> texts, qsizetype objects)
{
    // Results of a project left meanwhile are dropped, and so are those of
    // objects removed meanwhile.
    if (generation != m_generation)
        return;
    for (ObjectText& text : texts)
        m_index.update(std::move(text));
    m_done = std::min(m_queued, m_done + objects);
    emit indexChanged();
}
