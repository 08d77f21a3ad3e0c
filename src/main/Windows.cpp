// The main window's calls into the note, table, shape and alarm windows.
#include "main/Body.h"

#include "alarms/fAlarmSettingsUnit.h"
#include "notes/Obiect.h"
#include "project/FolderLock.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "shapes/ShapeCustom.h"
#include "shapes/ShaprEditU.h"
#include "tables/ObjectTableU.h"

void TForm1::Objesctmass1Click()
{
    if (refuseWhileIdle() || !m_windows.defaultObject)
        return;
    m_windows.defaultObject->show();
    m_windows.defaultObject->raise();
    m_windows.defaultObject->activateWindow();
}

void TForm1::Defaultobjecttable1Click()
{
    OpenDefaultTable(*this, m_platform);
}

void TForm1::Edit1Click()
{
    if (m_windows.shapeEdit)
        m_windows.shapeEdit->LoadShapeEdit();
}

void TForm1::Alarm1Click()
{
    if (m_windows.alarmSettings)
        m_windows.alarmSettings->OpenForCurrentObject();
}

void TForm1::able1Click()
{
    OpenObjectTable(*this, m_platform);
}

void TForm1::OpenNoteWindow()
{
    ::OpenNoteWindow(*this, m_platform);
}

bool TForm1::CloseNoteWindow()
{
    return ::CloseNoteWindow();
}

bool TForm1::SaveBeforeLeaving(bool projectFiles)
{
    // A project open read-only is left without writing anything.
    if (!m_project.isReadOnly()) {
        QList<SaveAtLeave> saves = NoteWindowSaves();
        if (m_windows.alarmSettings) {
            if (std::optional<SaveAtLeave> alarms = m_windows.alarmSettings->alarmListSave())
                saves.append(*alarms);
        }
        saves += TObjectTable::closingSaves();
        // The board files are merged and written under the lock of the folder.
        std::optional<FolderLock> lock;
        if (projectFiles && m_project.isOpen())
            lock.emplace(m_project.folder());
        if (projectFiles)
            saves += projectSaves();
        if (!mayLeave(saveAllOrAsk(m_platform.dialogs, saves)))
            return false;
        // The project is left now: the next start tells what it missed since.
        if (m_windows.alarmSettings)
            m_windows.alarmSettings->RecordLastRunning();
    }
    CloseSavedNoteWindow();
    TObjectTable::closeSaved();
    return true;
}

void TForm1::StopAlarmTimer()
{
    if (m_windows.alarmSettings)
        m_windows.alarmSettings->StopThreadTimer();
}

void TForm1::RestartAlarmTimer()
{
    if (m_windows.alarmSettings)
        m_windows.alarmSettings->RestartThreadTimer();
}

void TForm1::LoadAlarms()
{
    // A project without an alarm file starts with an empty list.
    if (m_windows.alarmSettings)
        m_windows.alarmSettings->LoadProjectAlarms();
}
