#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <optional>

// The mouse pointer: its screen position and its confinement to a rectangle.
class Pointer {
public:
    virtual ~Pointer() = default;
    virtual QPoint pos() const = 0;
    virtual void setPos(const QPoint& pos) = 0;
    // Keeps the pointer inside rect (screen coordinates) until release().
    virtual void confine(const QRect& rect) = 0;
    virtual void release() = 0;
    virtual std::optional<QRect> confinement() const = 0;
};

// Confinement is kept by moving the pointer back inside the rectangle on
// every mouse move while it holds.
class CursorPointer : public QObject, public Pointer {
public:
    QPoint pos() const override;
    void setPos(const QPoint& pos) override;
    void confine(const QRect& rect) override;
    void release() override;
    std::optional<QRect> confinement() const override { return m_rect; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<QRect> m_rect;
};
