#pragma once

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Board objects and board files as the tests of the board files use them,
// both on the model alone and through the main window.

// Places a named object the way New Object leaves it: shape N at (10N, 20N),
// 30 by 40 and green, its caption 13 pixels above it.
inline ObjectShape* addObject(BoardModel& board, int n, const QString& name)
{
    auto* shape = new ObjectShape(board);
    shape->setObjectName(QStringLiteral("Shape%1").arg(n));
    shape->setTag(n);
    shape->setHint(QStringLiteral("Shape%1").arg(n));
    shape->setGeometry(10 * n, 20 * n, 30, 40);
    shape->setBrushColor(0x008000);
    auto* label = new ObjectLabel(board);
    label->setObjectName(QStringLiteral("Label%1").arg(n));
    label->setTag(n);
    label->setHint(QStringLiteral("Label%1").arg(n));
    label->move(10 * n, 20 * n - 13);
    label->setCaption(name);
    shape->show();
    label->show();
    return shape;
}

// A shape file damaged in one way: what the damage is, the bytes, a word the
// loader's report holds and how many elements stay read before the damage.
struct DamagedShapeFile {
    const char* what;
    QByteArray bytes;
    const char* expected;
    int kept;
};

// The shape file of objects 1 to 3 placed by addObject, damaged in each way a
// board file is: cut short in its last record, a record of the wrong
// signature, a property no shape has (in every record) and a value of the
// wrong type (in the last record).
inline QList<DamagedShapeFile> damagedShapeFiles(const QByteArray& threeObjects)
{
    const qsizetype recordSize = threeObjects.size() / 3;
    const QByteArray firstTwo = threeObjects.left(2 * recordSize);
    QByteArray unknownProperty = threeObjects;
    unknownProperty.replace("Brush.Color", "Brush.Colox");
    // Object 3's Left is 30; true stands where the integer was.
    const QByteArray wrongType =
        firstTwo + threeObjects.mid(2 * recordSize).replace("\x04Left\x02\x1e", "\x04Left\x08");
    return {
        {"truncated third record", threeObjects.left(threeObjects.size() - 5), "byte", 2},
        {"wrong signature", firstTwo + "XPF0" + threeObjects.mid(2 * recordSize + 4), "byte", 2},
        {"unknown property", unknownProperty, "Brush.Colox", 0},
        {"wrong value type", wrongType, "Left", 2},
    };
}
