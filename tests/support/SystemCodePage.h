#pragma once

#include "formats/CodePage.h"

#include <gtest/gtest.h>

// Sets the system code page for the life of a test, as --codepage would.
class SystemCodePage {
public:
    explicit SystemCodePage(int codePage)
    {
        EXPECT_TRUE(CodePage::setSystem(codePage)) << codePage;
    }
    ~SystemCodePage() { CodePage::setSystem(m_before); }
    SystemCodePage(const SystemCodePage&) = delete;
    SystemCodePage& operator=(const SystemCodePage&) = delete;

private:
    int m_before = CodePage::system();
};
