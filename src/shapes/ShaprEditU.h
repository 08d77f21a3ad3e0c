#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class BoardHost;
class ObjectLabel;
class BoardElement;
class ObjectShape;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class SpinEdit;
struct Platform;

// The dialog that changes one object's look and hints: the kind and size of
// its shape, the size, boldness, visibility and colour of its caption, and the
// hints of both. Created once, hidden; "Edit" on the object pop-up menu runs
// LoadShapeEdit, which shows it modeless. Apply acts on the object that is
// current when it is pressed.
class TShapeEdit : public QDialog {
    Q_OBJECT
public:
    TShapeEdit(BoardHost& host, Platform& platform, QWidget* parent = nullptr);

    // "Edit" on the object pop-up menu.
    void LoadShapeEdit();

    // The caption element's settings.
    QGroupBox* GroupBox4;
    QGroupBox* GroupBox7;
    QLineEdit* Edit2;
    QToolButton* SpeedButton1;
    QComboBox* SyzeComboBox4;
    QComboBox* StyleComboBox2;
    QComboBox* VisibleComboBox3;
    // The shape element's settings and the preview.
    QGroupBox* GroupBox5;
    QGroupBox* GroupBox6;
    QLineEdit* Edit1;
    QGroupBox* GroupBox1;
    SpinEdit* SpinEdit1;
    QGroupBox* GroupBox2;
    SpinEdit* SpinEdit2;
    QGroupBox* GroupBox3;
    QComboBox* RectangeComboBox1;
    ObjectShape* Shape1;
    ObjectLabel* NameLabel;
    QPushButton* applyBut;
    QPushButton* Button1;

    // Set by edits of the hint fields, cleared by a completed Apply and by
    // every opening.
    bool ShapeHintChanged = false;
    bool LabelHintChanged = false;
    // The last colour taken with "Color" (0x00BBGGRR); black until then.
    quint32 PickedColor = 0x000000;
    QString OldShapeHint;
    QString OldLabelHint;

    // Handlers.
    void FormPaint();
    void Edit1KeyUp();
    void Edit2KeyUp();
    void SpeedButton1Click();
    void RectangeComboBox1Change();
    void applyButClick();
    void Button1Click();

    // The hint checks of Apply: store the typed hint unless an element of the
    // same kind already has it (letters A to Z compared ignoring case).
    void CheckLabelHint();
    void CheckShapeHint();
    // Moves the pointer onto the element and shows at once the hint of what
    // lies under its client point (1, 1).
    void ShowElementHint(BoardElement* element);

    // True when a colour was taken with "Color" since the last opening.
    bool colorPickedSinceOpening() const { return m_colorPicked; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // Layout of the size groups for a selector text; other texts leave it.
    void applySelectorRule(const QString& kindText);
    void drawColorCaption(const QColor& color);
    int desktopHeight() const;

    BoardHost& m_host;
    Platform& m_platform;
    // The colour the colour dialog last returned; it opens there again.
    QColor m_colorDialogColor = Qt::black;
    bool m_colorPicked = false;
};
