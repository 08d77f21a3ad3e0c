#include "main/Program.h"
#include "platform/Platform.h"
#include "tables/ObjectTableU.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setApplicationVersion(QStringLiteral(VEXORIN_VERSION));

    SystemPlatform system;
    Program program(system.platform());
    program.form1.show();
    const int exitCode = app.exec();
    TObjectTable::destroyAll();
    return exitCode;
}
