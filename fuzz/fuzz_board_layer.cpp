// The board files loaded into a board model: records into elements, with the checks
// of element names, duplicates and object names. Whatever loads must save, and
// the saved files must load again into the same elements.
//
// The input is the shape file, then, after LabelsMarker, the caption file;
// without the marker both files hold the whole input.
#include "FuzzMain.h"
#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "platform/ObjectName.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

constexpr char LabelsMarker[] = "\n--fStreamLabel.txt--\n";
constexpr int DotsPerInch = 96;

void writeFile(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
}

struct Loaded {
    bool shapesWhole = false;
    bool labelsWhole = false;
    QStringList names;
};

Loaded load(BoardModel& board, const QString& shapes, const QString& labels)
{
    Loaded result;
    QString error;
    result.shapesWhole = BoardRecords::loadShapes(
        board, shapes, [](ObjectShape*) {}, &error);
    result.labelsWhole = BoardRecords::loadLabels(
        board, labels, DotsPerInch, [](ObjectLabel*) {}, &error);
    for (const ObjectShape* shape : board.shapes())
        result.names.append(shape->objectName());
    for (const ObjectLabel* label : board.labels())
        result.names.append(label->objectName());
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication<QGuiApplication>();
    static QTemporaryDir folder;
    const QString shapes = folder.filePath(QStringLiteral("fStreamShape.txt"));
    const QString labels = folder.filePath(QStringLiteral("fStreamLabel.txt"));
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype marker = input.indexOf(QByteArrayView(LabelsMarker));
    writeFile(shapes, marker < 0 ? input : input.first(marker));
    writeFile(labels,
              marker < 0 ? input : input.sliced(marker + qsizetype(sizeof LabelsMarker) - 1));

    BoardModel board;
    const Loaded first = load(board, shapes, labels);
    QSet<QString> seen;
    for (const QString& name : first.names) {
        if (name.isEmpty())
            continue;
        if (seen.contains(name.toLower()))
            std::abort(); // two elements of one name
        seen.insert(name.toLower());
    }
    for (ObjectLabel* label : board.labels()) {
        ObjectName::refusal(label->caption());
        board.shapeOf(label);
    }
    board.nextObjectNumber();

    QString error;
    QByteArray shapeBytes;
    QByteArray labelBytes;
    if (!BoardRecords::shapeFileBytes(board, &shapeBytes, &error) ||
        !BoardRecords::labelFileBytes(board, DotsPerInch, &labelBytes, &error) ||
        !BoardRecords::saveFile(shapes, shapeBytes, &error) ||
        !BoardRecords::saveFile(labels, labelBytes, &error)) {
        qWarning("what loaded cannot be saved: %s", qPrintable(error));
        std::abort();
    }
    BoardModel again;
    const Loaded second = load(again, shapes, labels);
    if (!second.shapesWhole || !second.labelsWhole || second.names != first.names)
        std::abort();
    for (qsizetype i = 0; i < board.labels().size(); ++i)
        if (board.labels()[i]->caption() != again.labels()[i]->caption())
            std::abort();
    return 0;
}
