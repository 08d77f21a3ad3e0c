#include "shapes/ShaprEditU.h"

TShapeEdit::TShapeEdit(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("ShapeEdit"));
}
