#pragma once

#include "project/ObjectShape.h"

#include <QColor>
#include <QDialog>

class BoardHost;
class ObjectLabel;
class QComboBox;
class QGroupBox;
class QToolButton;
class SpinEdit;
struct Platform;

// What New Object gives every object it creates. The three "chosen" flags only
// go from false to true: until one is set, New Object uses its own fallback.
struct DefaultObjectSettings {
    ShapeKind DefaultShapeKind = ShapeKind::Rectangle;
    bool ShapeKindChosen = false;
    int DefaultWidth = 0;
    bool WidthChosen = false;
    int DefaultHeight = 0;
    bool HeightChosen = false;
    quint32 DefaultColor = 0x000000;
    bool DefaultBold = false;
    bool DefaultVisible = true;
    int DefaultFontSize = 8;
};

// The default object settings: modeless, every control applies its setting
// the moment it changes; the settings last for the run of the program only.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

    DefaultObjectSettings settings;

    QGroupBox* GroupBox4;
    QToolButton* SpeedButton1;
    QComboBox* ComboBox4;
    QComboBox* ComboBox2;
    QComboBox* ComboBox3;
    QGroupBox* GroupBox5;
    QGroupBox* GroupBox1;
    SpinEdit* SpinEdit1;
    QGroupBox* GroupBox2;
    SpinEdit* SpinEdit2;
    QGroupBox* GroupBox3;
    QComboBox* RectangleComboBox1;
    ObjectShape* Shape1;
    ObjectLabel* Label1;

    void SpeedButton1Click();
    void ComboBox2Change();
    void ComboBox3Change();
    void ComboBox4Change();
    void RectangleComboBox1Change();
    void SpinEdit1Change();
    void SpinEdit2Change();

private:
    void FormCreate();

    Platform& m_platform;
    QColor m_lastColor = Qt::black;
};
