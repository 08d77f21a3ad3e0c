#include "shapes/ShapeNameU.h"

TShapeNameF::TShapeNameF(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("ShapeNameF"));
}
