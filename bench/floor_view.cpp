// The floor the board is measured against: one widget of the board's size
// painting N rectangles and N short texts from a vector, nothing read from disk.
// Prints, as the program does for the board benchmarks, when the items were
// made and when their first paint ended:
//     painted objects=N timer=T painted=P peak_kib=K
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QPainter>
#include <QWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

long peakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// One widget painting every rectangle and text from a plain vector: what any
// board must at least do to show N objects.
class View : public QWidget {
public:
    struct Object {
        QRect shape;
        QString text;
    };
    std::vector<Object> objects;
    qint64 made = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.setFont(m_font);
        for (const Object& object : objects) {
            painter.setPen(Qt::black);
            painter.setBrush(Qt::darkGreen);
            painter.drawRect(object.shape);
            painter.drawText(object.shape.left(), object.shape.top() - 3, object.text);
        }
        if (made && !m_reported) {
            m_reported = true;
            QTimer::singleShot(0, [this] {
                std::fprintf(stderr, "painted objects=%d timer=%lld painted=%lld peak_kib=%ld\n",
                             int(objects.size()), made, QDateTime::currentMSecsSinceEpoch(),
                             peakKib());
                std::_Exit(0);
            });
        }
    }

private:
    QFont m_font{QStringLiteral("Tahoma"), 8};
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    View view;
    view.setFixedSize(1820, 940);
    view.show();
    // As the program does, the objects are made 400 ms after the start.
    QTimer::singleShot(400, [&] {
        view.made = QDateTime::currentMSecsSinceEpoch();
        const int columns = 1820 / 40;
        view.objects.reserve(count);
        for (int n = 1; n <= count; ++n) {
            const int left = (n - 1) % columns * 40 + 5;
            const int top = ((n - 1) / columns * 37) % 860 + 20;
            view.objects.push_back({QRect(left, top, 30, 20), QStringLiteral("Object %1").arg(n)});
        }
        view.update();
    });
    return app.exec();
}
