// Export and print: the board as a picture, a document or a drawing, on paper,
// and the list of the project's objects as a CSV file.
#include "main/Body.h"

#include "alarms/AlarmFile.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "board/Board.h"
#include "board/BoardExport.h"
#include "formats/CsvFile.h"
#include "main/ObjectList.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

namespace {

constexpr int MinimumScalePercent = 10;
constexpr int MaximumScalePercent = 800;

} // namespace

void TForm1::ExportBoard1Click()
{
    if (refuseWhileIdle())
        return;
    const QString path = m_platform.dialogs.chooseSaveFile(
        QStringLiteral("Export board"),
        QStringLiteral("PNG picture (*.png);;PDF document (*.pdf);;SVG drawing (*.svg)"));
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    QString error;
    bool written = false;
    if (suffix == QLatin1String("png")) {
        const std::optional<QString> typed =
            m_platform.dialogs.input(QStringLiteral("Scale in percent (%1 to %2):")
                                         .arg(MinimumScalePercent)
                                         .arg(MaximumScalePercent),
                                     QStringLiteral("100"));
        if (!typed)
            return;
        bool isNumber = false;
        const int percent = typed->trimmed().toInt(&isNumber);
        if (!isNumber || percent < MinimumScalePercent || percent > MaximumScalePercent) {
            m_platform.dialogs.error(
                QStringLiteral("The scale must be a whole number from %1 to %2.")
                    .arg(MinimumScalePercent)
                    .arg(MaximumScalePercent));
            return;
        }
        written = BoardExport::writePng(*m_board, path, percent / 100.0, &error);
    } else if (suffix == QLatin1String("pdf")) {
        written = BoardExport::writePdf(*m_board, path, &error);
    } else if (suffix == QLatin1String("svg")) {
        written = BoardExport::writeSvg(*m_board, path, &error);
    } else {
        error = QStringLiteral("Choose a file name ending in .png, .pdf or .svg.");
    }
    if (!written)
        m_platform.dialogs.error(error);
}

void TForm1::PrintBoard1Click()
{
    if (refuseWhileIdle())
        return;
    QPrinter printer;
    const QSize size = m_board->boardSize();
    printer.setPageOrientation(size.width() > size.height() ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
    if (!m_platform.dialogs.choosePrinter(printer))
        return;
    QString error;
    if (!BoardExport::print(*m_board, printer, &error))
        m_platform.dialogs.error(error);
}

void TForm1::ExportList1Click()
{
    if (refuseWhileIdle())
        return;
    const QString path = m_platform.dialogs.chooseSaveFile(QStringLiteral("Export list"),
                                                           QStringLiteral("CSV table (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    const auto save = [&](qsizetype alarmCount, const AlarmFile::RowSource& alarmAt) {
        return CsvFile::save(path,
                             objectListRows(*m_boardModel, m_project.folder(), alarmCount, alarmAt,
                                            QLocale::system()),
                             &error);
    };
    bool saved = false;
    if (m_windows.alarmSettings) {
        const AlarmRows& alarms = m_windows.alarmSettings->listModel().rows();
        saved = save(alarms.count(), [&alarms](qsizetype i) { return alarms.row(int(i)); });
    } else {
        AlarmFile file;
        file.load(m_project.file(ProjectFiles::Alarms));
        const QList<AlarmRow>& alarms = file.rows();
        saved = save(alarms.size(), [&alarms](qsizetype i) { return alarms[i]; });
    }
    if (!saved)
        m_platform.dialogs.error(error);
}
