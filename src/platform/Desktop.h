#pragma once

#include <QSize>

// Desktop metrics the board is laid out by.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Size of the primary desktop in pixels.
    virtual QSize size() const = 0;
    // Height of the whole virtual desktop (all screens) in pixels.
    virtual int virtualHeight() const = 0;
    // Logical dots per inch of the primary screen.
    virtual int dotsPerInch() const = 0;
};

// The main window's outer size, frame included: the desktop less 100 pixels
// each way. The shape dialogs measure object sizes against it.
QSize mainWindowOuterSize(const Desktop& desktop);

class ScreenDesktop : public Desktop {
public:
    QSize size() const override;
    int virtualHeight() const override;
    int dotsPerInch() const override;
};
