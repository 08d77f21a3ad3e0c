#pragma once

#include "alarms/fAddEditAlarmUnit.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "main/Body.h"
#include "shapes/ShapeCustom.h"
#include "shapes/ShapeNameU.h"
#include "shapes/ShaprEditU.h"

// The long-lived windows, created in this order at start-up and living until
// the program ends. The note and table windows are created on demand.
class Program {
public:
    explicit Program(Platform& platform);

    TForm1 form1;
    TForm5 form5;
    TfAlarmSettings alarmSettings;
    TfAddEditAlarm addEditAlarm;
    TShapeEdit shapeEdit;
    TShapeNameF shapeName;
};
