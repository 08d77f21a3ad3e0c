#pragma once

#include <QGuiApplication>

// Readers that build documents need a GUI application, targets that make
// widgets (board elements, windows) a QApplication, which they include
// themselves: a reader's target links no widgets. Fuzz targets have no main
// of their own, so one is made on the offscreen platform at start.
template <typename Application = QGuiApplication> inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static Application app(argc, argv);
    }
}
