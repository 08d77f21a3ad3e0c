#pragma once

#include <QGuiApplication>

// Readers that build documents need a GUI application; fuzz targets have no
// main of their own, so one is made on the offscreen platform at start.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}
