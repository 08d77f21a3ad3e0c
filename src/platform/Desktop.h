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

class ScreenDesktop : public Desktop {
public:
    QSize size() const override;
    int virtualHeight() const override;
    int dotsPerInch() const override;
};
