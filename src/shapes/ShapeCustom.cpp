#include "shapes/ShapeCustom.h"

TForm5::TForm5(BoardHost& host, Platform& platform, QWidget* parent)
    : QDialog(parent), m_host(host), m_platform(platform)
{
    setObjectName(QStringLiteral("Form5"));
}
