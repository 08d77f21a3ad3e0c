#include "main/Program.h"

Program::Program(Platform& platform)
    : form1(platform),
      // The modeless dialogs stay above the main window.
      form5(form1, platform, &form1), alarmSettings(form1, platform), addEditAlarm(form1, platform),
      shapeEdit(form1, platform, &form1), shapeName(form1, platform)
{
    form1.attachWindows({&form5, &shapeName, &shapeEdit, &alarmSettings});
}
