#include "platform/ObjectName.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(ObjectName, NamesThatCannotBeAFolderOfTheProjectAreRefusedWithTheirReason)
{
    EXPECT_TRUE(ObjectName::problem("Tank A").isEmpty());
    EXPECT_TRUE(ObjectName::refusal("Tank A").isEmpty());
    EXPECT_TRUE(ObjectName::refusal(QString::fromUtf8("Nádrž 2")).isEmpty());
    EXPECT_EQ(ObjectName::refusal("?"), "Give name to object at first!");
    for (const QString& name :
         {QStringLiteral("../outside/victim"), QStringLiteral(".."), QStringLiteral("/etc"),
          QStringLiteral("a\\b"), QStringLiteral("  "), QStringLiteral("tab\there"),
          QString(250, 'x')}) {
        const QString refusal = ObjectName::refusal(name);
        EXPECT_TRUE(refusal.contains('"' + name + '"')) << refusal.toStdString();
        EXPECT_TRUE(refusal.endsWith(ObjectName::problem(name))) << refusal.toStdString();
        EXPECT_FALSE(ObjectName::problem(name).isEmpty());
    }
}
