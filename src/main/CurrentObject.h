#pragma once

#include "project/BoardModel.h"

#include <functional>

// The main window's reference to the current object's shape or caption: an
// ElementRef that says when it is set, so that the board can show the
// current object and a screen reader follow it.
template <typename Element> class CurrentElementRef : public ElementRef<Element> {
public:
    explicit CurrentElementRef(std::function<void()> changed) : m_changed(std::move(changed)) {}
    CurrentElementRef(const CurrentElementRef&) = delete;
    CurrentElementRef& operator=(const CurrentElementRef&) = delete;

    CurrentElementRef& operator=(Element* element)
    {
        ElementRef<Element>::operator=(element);
        m_changed();
        return *this;
    }

private:
    std::function<void()> m_changed;
};
