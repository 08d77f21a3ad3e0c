#include "formats/CodePage.h"
#include "main/PaintReport.h"
#include "main/Program.h"
#include "platform/CloseSignal.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "tables/ObjectTableU.h"

#include <QApplication>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
#if defined(__GLIBC__)
    // Blocks of 128 KiB and more (the digests of a board file's elements, a
    // painted band) are given back to the system when freed. Left to itself,
    // glibc raises that size at the first such free, and the freed blocks
    // that follow stay in the heap as holes: 12 MB at 100,000 objects.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setApplicationVersion(QStringLiteral(VEXORIN_VERSION));
    // The desktop matches the windows to the menu entry (and its icon) by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("vexorin"));

    SystemPlatform system;
    // The code page of every file shared with the Windows version: the user's
    // language's, or the one given with --codepage N.
    QString problem;
    CodePage::setSystem(CodePage::forProgram(QCoreApplication::arguments(), &problem));
    if (!problem.isEmpty())
        system.platform().dialogs.error(problem);
    Program program(system.platform());
    // Set by the board benchmarks only (bench/board_window.sh).
    if (const QByteArray report = qgetenv("VEXORIN_PAINT_REPORT"); !report.isEmpty())
        new PaintReport(program.form1, report == "exit" ? PaintReport::Then::Exit
                                                        : PaintReport::Then::KeepRunning);
    // Ended by the session or by kill, the program closes as by its close
    // button: the project is saved, and a refused close keeps it running.
    CloseSignal closeSignal([&program] {
        if (program.form1.close())
            QCoreApplication::exit(0);
    });
    program.form1.show();
    const int exitCode = app.exec();
    TObjectTable::destroyAll();
    return exitCode;
}
