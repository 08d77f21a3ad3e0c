#pragma once

#include <QObject>
#include <QString>

// Tells whoever keeps what the program's files hold (the find index) that a
// file was written whole.
class SaveNotice : public QObject {
    Q_OBJECT
public:
    static SaveNotice& instance();
    static void announce(const QString& path) { emit instance().saved(path); }

signals:
    void saved(const QString& path);
};
